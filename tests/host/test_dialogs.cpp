// test_dialogs.cpp - the dialog manager driven by the script front-end:
// templates read in dialog units, the WM_INITDIALOG focus rule, Tab and
// Shift+Tab, Enter and Escape, the default button following the focus, the
// group walk kept within the dialog, and the dialog events of the transcript.
// What Windows does without a user is pinned by the portable tests
// (portable/test_dialog_*.cpp).
#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialog_ids.h"
#include "host_support.h"

namespace {

using hosttest::ScriptedUser;

// One WM_COMMAND as the dialog procedure saw it: the control and the
// notification code, the control with the focus (0: none), the button types
// of One and Two (BS_PUSHBUTTON or BS_DEFPUSHBUTTON) and the list selection.
struct Command {
    int id = 0;
    int code = 0;
    int focus = 0;
    DWORD one_type = 0, two_type = 0;
    LRESULT selection = LB_ERR;
};

// A dialog procedure that records what it sees and ends on chosen commands.
struct Probe {
    INT_PTR init_result = TRUE;
    int focus_in_init = 0;
    bool end_in_init = false;
    std::vector<int> ending_commands{IDOK, IDC_ONE, IDC_TWO};
    std::vector<std::string> items;  // added to IDC_LIST
    std::vector<Command> log;
    std::vector<int> tab_walk;  // GetNextDlgTabItem results seen in WM_INITDIALOG
};

int focused_id(HWND dlg) {
    HWND focus = GetFocus();
    return focus && IsChild(dlg, focus) ? GetDlgCtrlID(focus) : 0;
}

DWORD button_type(HWND dlg, int id) {
    return static_cast<DWORD>(GetWindowLongA(GetDlgItem(dlg, id), GWL_STYLE)) & BS_TYPEMASK;
}

void record_tab_walk(HWND dlg, Probe &p) {
    HWND one = GetDlgItem(dlg, IDC_ONE), list = GetDlgItem(dlg, IDC_LIST);
    for (HWND h : {GetNextDlgTabItem(dlg, nullptr, FALSE), GetNextDlgTabItem(dlg, one, FALSE),
                   GetNextDlgTabItem(dlg, list, FALSE), GetNextDlgTabItem(dlg, one, TRUE),
                   GetNextDlgTabItem(dlg, nullptr, TRUE)})
        p.tab_walk.push_back(h ? GetDlgCtrlID(h) : 0);
}

INT_PTR on_init(HWND dlg, Probe &p) {
    for (const auto &item : p.items) SendDlgItemMessageA(dlg, IDC_LIST, LB_ADDSTRING, 0, (LPARAM)item.c_str());
    if (GetDlgItem(dlg, IDC_LIST)) record_tab_walk(dlg, p);
    if (p.focus_in_init) SetFocus(GetDlgItem(dlg, p.focus_in_init));
    if (p.end_in_init) EndDialog(dlg, 42);
    return p.init_result;
}

INT_PTR CALLBACK probe_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(dlg, DWLP_USER, lp);
        return on_init(dlg, *reinterpret_cast<Probe *>(lp));
    }
    auto *p = reinterpret_cast<Probe *>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (!p || msg != WM_COMMAND) return FALSE;
    Command c;
    c.id = LOWORD(wp);
    c.code = HIWORD(wp);
    c.focus = focused_id(dlg);
    if (GetDlgItem(dlg, IDC_LIST)) {
        c.one_type = button_type(dlg, IDC_ONE);
        c.two_type = button_type(dlg, IDC_TWO);
        c.selection = SendDlgItemMessageA(dlg, IDC_LIST, LB_GETCURSEL, 0, 0);
    }
    p->log.push_back(c);
    for (int ending : p->ending_commands)
        if (c.id == ending && c.code == BN_CLICKED) EndDialog(dlg, c.id);
    return TRUE;
}

// The commands of clicks and keys, without the list box's notifications.
std::vector<Command> clicks(const Probe &p) {
    std::vector<Command> out;
    for (const auto &c : p.log)
        if (c.code == BN_CLICKED) out.push_back(c);
    return out;
}

// Checks a click's fields one by one, so that a failure names the field.
void ExpectClick(const Command &c, int id, int focus, DWORD one_type, DWORD two_type, LRESULT selection) {
    EXPECT_EQ(id, c.id);
    EXPECT_EQ(focus, c.focus) << "focus";
    EXPECT_EQ(one_type, c.one_type) << "One's button type";
    EXPECT_EQ(two_type, c.two_type) << "Two's button type";
    EXPECT_EQ(selection, c.selection) << "list selection";
}

