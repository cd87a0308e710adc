// test_dialog_navigation.cpp - the dialog manager's walk over controls, after
// Wine's user32 dialog tests (run on Windows): GetNextDlgTabItem and
// GetNextDlgGroupItem over Wine's tree of windows, WM_NEXTDLGCTL and the
// default-button style, the focus going to a checked radio button, and Tab
// and Enter through IsDialogMessageA on a window that is no dialog.
#include <map>

#include "dialog_builder.h"
#include "portable.h"
#include "portable_ids.h"

namespace {

constexpr DWORD visible = WS_CHILD | WS_VISIBLE;

// Wine's tree for test_GetNextDlgItem, in creation order: id, parent,
// style and extended style. 6 is the dialog of most cases; 2, 7, 6, 8, 9, 10
// and 11 are control parents, 3, 4 and 5 dialogs within dialogs (DS_CONTROL)
// that the walk does not enter.
const struct {
    int id, parent;
    DWORD style, ex_style;
} tree[] = {
    {1, 0, WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS, WS_EX_WINDOWEDGE},
    {20, 1, visible | WS_GROUP, 0},
    {2, 1, visible, WS_EX_CONTROLPARENT},
    {60, 2, visible | WS_TABSTOP, 0},
    {8, 2, visible | WS_DISABLED | WS_TABSTOP, WS_EX_CONTROLPARENT},  // a disabled control parent
    {85, 8, visible | WS_TABSTOP | WS_GROUP, 0},
    {9, 8, WS_CHILD, WS_EX_CONTROLPARENT},
    {86, 9, visible, 0},
    {87, 9, visible, 0},
    {31, 8, visible | WS_GROUP, 0},
    {10, 2, visible, WS_EX_CONTROLPARENT},
    {88, 10, visible | WS_GROUP, 0},
    {11, 10, WS_CHILD, WS_EX_CONTROLPARENT},
    {89, 11, visible, 0},
    {32, 11, visible | WS_GROUP, 0},
    {90, 11, visible, 0},
    {33, 10, visible | WS_GROUP, 0},
    {21, 2, visible | WS_GROUP, 0},
    {61, 2, visible | WS_TABSTOP, 0},
    {3, 1, visible | DS_CONTROL, 0},
    {22, 3, visible | WS_GROUP, 0},
    {62, 3, visible | WS_TABSTOP, 0},
    {7, 3, visible, WS_EX_CONTROLPARENT},
    {4, 7, visible | DS_CONTROL, 0},
    {83, 4, visible, 0},
    {5, 4, visible | DS_CONTROL, 0},
    {29, 5, visible | WS_GROUP, 0},  // controls around the dialog of most cases
    {81, 5, visible, 0},
    {6, 5, visible, WS_EX_CONTROLPARENT},
    {63, 6, visible | WS_DISABLED | WS_TABSTOP, 0},   // at the start: disabled, skipped
    {64, 6, WS_CHILD | WS_TABSTOP, 0},                // invisible, skipped
    {65, 6, WS_CHILD | WS_DISABLED | WS_TABSTOP, 0},  // both
    {66, 6, visible, 0},                              // no tab stop: found by groups only
    {23, 6, visible | WS_GROUP, 0},                   // a group with no tab stop ends
    {67, 6, visible | WS_TABSTOP, 0},
    {24, 6, WS_CHILD | WS_DISABLED | WS_GROUP, 0},  // a group wholly disabled or invisible
    {68, 6, visible | WS_DISABLED | WS_TABSTOP, 0},
    {69, 6, WS_CHILD | WS_TABSTOP, 0},
    {25, 6, visible | WS_GROUP, 0},  // a valid group in the middle
    {70, 6, visible, 0},
    {71, 6, visible | WS_DISABLED | WS_TABSTOP, 0},
    {72, 6, visible | WS_TABSTOP, 0},
    {73, 6, visible | WS_DISABLED | WS_TABSTOP, 0},
    {26, 6, visible | WS_GROUP, 0},  // begins with an enabled visible label
    {74, 6, visible | WS_TABSTOP, 0},
    {75, 6, visible | WS_TABSTOP, 0},
    {27, 6, visible | WS_DISABLED | WS_GROUP, 0},  // begins with a disabled label
    {76, 6, visible | WS_TABSTOP, 0},
    {77, 6, visible | WS_TABSTOP, 0},
    {28, 6, WS_CHILD | WS_GROUP, 0},  // begins with an invisible label
    {78, 6, visible | WS_TABSTOP, 0},
    {79, 6, visible, 0},
    {80, 6, visible | WS_DISABLED | WS_TABSTOP, 0},
    {82, 5, visible, 0},  // controls after the dialog of most cases
    {30, 5, visible | WS_GROUP, 0},
    {84, 4, visible | WS_TABSTOP, 0},
};

// Wine's table: in dialog dlg, the tab (or group) item after (or before)
// ctl is res; 0 stands for no window. Wine's tests 26 and 28 crash Windows 95
// and are left out there too.
const struct Walk {
    int test, dlg, ctl;
    bool tab, previous;
    int res;
} walks[] = {
    {1, 6, 0, false, true, 0},     {2, 6, 0, true, true, 0},      {3, 6, 6, false, true, 0},
    {4, 6, 6, true, true, 0},      {5, 6, 0, false, false, 66},   {6, 6, 0, true, false, 67},
    {7, 6, 6, false, false, 66},   {8, 6, 6, true, false, 67},    {9, 4, 83, true, false, 84},
    {10, 4, 83, false, false, 5},  {11, 5, 81, true, false, 67},  {12, 5, 81, false, false, 66},
    {13, 5, 82, true, true, 78},   {14, 5, 82, false, true, 79},  {15, 6, 70, false, false, 72},
    {16, 6, 72, false, false, 25}, {17, 6, 75, false, false, 26}, {18, 6, 77, false, false, 76},
    {19, 6, 79, false, false, 66}, {20, 6, 71, false, false, 72}, {21, 6, 64, false, false, 66},
    {22, 6, 25, false, false, 70}, {23, 6, 68, false, false, 68}, {24, 6, 25, false, true, 72},
    {25, 1, 70, false, false, 72}, {27, 1, 70, true, false, 72},  {29, 6, 67, true, false, 72},
    {30, 6, 72, true, true, 67},   {35, 2, 0, false, false, 60},  {36, 2, 0, true, false, 60},
};

class DialogWalk : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto &w : tree) {
            HWND h = CreateWindowExA(w.ex_style, "Static", "", w.style, 10, 10, 10, 10, window(w.parent), nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
            ASSERT_NE(nullptr, h) << w.id;
            windows_[w.id] = h;
        }
    }
    void TearDown() override { DestroyWindow(window(1)); }

    HWND window(int id) const {
        auto it = windows_.find(id);
        return it == windows_.end() ? nullptr : it->second;
    }
    int id_of(HWND h) const {
        for (const auto &[id, w] : windows_)
            if (w == h) return id;
        return h ? -1 : 0;
    }
    // Wine's tests first to last of the table, each walk's answer checked.
    void CheckWinesTests(int first, int last) const {
        for (const Walk &w : walks) {
            if (w.test < first || w.test > last) continue;
            HWND found = (w.tab ? GetNextDlgTabItem : GetNextDlgGroupItem)(window(w.dlg), window(w.ctl), w.previous);
            EXPECT_EQ(w.res, id_of(found)) << "Wine's test " << w.test;
        }
    }

    std::map<int, HWND> windows_;
};

