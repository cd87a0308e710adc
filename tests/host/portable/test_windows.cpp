// test_windows.cpp - windows and the message queue as Windows has them:
// class registration, creation and destruction order, the parents, owners,
// styles and menus of new windows (the desktop's included), the window menu,
// the quit message, periodic timers, and window texts cut at the caller's
// buffer without a byte written past it.
#include <cstring>
#include <vector>

#include "portable.h"

namespace {

std::vector<std::string> g_seen;

LRESULT CALLBACK recording_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    char name[32] = "";
    if (msg == WM_DESTROY || msg == WM_NCDESTROY) GetWindowTextA(hwnd, name, sizeof name);
    if (msg == WM_DESTROY) g_seen.push_back(std::string("destroy ") + name);
    if (msg == WM_NCDESTROY) g_seen.push_back(std::string("ncdestroy ") + name);
    if (msg == WM_QUERYOPEN) return 0;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// Registers a class of recording_proc for one test and removes it after.
class RecordingClass {
public:
    explicit RecordingClass(const char *name) : name_(name) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = recording_proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = name;
        atom_ = RegisterClassA(&wc);
    }
    ~RecordingClass() {
        if (atom_) UnregisterClassA(name_, GetModuleHandleA(nullptr));
    }
    ATOM atom() const { return atom_; }

private:
    const char *name_;
    ATOM atom_ = 0;
};

TEST(WindowClasses, ASecondRegistrationFailsWhateverTheCase) {
    RecordingClass first("TwiceClass");
    ASSERT_NE(0, first.atom());
    SetLastError(poison);
    RecordingClass second("twiceclass");
    EXPECT_EQ(0, second.atom());
    EXPECT_EQ(DWORD(ERROR_CLASS_ALREADY_EXISTS), GetLastError());
}

TEST(WindowClasses, CreatingAWindowOfAnUnknownClassFails) {
    SetLastError(poison);
    EXPECT_EQ(nullptr, Create("NoSuchClass", "", 0));
    if (RunningUnderWine())  // known Wine gap: Wine 8 answers ERROR_CLASS_DOES_NOT_EXIST
        EXPECT_TRUE(GetLastError() == ERROR_CANNOT_FIND_WND_CLASS || GetLastError() == ERROR_CLASS_DOES_NOT_EXIST);
    else
        EXPECT_EQ(DWORD(ERROR_CANNOT_FIND_WND_CLASS), GetLastError());
}