INT_PTR RunDialog(int id, Probe &p) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, probe_proc, (LPARAM)&p);
}

TEST(DialogKeys, TabWalksTheTabStopsSkippingDisabledControlsAndWraps) {
    ScriptedUser user("key tab; key tab; key tab; key enter\n");
    Probe p;
    EXPECT_EQ(IDC_ONE, RunDialog(IDD_KEYS, p));
    // Back on One after Two and the list; One took the default style from Two.
    ASSERT_EQ(1u, clicks(p).size());
    ExpectClick(clicks(p)[0], IDC_ONE, IDC_ONE, BS_DEFPUSHBUTTON, BS_PUSHBUTTON, LB_ERR);
}

TEST(DialogKeys, ShiftTabWalksBackwardsAndEnterInTheListPressesTheDefaultButton) {
    ScriptedUser user("key shift-tab; key enter\n");
    Probe p;
    EXPECT_EQ(IDC_TWO, RunDialog(IDD_KEYS, p));
    ASSERT_EQ(1u, clicks(p).size());
    ExpectClick(clicks(p)[0], IDC_TWO, IDC_LIST, BS_PUSHBUTTON, BS_DEFPUSHBUTTON, LB_ERR);
}

TEST(DialogKeys, EscapeSendsCancelWhichTheDialogMayIgnore) {
    ScriptedUser user("key escape\nexpect Keys; press 12\n");
    Probe p;
    EXPECT_EQ(IDC_TWO, RunDialog(IDD_KEYS, p));
    ASSERT_EQ(2u, clicks(p).size());
    EXPECT_EQ(IDCANCEL, clicks(p)[0].id);
}

TEST(DialogKeys, ArrowsMoveTheListSelectionAndNotify) {
    ScriptedUser user("key tab; key tab; key down; key down; key enter\n");
    Probe p;
    p.items = {"LPT1:  (Local Port)", "COM1:  (Local Port)", "FILE:  (Print to File)", "COM2:  (Local Port)"};
    EXPECT_EQ(IDC_TWO, RunDialog(IDD_KEYS, p));
    int selchanges = 0;
    for (const auto &c : p.log) selchanges += c.id == IDC_LIST && c.code == LBN_SELCHANGE;
    EXPECT_EQ(2, selchanges);
    // The focus rectangle starts on the first entry; each Down moves past it.
    ASSERT_EQ(1u, clicks(p).size());
    ExpectClick(clicks(p)[0], IDC_TWO, IDC_LIST, BS_PUSHBUTTON, BS_DEFPUSHBUTTON, 2);
}

// select picks an entry and press clicks a button; press on the list box
// gives it the focus and chooses no entry, and Enter there presses the
// default button.
TEST(DialogKeys, SelectPicksAnEntryAndPressClicksAButton) {
    const struct {
        const char *script;
        int focus;
        LRESULT selection;
    } rows[] = {{"select FILE; press 12\n", IDC_TWO, 0}, {"press 13; key enter\n", IDC_LIST, LB_ERR}};
    for (const auto &row : rows) {
        ScriptedUser user(row.script);
        Probe p;
        p.items = {"LPT1:  (Local Port)", "FILE:  (Print to File)"};
        EXPECT_EQ(IDC_TWO, RunDialog(IDD_KEYS, p)) << row.script;
        ASSERT_EQ(1u, clicks(p).size()) << row.script;
        ExpectClick(clicks(p)[0], IDC_TWO, row.focus, BS_PUSHBUTTON, BS_DEFPUSHBUTTON, row.selection);
    }
}

TEST(DialogFocus, ReturningTrueFocusesTheFirstTabStop) {
    ScriptedUser user("key enter\n");
    Probe p;
    EXPECT_EQ(IDC_ONE, RunDialog(IDD_PLAIN, p));
    ASSERT_EQ(1u, p.log.size());
    EXPECT_EQ(IDC_ONE, p.log[0].id);
    EXPECT_EQ(IDC_ONE, p.log[0].focus);
}