// From no control, or from the dialog itself, a backward walk finds nothing;
// a forward one the first reachable control.
TEST_F(DialogWalk, FromNoControlOrTheDialog) { CheckWinesTests(1, 8); }

// A walk enters the children of a visible, enabled control parent
// (WS_EX_CONTROLPARENT), not those of a dialog within the dialog.
TEST_F(DialogWalk, EntersControlParentsButNotInnerDialogs) {
    CheckWinesTests(9, 14);
    CheckWinesTests(35, 36);
}

// A group runs from a WS_GROUP control to the next; the last group wraps
// round into the first controls, which have no WS_GROUP. Hidden and disabled
// controls are skipped, from whatever control the walk starts.
TEST_F(DialogWalk, GroupItemsWrapWithinTheirGroup) { CheckWinesTests(15, 24); }

// A control the dialog's walk cannot reach (under children that are not
// control parents) is walked from as if it could be.
TEST_F(DialogWalk, FromAControlOutOfReach) { CheckWinesTests(25, 27); }

// Tab stops skip what is disabled, invisible or no tab stop.
TEST_F(DialogWalk, TabItemsSkipWhatCannotTakeTheFocus) { CheckWinesTests(29, 30); }

// The last group goes on at the first controls, backwards too: before B
// comes A, before A the group's last control, D.
TEST(DialogGroupWalk, TheLastGroupWrapsRoundBothWays) {
    HWND parent = Create("Static", "walk", WS_POPUP);
    HWND a = nullptr, b = nullptr, c = nullptr, d = nullptr;
    for (HWND *h : {&a, &b, &c, &d}) *h = Create("Static", "", visible | (h == &c ? WS_GROUP : 0), parent);
    EXPECT_EQ(a, GetNextDlgGroupItem(parent, b, TRUE));
    EXPECT_EQ(d, GetNextDlgGroupItem(parent, a, TRUE));
    EXPECT_EQ(a, GetNextDlgGroupItem(parent, d, FALSE));
    EXPECT_EQ(c, GetNextDlgGroupItem(parent, b, FALSE));
    DestroyWindow(parent);
}

