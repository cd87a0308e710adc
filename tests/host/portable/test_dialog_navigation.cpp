// test_dialog_navigation.cpp - the dialog manager's walk over controls, after
// Wine's user32 dialog tests (run on Windows): GetNextDlgTabItem and
// GetNextDlgGroupItem over a row of controls visible or not, enabled or not,
// with tab stops and groups, and WM_NEXTDLGCTL moving the default-button
// style without changing the dialog's default id.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>

#include "dialog_builder.h"

namespace {

constexpr DWORD visible = WS_CHILD | WS_VISIBLE;

// The controls of Wine's "dialog 6", in order: id and style.
const struct {
    int id;
    DWORD style;
} row[] = {
    {63, visible | WS_DISABLED | WS_TABSTOP},   // at the start: disabled, skipped
    {64, WS_CHILD | WS_TABSTOP},                // invisible, skipped
    {65, WS_CHILD | WS_DISABLED | WS_TABSTOP},  // both
    {66, visible},                              // no tab stop: found by groups only
    {23, visible | WS_GROUP},                   // a group with no tab stop ends
    {67, visible | WS_TABSTOP},
    {24, WS_CHILD | WS_DISABLED | WS_GROUP},  // a group wholly disabled or invisible
    {68, visible | WS_DISABLED | WS_TABSTOP},
    {69, WS_CHILD | WS_TABSTOP},
    {25, visible | WS_GROUP},  // a valid group in the middle
    {70, visible},
    {71, visible | WS_DISABLED | WS_TABSTOP},
    {72, visible | WS_TABSTOP},
    {73, visible | WS_DISABLED | WS_TABSTOP},
    {26, visible | WS_GROUP},  // begins with an enabled visible label
    {74, visible | WS_TABSTOP},
    {75, visible | WS_TABSTOP},
    {27, visible | WS_DISABLED | WS_GROUP},  // begins with a disabled label
    {76, visible | WS_TABSTOP},
    {77, visible | WS_TABSTOP},
    {28, WS_CHILD | WS_GROUP},  // begins with an invisible label
    {78, visible | WS_TABSTOP},
    {79, visible},
    {80, visible | WS_DISABLED | WS_TABSTOP},
};

class DialogWalk : public ::testing::Test {
protected:
    void SetUp() override {
        parent_ = CreateWindowExA(0, "Static", "dialog 6", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, parent_);
        for (const auto &c : row)
            ids_[CreateWindowExA(0, "Static", "", c.style, 10, 10, 10, 10, parent_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), GetModuleHandleA(nullptr),
                                 nullptr)] = c.id;
    }
    void TearDown() override { DestroyWindow(parent_); }

    HWND control(int id) const {
        if (id == 6) return parent_;
        for (const auto &[h, i] : ids_)
            if (i == id) return h;
        return nullptr;
    }
    // The id of the control a walk from id (0: none, 6: the dialog) finds; 0 for none.
    int tab(int from, bool previous) const { return id_of(GetNextDlgTabItem(parent_, control(from), previous)); }
    int group(int from, bool previous) const { return id_of(GetNextDlgGroupItem(parent_, control(from), previous)); }
    int id_of(HWND h) const {
        auto it = ids_.find(h);
        return it == ids_.end() ? (h ? -1 : 0) : it->second;
    }

    HWND parent_ = nullptr;
    std::map<HWND, int> ids_;
};

// Wine's tests 1-8: from no control, or from the dialog itself, a backward
// walk finds nothing; a forward one the first reachable control.
TEST_F(DialogWalk, FromNoControlOrTheDialog) {
    EXPECT_EQ(0, group(0, true));
    EXPECT_EQ(0, tab(0, true));
    EXPECT_EQ(0, group(6, true));
    EXPECT_EQ(0, tab(6, true));
    EXPECT_EQ(66, group(0, false));
    EXPECT_EQ(67, tab(0, false));
    EXPECT_EQ(66, group(6, false));
    EXPECT_EQ(67, tab(6, false));
}

// Wine's tests 15-24: a group runs from a WS_GROUP control to the next; the
// last group wraps round into the first controls, which have no WS_GROUP.
TEST_F(DialogWalk, GroupItemsWrapWithinTheirGroup) {
    EXPECT_EQ(72, group(70, false));  // skipping a disabled control
    EXPECT_EQ(25, group(72, false));  // back to the group's first control
    EXPECT_EQ(26, group(75, false));
    EXPECT_EQ(76, group(77, false));  // the group's disabled label is skipped
    EXPECT_EQ(66, group(79, false));  // the last group goes on at the first control
    EXPECT_EQ(72, group(71, false));  // from a disabled control
    EXPECT_EQ(66, group(64, false));  // from an invisible one
    EXPECT_EQ(70, group(25, false));  // from the group's first control
    EXPECT_EQ(68, group(68, false));  // nothing reachable: the control itself
    EXPECT_EQ(72, group(25, true));
}

// Wine's tests 29-30: tab stops skip what is disabled, invisible or no tab stop.
TEST_F(DialogWalk, TabItemsSkipWhatCannotTakeTheFocus) {
    EXPECT_EQ(72, tab(67, false));
    EXPECT_EQ(67, tab(72, true));
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

}  // namespace