TEST(DialogFocus, ReturningFalseKeepsTheFocusTheProcedureSet) {
    ScriptedUser user("key enter\n");
    Probe p;
    p.init_result = FALSE;
    p.focus_in_init = IDC_TWO;
    EXPECT_EQ(IDC_TWO, RunDialog(IDD_PLAIN, p));
    ASSERT_EQ(1u, p.log.size());
    EXPECT_EQ(IDC_TWO, p.log[0].id);
    EXPECT_EQ(IDC_TWO, p.log[0].focus);
}

TEST(DialogFocus, GetNextDlgTabItemWrapsAndSkipsDisabledControls) {
    ScriptedUser user("press 11\n");
    Probe p;
    RunDialog(IDD_KEYS, p);
    // Backwards from no control finds nothing, as on Windows.
    EXPECT_EQ((std::vector<int>{IDC_ONE, IDC_TWO, IDC_ONE, IDC_LIST, 0}), p.tab_walk);
}

// A control of another window has no group in the dialog: the walk answers
// nothing rather than climb out of the dialog for ever (Wine answers so too;
// no test on Windows says).
TEST(DialogGroups, AControlOfAnotherWindowHasNoGroupThere) {
    HWND windows[2], controls[2];
    for (int i = 0; i < 2; ++i) {
        windows[i] = CreateWindowExA(0, "Static", "w", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
        controls[i] = CreateWindowExA(0, "Static", "c", WS_CHILD | WS_VISIBLE | WS_GROUP, 0, 0, 9, 9, windows[i],
                                      reinterpret_cast<HMENU>(1), nullptr, nullptr);
    }
    for (BOOL previous : {FALSE, TRUE}) {
        EXPECT_EQ(nullptr, GetNextDlgGroupItem(windows[0], controls[1], previous));
        EXPECT_EQ(nullptr, GetNextDlgGroupItem(windows[0], windows[1], previous));
    }
    for (HWND w : windows) DestroyWindow(w);
}

TEST(DialogClose, TheCloseBoxSendsCancel) {
    ScriptedUser user("close\n");
    Probe p;
    p.ending_commands.push_back(IDCANCEL);
    EXPECT_EQ(IDCANCEL, RunDialog(IDD_PLAIN, p));
}

TEST(DialogLifecycle, EndingDuringInitialisationNeverShowsTheDialog) {
    hosttest::Transcript transcript;
    Probe p;
    p.end_in_init = true;
    EXPECT_EQ(42, RunDialog(IDD_KEYS, p));
    auto events = transcript.events();
    ASSERT_EQ(2u, events.size());  // enddialog, then the test's own exit
    EXPECT_EQ("enddialog", events[0]["event"].s);
    EXPECT_EQ(IDD_KEYS, events[0]["template"].n);
    EXPECT_EQ(42, events[0]["result"].n);
}

// EndDialog posts WM_NULL to wake the modal loop; the dialog's destruction
// takes it out of the queue again, as it does every message posted to it.
TEST(DialogLifecycle, TheEndedDialogLeavesNoMessageInTheQueue) {
    Probe p;
    p.end_in_init = true;
    EXPECT_EQ(42, RunDialog(IDD_KEYS, p));
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "message " << msg.message;
}

TEST(DialogLifecycle, AMissingTemplateFailsWithMinusOne) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(-1, DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(9999), nullptr, probe_proc, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError());
}

TEST(DialogTranscript, ShowsEveryControlWithItsClassStyleTextAndFocus) {
    hosttest::Transcript transcript;
    ScriptedUser user("press 11\n");
    Probe p;
    p.items = {"b", "a"};
    RunDialog(IDD_KEYS, p);
    auto events = transcript.events();
    ASSERT_GE(events.size(), 2u);
    const auto &shown = events[0];
    EXPECT_EQ("dialog", shown["event"].s);
    EXPECT_EQ(IDD_KEYS, shown["template"].n);
    EXPECT_EQ("Keys", shown["title"].s);
    const auto &controls = shown["controls"];
    ASSERT_EQ(6u, controls.items.size());
    const char *classes[] = {"Static", "Button", "Button", "ListBox", "Button", "msctls_progress32"};
    const long long ids[] = {65535, IDC_ONE, IDC_TWO, IDC_LIST, IDC_OFF, IDC_BAR};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(classes[i], controls[i]["class"].s);
        EXPECT_EQ(ids[i], controls[i]["id"].n);
        EXPECT_EQ(i == 1, controls[i]["focus"].b) << i;
    }
    EXPECT_EQ("Label", controls[0]["text"].s);
    EXPECT_EQ(static_cast<long long>(WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP), controls[2]["style"].n);
    ASSERT_EQ(2u, controls[3]["items"].items.size());
    EXPECT_EQ("a", controls[3]["items"][0].s);
    EXPECT_EQ(-1, controls[3]["selection"].n);
    const auto &ended = events[1];
    EXPECT_EQ("enddialog", ended["event"].s);
    EXPECT_EQ(IDC_ONE, ended["result"].n);
    EXPECT_EQ(0, ended["progress"][0].n);
    EXPECT_EQ(100, ended["progress"][1].n);
}