struct NextControl {
    WORD default_after[3] = {};
    HWND focus_after[3] = {};
    DWORD styles_after[3][2] = {};
    HWND list = nullptr, one = nullptr, two = nullptr;
};

DWORD button_type(HWND h) { return static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE)) & BS_TYPEMASK; }

// Wine's WM_NEXTDLGCTL test, with a list box for the edit control: the push
// button with the focus takes the default style, the default id stays.
INT_PTR CALLBACK next_control_proc(HWND dlg, UINT msg, WPARAM, LPARAM lp) {
    if (msg != WM_INITDIALOG) return FALSE;
    auto &s = *reinterpret_cast<NextControl *>(lp);
    s.list = GetDlgItem(dlg, 101);
    s.one = GetDlgItem(dlg, 201);
    s.two = GetDlgItem(dlg, IDCANCEL);
    DefDlgProcA(dlg, DM_SETDEFID, IDCANCEL, 0);
    SetFocus(s.list);
    for (int i = 0; i < 3; ++i) {
        DefDlgProcA(dlg, WM_NEXTDLGCTL, 0, 0);
        s.focus_after[i] = GetFocus();
        s.default_after[i] = LOWORD(DefDlgProcA(dlg, DM_GETDEFID, 0, 0));
        s.styles_after[i][0] = button_type(s.one);
        s.styles_after[i][1] = button_type(s.two);
    }
    EndDialog(dlg, 1);
    return FALSE;
}