TEST(WindowLifecycle, DestroyReachesParentsFirstAndFreesChildrenFirst) {
    RecordingClass cls("Recording");
    HWND top = Create("Recording", "top", WS_POPUP);
    HWND child = Create("Recording", "child", WS_CHILD, top, 5);
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(5, GetDlgCtrlID(child));
    g_seen.clear();
    EXPECT_TRUE(DestroyWindow(top));
    EXPECT_EQ((std::vector<std::string>{"destroy top", "destroy child", "ncdestroy child", "ncdestroy top"}), g_seen);
    EXPECT_FALSE(IsWindow(child));
    SetLastError(poison);
    EXPECT_FALSE(DestroyWindow(top));
    if (RunningUnderWine())  // known Wine gap: Wine 8 answers ERROR_ACCESS_DENIED for a destroyed window
        EXPECT_NE(poison, GetLastError());
    else
        EXPECT_EQ(DWORD(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
}

TEST(WindowLifecycle, DestroyDropsTheMessagesPostedToTheWindowAndItsChildren) {
    RecordingClass cls("Posted");
    HWND top = CreateWindowExA(0, "Posted", "top", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    HWND child = CreateWindowExA(0, "Posted", "child", WS_CHILD, 0, 0, 10, 10, top, (HMENU)5, GetModuleHandleA(nullptr),
                                 nullptr);
    HWND other = CreateWindowExA(0, "Posted", "other", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(PostMessageA(top, WM_USER, 0, 0));
    ASSERT_TRUE(PostMessageA(child, WM_USER + 1, 0, 0));
    ASSERT_TRUE(PostMessageA(other, WM_USER + 2, 0, 0));
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 3, 0, 0));
    EXPECT_TRUE(DestroyWindow(top));
    std::vector<std::pair<HWND, UINT>> left;
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) left.emplace_back(msg.hwnd, msg.message);
    EXPECT_EQ((std::vector<std::pair<HWND, UINT>>{{other, WM_USER + 2}, {nullptr, WM_USER + 3}}), left);
    DestroyWindow(other);
}

TEST(WindowMenu, EnableMenuItemReturnsThePreviousStateAndRestoreIsRefused) {
    RecordingClass cls("MenuClass");
    HWND w = CreateWindowExA(0, "MenuClass", "menu", WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(w, SW_SHOWMINIMIZED);
    HMENU menu = GetSystemMenu(w, FALSE);
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(MF_ENABLED, EnableMenuItem(menu, SC_MOVE, MF_BYCOMMAND | MF_GRAYED));
    EXPECT_EQ(MF_GRAYED, EnableMenuItem(menu, SC_MOVE, MF_BYCOMMAND | MF_ENABLED));
    EXPECT_EQ(-1, EnableMenuItem(menu, 0x1234, MF_BYCOMMAND | MF_GRAYED));
    // WM_QUERYOPEN answered 0 keeps a minimised window minimised.
    SendMessageA(w, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(IsIconic(w));
    DestroyWindow(w);
}

TEST(MessageLoop, TheQuitMessageEndsGetMessageWithItsCode) {
    PostQuitMessage(5);
    MSG msg;
    EXPECT_EQ(0, GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(UINT(WM_QUIT), msg.message);
    EXPECT_EQ(5u, msg.wParam);
}

TEST(MessageLoop, PostedMessagesComeBeforeTheQuitMessage) {
    PostQuitMessage(1);
    PostMessageA(nullptr, WM_APP, 7, 0);
    MSG msg;
    EXPECT_EQ(1, GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(UINT(WM_APP), msg.message);
    EXPECT_EQ(0, GetMessageA(&msg, nullptr, 0, 0));
}

// A periodic timer comes due again one interval after each delivery (Windows
// rounds to its tick of about 16 ms), never at once and not just once.
TEST(Timers, APeriodicTimerComesBackAtItsInterval) {
    HWND w = Create("Static", "timer", WS_POPUP);
    ASSERT_EQ(UINT_PTR(7), SetTimer(w, 7, 100, nullptr));
    std::vector<DWORD> ticks;
    MSG msg;
    while (ticks.size() < 4 && GetMessageA(&msg, nullptr, 0, 0))
        if (msg.message == WM_TIMER && msg.hwnd == w && msg.wParam == 7) ticks.push_back(GetTickCount());
    ASSERT_EQ(4u, ticks.size());
    for (size_t i = 1; i < ticks.size(); ++i) {
        EXPECT_GE(ticks[i] - ticks[i - 1], 100u - 16u) << i;
        EXPECT_LE(ticks[i] - ticks[i - 1], 100u + 50u) << i;
    }
    EXPECT_TRUE(KillTimer(w, 7));
    DestroyWindow(w);
}

TEST(MoveWindow, AcceptsPositionsOffTheScreen) {
    HWND w = Create("Static", "m", WS_POPUP);
    EXPECT_TRUE(MoveWindow(w, -1, -7, 1027, 20, TRUE));
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(-1, r.left);
    EXPECT_EQ(-7, r.top);
    EXPECT_EQ(1026, r.right);
    DestroyWindow(w);
}

// GetWindowTextA and WM_GETTEXT write at most size - 1 characters and the
// NUL, and nothing after.
TEST(WindowText, IsCutAtTheBufferWithoutWritingPastIt) {
    HWND w = Create("Static", "Hello, world", WS_POPUP);
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    SetLastError(poison);
    EXPECT_EQ(5, GetWindowTextA(w, buffer, 6));
    EXPECT_EQ(std::string("Hello\0x", 7), std::string(buffer, 7));
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(5, SendMessageA(w, WM_GETTEXT, 6, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_EQ(std::string("Hello\0x", 7), std::string(buffer, 7));
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(12, GetWindowTextA(w, buffer, 13));
    EXPECT_EQ(std::string("Hello, world\0x", 14), std::string(buffer, 14));
    EXPECT_EQ(12, GetWindowTextLengthA(w));
    EXPECT_EQ(poison, GetLastError());
    DestroyWindow(w);
}

// ---- parents, owners and styles of new windows -------------------------------------------

// Wine's test_parent_owner, for windows as they are created: what
// GWLP_HWNDPARENT, GetParent and GW_OWNER say of a window of a style created
// with no parent, a top-level window, a child or the desktop as its parent.
TEST(CreateWindowExA, ParentAndOwnerAsWindowsSetsThem) {
    enum Who { none, main, child, desktop };
    const struct {
        DWORD style;
        Who given, hwndparent, parent, owner;
    } rows[] = {
        {WS_CHILD, main, main, main, none},    {WS_CHILD, desktop, none, desktop, none},
        {WS_CHILD, child, child, child, none}, {0, none, none, none, none},
        {0, main, main, none, main},           {0, child, main, none, main},  // owned by the child's window
        {WS_POPUP, none, none, none, none},    {WS_POPUP, main, main, main, main},
        {WS_POPUP, desktop, none, none, none}, {WS_POPUP, child, main, main, main},
    };
    HWND windows[4] = {nullptr, Create("Static", "main", WS_OVERLAPPEDWINDOW), nullptr, GetDesktopWindow()};
    windows[child] = Create("Static", "child", WS_CHILD, windows[main], 1);
    for (const auto &row : rows) {
        HWND w = Create("Static", "tested", row.style, windows[row.given]);
        ASSERT_NE(nullptr, w) << row.style << " " << row.given;
        EXPECT_EQ(windows[row.hwndparent], reinterpret_cast<HWND>(GetWindowLongPtrA(w, GWLP_HWNDPARENT)))
            << "GWLP_HWNDPARENT of style " << row.style << " given " << row.given;
        EXPECT_EQ(windows[row.parent], GetParent(w)) << "GetParent of style " << row.style << " given " << row.given;
        EXPECT_EQ(windows[row.owner], GetWindow(w, GW_OWNER))
            << "owner of style " << row.style << " given " << row.given;
        DestroyWindow(w);
    }
    SetLastError(poison);
    EXPECT_EQ(nullptr, GetParent(GetDesktopWindow()));
    EXPECT_EQ(poison, GetLastError());
    DestroyWindow(windows[main]);
}

// Wine's test_window_styles, top-level windows owned by the desktop as
// test_CreateWindow makes them: every top-level window clips its siblings,
// an overlapped one has a caption and WS_EX_WINDOWEDGE, others have the
// window edge only with a frame (or WS_EX_DLGMODALFRAME) and no static edge.
TEST(CreateWindowExA, AddsTheStylesWindowsAdds) {
    const struct {
        DWORD style, ex_style, style_out, ex_style_out;
    } rows[] = {
        {0, 0, WS_CLIPSIBLINGS | WS_CAPTION, WS_EX_WINDOWEDGE},
        {WS_OVERLAPPEDWINDOW, 0, WS_CLIPSIBLINGS | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE},
        {WS_CHILD, 0, WS_CHILD, 0},
        {WS_CHILD, WS_EX_WINDOWEDGE, WS_CHILD, 0},
        {0, WS_EX_TOOLWINDOW, WS_CLIPSIBLINGS | WS_CAPTION, WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW},
        {WS_POPUP, 0, WS_POPUP | WS_CLIPSIBLINGS, 0},
        {WS_POPUP, WS_EX_WINDOWEDGE, WS_POPUP | WS_CLIPSIBLINGS, 0},
        {WS_POPUP | WS_CAPTION, 0, WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS, WS_EX_WINDOWEDGE},
        {WS_CHILD, WS_EX_DLGMODALFRAME, WS_CHILD, WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME},
        {WS_CHILD, WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE, WS_CHILD,
         WS_EX_STATICEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME},
        {WS_CAPTION, WS_EX_STATICEDGE, WS_CLIPSIBLINGS | WS_CAPTION, WS_EX_STATICEDGE | WS_EX_WINDOWEDGE},
        {WS_CHILD | WS_DLGFRAME, WS_EX_STATICEDGE, WS_CHILD | WS_DLGFRAME, WS_EX_STATICEDGE},
        {0, WS_EX_APPWINDOW, WS_CLIPSIBLINGS | WS_CAPTION, WS_EX_APPWINDOW | WS_EX_WINDOWEDGE},
    };
    HWND parent = Create("Static", "parent", WS_OVERLAPPEDWINDOW);
    for (const auto &row : rows) {
        HWND owner = (row.style & WS_CHILD) ? parent : GetDesktopWindow();
        HWND w = CreateWindowExA(row.ex_style, "Static", nullptr, row.style, 0, 0, 0, 0, owner,
                                 reinterpret_cast<HMENU>((row.style & WS_CHILD) ? 1 : 0), GetModuleHandleA(nullptr),
                                 nullptr);
        ASSERT_NE(nullptr, w);
        EXPECT_EQ(row.style_out, DWORD(GetWindowLongA(w, GWL_STYLE))) << std::hex << row.style << " " << row.ex_style;
        EXPECT_EQ(row.ex_style_out, DWORD(GetWindowLongA(w, GWL_EXSTYLE)))
            << std::hex << row.style << " " << row.ex_style;
        DestroyWindow(w);
    }
    DestroyWindow(parent);
}

// A top-level window's hMenu is a menu: a number there is no menu handle
// (Wine's test_params, on the NT family; Windows 9x leaves the error alone).
TEST(CreateWindowExA, ATopLevelWindowRefusesAMenuThatIsNone) {
    for (HWND owner : {HWND(nullptr), GetDesktopWindow()}) {
        SetLastError(poison);
        EXPECT_EQ(nullptr, CreateWindowExA(0, "ListBox", "TestList", LBS_STANDARD & ~LBS_SORT, 0, 0, 100, 100, owner,
                                           reinterpret_cast<HMENU>(1), nullptr, nullptr));
        EXPECT_EQ(DWORD(ERROR_INVALID_MENU_HANDLE), GetLastError());
    }
}

}  // namespace