// Records the geometry of a dialog and its controls, then ends it.
struct Geometry {
    RECT window{}, client{}, yes{}, icon{};
    POINT yes_origin{};
};

INT_PTR CALLBACK geometry_proc(HWND dlg, UINT msg, WPARAM, LPARAM lp) {
    if (msg != WM_INITDIALOG) return FALSE;
    auto *g = reinterpret_cast<Geometry *>(lp);
    GetWindowRect(dlg, &g->window);
    GetClientRect(dlg, &g->client);
    if (HWND yes = GetDlgItem(dlg, IDC_ONE)) GetWindowRect(yes, &g->yes);
    if (HWND icon = GetDlgItem(dlg, IDC_ICON)) GetWindowRect(icon, &g->icon);
    EndDialog(dlg, 1);
    return TRUE;
}

TEST(DialogGeometry, DialogUnitsBecomePixelsOfTheDialogFont) {
    Geometry g;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PLAIN), nullptr, geometry_proc, (LPARAM)&g);
    // 198 x 138 units of "MS Sans Serif" 8 (6 x 13 pixels for 4 x 8 units),
    // a 3-pixel modal frame and a 19-pixel caption.
    EXPECT_EQ(297, g.client.right);
    EXPECT_EQ(224, g.client.bottom);
    EXPECT_EQ(303, g.window.right - g.window.left);
    EXPECT_EQ(249, g.window.bottom - g.window.top);
    EXPECT_EQ(g.window.left + 3 + 60, g.yes.left);
    EXPECT_EQ(g.window.top + 22 + 195, g.yes.top);
    EXPECT_EQ(105, g.yes.right - g.yes.left);
    EXPECT_EQ(20, g.yes.bottom - g.yes.top);
    EXPECT_EQ(32, g.icon.right - g.icon.left);  // an icon static takes its icon's size
    EXPECT_EQ(32, g.icon.bottom - g.icon.top);
}

TEST(DialogGeometry, NoCaptionMeansOnlyTheFrame) {
    Geometry g;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_NOCAPTION), nullptr, geometry_proc, (LPARAM)&g);
    EXPECT_EQ(264 + 6, g.window.right - g.window.left);
    EXPECT_EQ(70 + 6, g.window.bottom - g.window.top);
}

INT_PTR CALLBACK atoms_proc(HWND dlg, UINT msg, WPARAM, LPARAM lp) {
    if (msg != WM_INITDIALOG) return FALSE;
    auto *out = reinterpret_cast<std::vector<std::string> *>(lp);
    char name[8];
    out->push_back(std::to_string(GetClassNameA(GetDlgItem(dlg, IDC_ONE), name, sizeof name)) + name);
    out->push_back(std::to_string(GetClassNameA(GetDlgItem(dlg, IDC_ONE), name, 4)) + name);
    RECT r{4, 8, 8, 16};
    MapDialogRect(dlg, &r);
    out->push_back(std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                   std::to_string(r.bottom));
    EndDialog(dlg, 1);
    return TRUE;
}

TEST(DialogTemplates, PredefinedClassAtomsAndTheSystemFont) {
    std::vector<std::string> seen;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ATOMS), nullptr, atoms_proc, (LPARAM)&seen);
    EXPECT_EQ((std::vector<std::string>{"6Button", "3But", "8,16,16,32"}), seen);
}

// win32host's choice where Windows is not checked (Wine inserts before):
// a sorted list box puts an entry after those that compare equal to it.
TEST(ListBoxSorting, AnEntryGoesAfterThoseEqualToIt) {
    HWND list = CreateWindowExA(0, "ListBox", "", LBS_SORT, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "COM1:  (Local Port)");
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "COM10:  (Local Port)");
    EXPECT_EQ(1, SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "com1:  (Local Port)"));
    DestroyWindow(list);
}

}  // namespace