TEST(NextDialogControl, MovesTheDefaultStyleWithTheFocusButNotTheDefaultId) {
    portable::DialogBuilder t(DS_MODALFRAME | WS_POPUP | WS_CAPTION, "next control");
    t.item("ListBox", "", 101, WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    t.item("Button", "Button &1", 201, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
    t.item("Button", "Button &2", IDCANCEL, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
    NextControl s;
    ASSERT_EQ(1, DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.get(), nullptr, next_control_proc,
                                         reinterpret_cast<LPARAM>(&s)));
    EXPECT_EQ(s.one, s.focus_after[0]);
    EXPECT_EQ(s.two, s.focus_after[1]);
    EXPECT_EQ(s.list, s.focus_after[2]);
    for (WORD id : s.default_after) EXPECT_EQ(IDCANCEL, id);
    EXPECT_EQ(DWORD(BS_DEFPUSHBUTTON), s.styles_after[0][0]);
    EXPECT_EQ(DWORD(BS_PUSHBUTTON), s.styles_after[0][1]);
    EXPECT_EQ(DWORD(BS_PUSHBUTTON), s.styles_after[1][0]);
    EXPECT_EQ(DWORD(BS_DEFPUSHBUTTON), s.styles_after[1][1]);
}

struct DefaultStyle {
    LRESULT code_before = 0, code_after = 0, default_id = 0;
    DWORD one_after = 0;
};

INT_PTR CALLBACK default_style_proc(HWND dlg, UINT msg, WPARAM, LPARAM lp) {
    if (msg != WM_INITDIALOG) return FALSE;
    auto &s = *reinterpret_cast<DefaultStyle *>(lp);
    HWND two = GetDlgItem(dlg, 12);
    s.code_before = SendMessageA(two, WM_GETDLGCODE, 0, 0);
    SetWindowLongA(two, GWL_STYLE, GetWindowLongA(two, GWL_STYLE) & ~BS_DEFPUSHBUTTON);
    s.code_after = SendMessageA(two, WM_GETDLGCODE, 0, 0);
    s.default_id = SendMessageA(dlg, DM_GETDEFID, 0, 0);
    SendMessageA(dlg, DM_SETDEFID, 11, 0);
    s.one_after = button_type(GetDlgItem(dlg, 11));
    EndDialog(dlg, 1);
    return TRUE;
}

// The default style is a plain style bit that WM_GETDLGCODE reports; the
// dialog keeps the template's default id when the bit is taken away, and
// DM_SETDEFID gives the style to the new default.
TEST(DefaultButton, IsAStyleBitTheDialogManagerReads) {
    portable::DialogBuilder t(DS_MODALFRAME | WS_POPUP | WS_CAPTION, "default style");
    t.item("Button", "One", 11, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
    t.item("Button", "Two", 12, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON);
    DefaultStyle s;
    ASSERT_EQ(1, DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.get(), nullptr, default_style_proc,
                                         reinterpret_cast<LPARAM>(&s)));
    EXPECT_EQ(DLGC_BUTTON | DLGC_DEFPUSHBUTTON, s.code_before);
    EXPECT_EQ(DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON, s.code_after);
    EXPECT_EQ(MAKELONG(12, DC_HASDEFID), s.default_id);
    EXPECT_EQ(DWORD(BS_DEFPUSHBUTTON), s.one_after);
}

// BM_SETCHECK keeps what the button can hold (nothing for a push button, no
// third state for a radio button), and a radio button is a tab stop exactly
// while it is checked.
TEST(ButtonCheck, KeepsWhatTheButtonHoldsAndMovesARadioButtonsTabStop) {
    const struct {
        DWORD type;
        WPARAM set;
        LRESULT got;
        DWORD tab_stop;
    } rows[] = {
        {BS_PUSHBUTTON, BST_CHECKED, BST_UNCHECKED, WS_TABSTOP},
        {BS_CHECKBOX, BST_INDETERMINATE, BST_CHECKED, WS_TABSTOP},
        {BS_3STATE, BST_INDETERMINATE, BST_INDETERMINATE, WS_TABSTOP},
        {BS_AUTORADIOBUTTON, BST_INDETERMINATE, BST_CHECKED, WS_TABSTOP},
        {BS_RADIOBUTTON, BST_UNCHECKED, BST_UNCHECKED, 0},
    };
    HWND parent = Create("Static", "buttons", WS_POPUP);
    for (const auto &row : rows) {
        HWND button = Create("Button", "b", visible | WS_TABSTOP | row.type, parent, 1);
        SendMessageA(button, BM_SETCHECK, row.set, 0);
        EXPECT_EQ(row.got, SendMessageA(button, BM_GETCHECK, 0, 0)) << "type " << row.type;
        EXPECT_EQ(row.tab_stop, DWORD(GetWindowLongA(button, GWL_STYLE)) & WS_TABSTOP) << "type " << row.type;
        DestroyWindow(button);
    }
    DestroyWindow(parent);
}

// ---- the dialog manager over a plain window ------------------------------------------

struct PlainCommands {
    bool cancel = false, button1 = false;
};
PlainCommands g_plain;

LRESULT CALLBACK plain_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && wp == IDCANCEL) g_plain.cancel = true;
    if (msg == WM_COMMAND && (wp == 100 || wp == 0xFFFF) && lp) g_plain.button1 = true;  // 0x1FFFF cut to a word
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// Wine's IsDialogMessageWindowClass: an overlapped window (no dialog) with a
// default push button, a push button that is no tab stop, and Cancel.
class PlainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = plain_window_proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "IsDialogMessageWindowClass";
        ASSERT_NE(0, RegisterClassA(&wc));
        main_ = CreateWindowExA(0, wc.lpszClassName, "plain", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, wc.hInstance, nullptr);
        button1_ = Button("Button &1", WS_TABSTOP | BS_DEFPUSHBUTTON, 100);
        button2_ = Button("Button &2", BS_PUSHBUTTON, 200);
        cancel_ = Button("Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
        g_plain = PlainCommands{};
    }
    void TearDown() override {
        DestroyWindow(main_);
        UnregisterClassA("IsDialogMessageWindowClass", GetModuleHandleA(nullptr));
    }
    HWND Button(const char *text, DWORD style, INT_PTR id) const {
        return Create("Button", text, WS_CHILD | WS_VISIBLE | style, main_, id);
    }
    // A key pressed on to, through the dialog manager of the plain window.
    BOOL Key(HWND to, WPARAM key) const {
        MSG msg{};
        msg.hwnd = to;
        msg.message = WM_KEYDOWN;
        msg.wParam = key;
        msg.lParam = key == VK_TAB ? 0x000F0001 : 0x001C0001;  // one press, its scan code
        return IsDialogMessageA(main_, &msg);
    }

    HWND main_ = nullptr, button1_ = nullptr, button2_ = nullptr, cancel_ = nullptr;
};

