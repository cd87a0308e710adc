// test_windows.cpp - windows, messages and timers: class registration,
// creation and destruction order, the window menu, the quit message, timers
// and Sleep on the virtual clock, and injected failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_support.h"

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

ATOM RegisterRecording(const char *name) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = recording_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    return RegisterClassA(&wc);
}

TEST(WindowClasses, ASecondRegistrationFails) {
    ASSERT_NE(0, RegisterRecording("TwiceClass"));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, RegisterRecording("twiceclass"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS), GetLastError());
}

TEST(WindowClasses, CreatingAWindowOfAnUnknownClassFails) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(nullptr, CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS), GetLastError());
}

TEST(WindowLifecycle, DestroyReachesParentsFirstAndFreesChildrenFirst) {
    RegisterRecording("Recording");
    HWND top = CreateWindowExA(0, "Recording", "top", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExA(0, "Recording", "child", WS_CHILD, 0, 0, 10, 10, top, (HMENU)5, nullptr, nullptr);
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(5, GetDlgCtrlID(child));
    g_seen.clear();
    EXPECT_TRUE(DestroyWindow(top));
    EXPECT_EQ((std::vector<std::string>{"destroy top", "destroy child", "ncdestroy child", "ncdestroy top"}), g_seen);
    EXPECT_FALSE(IsWindow(child));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DestroyWindow(top));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
}

TEST(WindowLifecycle, DestroyDropsTheMessagesPostedToTheWindowAndItsChildren) {
    RegisterRecording("Posted");
    HWND top = CreateWindowExA(0, "Posted", "top", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExA(0, "Posted", "child", WS_CHILD, 0, 0, 10, 10, top, (HMENU)5, nullptr, nullptr);
    HWND other = CreateWindowExA(0, "Posted", "other", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
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
    RegisterRecording("MenuClass");
    HWND w = CreateWindowExA(0, "MenuClass", "menu", WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
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
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(5u, msg.wParam);
}

TEST(MessageLoop, PostedMessagesComeBeforeTheQuitMessage) {
    PostQuitMessage(1);
    PostMessageA(nullptr, WM_APP, 7, 0);
    MSG msg;
    EXPECT_EQ(1, GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(static_cast<UINT>(WM_APP), msg.message);
    EXPECT_EQ(0, GetMessageA(&msg, nullptr, 0, 0));
}

DWORD g_fired_at = 0;
UINT_PTR g_fired_id = 0;

VOID CALLBACK timer_proc(HWND, UINT msg, UINT_PTR id, DWORD time) {
    EXPECT_EQ(static_cast<UINT>(WM_TIMER), msg);
    g_fired_id = id;
    g_fired_at = time;
}

TEST(Timers, ACallbackTimerFiresAfterItsIntervalOfVirtualTime) {
    RegisterRecording("TimerClass");
    HWND w = CreateWindowExA(0, "TimerClass", "t", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DWORD start = GetTickCount();
    ASSERT_EQ(1u, SetTimer(w, 1, 500, timer_proc));
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(static_cast<UINT>(WM_TIMER), msg.message);
    EXPECT_EQ(reinterpret_cast<LPARAM>(timer_proc), msg.lParam);
    DispatchMessageA(&msg);
    EXPECT_EQ(1u, g_fired_id);
    EXPECT_EQ(start + 500, g_fired_at);
    EXPECT_TRUE(KillTimer(w, 1));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(KillTimer(w, 1));
    EXPECT_NE(0xdeadbeef, GetLastError());
    DestroyWindow(w);
}

TEST(Timers, SleepTakesNoRealTimeOnTheVirtualClock) {
    DWORD before = GetTickCount();
    Sleep(60000);
    EXPECT_EQ(before + 60000, GetTickCount());
}

TEST(Metrics, TheScreenIsTheConfiguredOne) {
    w32h::Config cfg = w32h::config();
    cfg.screen_width = 800;
    cfg.screen_height = 600;
    w32h::set_config(cfg);
    EXPECT_EQ(800, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(600, GetSystemMetrics(SM_CYSCREEN));
    cfg.screen_width = 1024;
    cfg.screen_height = 768;
    w32h::set_config(cfg);
}

TEST(MoveWindow, AcceptsPositionsOffTheScreen) {
    RegisterRecording("MoveClass");
    HWND w = CreateWindowExA(0, "MoveClass", "m", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(MoveWindow(w, -1, -7, 1027, 20, TRUE));
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(-1, r.left);
    EXPECT_EQ(-7, r.top);
    EXPECT_EQ(1026, r.right);
    DestroyWindow(w);
}

TEST(InjectedFailures, TheNthCallFailsWithTheChosenError) {
    ASSERT_FALSE(w32h::parse_fail_rules("GlobalAlloc#2=14, GlobalAlloc#4"));
    HGLOBAL a = GlobalAlloc(GPTR, 8);
    SetLastError(0);
    HGLOBAL b = GlobalAlloc(GPTR, 8);
    EXPECT_EQ(nullptr, b);
    EXPECT_EQ(static_cast<DWORD>(ERROR_OUTOFMEMORY), GetLastError());  // 14, as the rule says
    HGLOBAL c = GlobalAlloc(GPTR, 8);
    EXPECT_NE(nullptr, c);
    EXPECT_EQ(nullptr, GlobalAlloc(GPTR, 8));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
    GlobalFree(a);
    GlobalFree(c);
    ASSERT_FALSE(w32h::parse_fail_rules(""));
}

TEST(InjectedFailures, MalformedRulesAreRefused) {
    for (const char *rules : {"Nope", "GlobalAlloc#", "GlobalAlloc#0", "GlobalAlloc=x", "GlobalAlloc,,SetTimer",
                              "GlobalAlloc#2#3", "GlobalAlloc=99999999999"})
        EXPECT_TRUE(w32h::parse_fail_rules(rules).has_value()) << rules;
    ASSERT_FALSE(w32h::parse_fail_rules(""));
}

}  // namespace