// Tab moves the focus from nowhere to the first tab stop, then past the
// button that is none to Cancel; Enter on the focused Cancel sends IDCANCEL.
TEST_F(PlainWindow, TabWalksItsButtonsAndEnterPressesTheFocusedCancel) {
    EXPECT_TRUE(Key(main_, VK_TAB));
    EXPECT_EQ(button1_, GetFocus());
    EXPECT_TRUE(Key(button1_, VK_TAB));
    EXPECT_EQ(cancel_, GetFocus());
    EXPECT_TRUE(Key(cancel_, VK_RETURN));
    EXPECT_TRUE(g_plain.cancel);
}

// Enter presses the focused default button whichever window the key is for,
// and sends its id as a word.
TEST_F(PlainWindow, EnterPressesTheFocusedDefaultButton) {
    SetFocus(button1_);
    for (HWND to : {button1_, main_, button2_}) {
        g_plain.button1 = false;
        EXPECT_TRUE(Key(to, VK_RETURN));
        EXPECT_TRUE(g_plain.button1) << "Enter for window " << (to == main_ ? "main" : "button");
    }
    g_plain.button1 = false;
    SetWindowLongPtrA(button1_, GWLP_ID, 0x1FFFF);
    EXPECT_TRUE(Key(main_, VK_RETURN));
    EXPECT_TRUE(g_plain.button1);
}

// ---- the focus given to a dialog ---------------------------------------------------------

struct RadioFocus {
    BOOL init_result = FALSE;
    HWND radio2 = nullptr, focus_before = nullptr, focus_after = nullptr;
    DWORD radio1_style = 0, radio2_style = 0;
};

// Wine's delayFocusDlgWinProc: the second radio button is checked in
// WM_INITDIALOG; once the dialog runs, the focus is read, then the dialog is
// given the focus and it is read again.
INT_PTR CALLBACK radio_focus_proc(HWND dlg, UINT msg, WPARAM, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dlg, DWLP_USER, lp);
        auto &init = *reinterpret_cast<RadioFocus *>(lp);
        init.radio2 = GetDlgItem(dlg, IDC_PT_RADIO2);
        SendDlgItemMessageA(dlg, IDC_PT_RADIO1, BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageA(init.radio2, BM_SETCHECK, BST_CHECKED, 0);
        init.radio1_style = static_cast<DWORD>(GetWindowLongA(GetDlgItem(dlg, IDC_PT_RADIO1), GWL_STYLE));
        init.radio2_style = static_cast<DWORD>(GetWindowLongA(init.radio2, GWL_STYLE));
        PostMessageA(dlg, WM_USER, 0, 0);
        return init.init_result;
    }
    case WM_USER: {
        auto &s = *reinterpret_cast<RadioFocus *>(GetWindowLongPtrA(dlg, DWLP_USER));
        s.focus_before = GetFocus();
        SetFocus(dlg);
        s.focus_after = GetFocus();
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// A checked radio button is the tab stop of its group (BM_SETCHECK moves
// WS_TABSTOP), so the focus goes to it: at once when WM_INITDIALOG answers
// TRUE, when the dialog is given the focus otherwise.
TEST(DialogInitialFocus, GoesToTheCheckedRadioButton) {
    for (BOOL init_result : {FALSE, TRUE}) {
        RadioFocus s;
        s.init_result = init_result;
        ASSERT_EQ(IDCANCEL, DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PT_RADIO), nullptr,
                                            radio_focus_proc, reinterpret_cast<LPARAM>(&s)));
        EXPECT_EQ(DWORD(0), s.radio1_style & WS_TABSTOP);
        EXPECT_EQ(DWORD(WS_TABSTOP), s.radio2_style & WS_TABSTOP);
        EXPECT_EQ(init_result ? s.radio2 : nullptr, s.focus_before) << "WM_INITDIALOG answered " << init_result;
        EXPECT_EQ(s.radio2, s.focus_after) << "WM_INITDIALOG answered " << init_result;
    }
}

}  // namespace
