// test_dialogs.cpp - the dialog manager: templates read in dialog units,
// the WM_INITDIALOG focus rule, Tab and Shift+Tab, Enter and Escape, the
// default button following the focus, list box and progress bar messages,
// and the dialog events of the transcript.
#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialog_ids.h"
#include "host_support.h"

namespace {

using hosttest::ScriptedUser;

// A dialog procedure that records what it sees and ends on chosen commands.
struct Probe {
    INT_PTR init_result = TRUE;
    int focus_in_init = 0;
    bool end_in_init = false;
    std::vector<int> ending_commands{IDOK, IDC_ONE, IDC_TWO};
    std::vector<std::string> items;  // added to IDC_LIST
    std::vector<std::string> log;
    std::vector<int> tab_walk;  // GetNextDlgTabItem results seen in WM_INITDIALOG
};

std::string describe_focus(HWND dlg) {
    HWND focus = GetFocus();
    return focus && IsChild(dlg, focus) ? std::to_string(GetDlgCtrlID(focus)) : "none";
}

std::string style_type(HWND dlg, int id) {
    return std::to_string(GetWindowLongA(GetDlgItem(dlg, id), GWL_STYLE) & BS_TYPEMASK);
}

void record_tab_walk(HWND dlg, Probe &p) {
    HWND one = GetDlgItem(dlg, IDC_ONE), list = GetDlgItem(dlg, IDC_LIST);
    for (HWND h : {GetNextDlgTabItem(dlg, nullptr, FALSE), GetNextDlgTabItem(dlg, one, FALSE),
                   GetNextDlgTabItem(dlg, list, FALSE), GetNextDlgTabItem(dlg, one, TRUE),
                   GetNextDlgTabItem(dlg, nullptr, TRUE)})
        p.tab_walk.push_back(GetDlgCtrlID(h));
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
    int id = LOWORD(wp);
    std::string entry =
        "command " + std::to_string(id) + " code " + std::to_string(HIWORD(wp)) + " focus " + describe_focus(dlg);
    if (GetDlgItem(dlg, IDC_LIST)) {
        entry += " styles " + style_type(dlg, IDC_ONE) + style_type(dlg, IDC_TWO) + " sel " +
                 std::to_string(SendDlgItemMessageA(dlg, IDC_LIST, LB_GETCURSEL, 0, 0));
    }
    p->log.push_back(entry);
    for (int ending : p->ending_commands)
        if (id == ending && HIWORD(wp) == BN_CLICKED) EndDialog(dlg, id);
    return TRUE;
}

// The commands of clicks and keys, without the list box's notifications.
std::vector<std::string> clicks(const Probe &p) {
    std::vector<std::string> out;
    for (const auto &e : p.log)
        if (e.find(" code 0 ") != std::string::npos) out.push_back(e);
    return out;
}

INT_PTR RunDialog(int id, Probe &p) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, probe_proc, (LPARAM)&p);
}

TEST(DialogKeys, TabWalksTheTabStopsSkippingDisabledControlsAndWraps) {
    ScriptedUser user("key tab; key tab; key tab; key enter\n");
    Probe p;
    EXPECT_EQ(IDC_ONE, RunDialog(IDD_KEYS, p));
    // Back on One after Two and the list; One took the default style from Two.
    EXPECT_EQ(std::vector<std::string>{"command 11 code 0 focus 11 styles 10 sel -1"}, clicks(p));
}

TEST(DialogKeys, ShiftTabWalksBackwardsAndEnterInTheListPressesTheDefaultButton) {
    ScriptedUser user("key shift-tab; key enter\n");
    Probe p;
    EXPECT_EQ(IDC_TWO, RunDialog(IDD_KEYS, p));
    EXPECT_EQ(std::vector<std::string>{"command 12 code 0 focus 13 styles 01 sel -1"}, clicks(p));
}

TEST(DialogKeys, EscapeSendsCancelWhichTheDialogMayIgnore) {
    ScriptedUser user("key escape\nexpect Keys; press 12\n");
    Probe p;
    EXPECT_EQ(IDC_TWO, RunDialog(IDD_KEYS, p));
    ASSERT_EQ(2u, clicks(p).size());
    EXPECT_EQ(0u, clicks(p)[0].rfind("command 2 code 0", 0)) << p.log[0];
}

TEST(DialogKeys, ArrowsMoveTheListSelectionAndNotify) {
    ScriptedUser user("key tab; key tab; key down; key down; key enter\n");
    Probe p;
    p.items = {"LPT1:  (Local Port)", "COM1:  (Local Port)", "FILE:  (Print to File)", "COM2:  (Local Port)"};
    EXPECT_EQ(IDC_TWO, RunDialog(IDD_KEYS, p));
    std::vector<std::string> selchanges;
    for (const auto &e : p.log)
        if (e.find("code 1 ") != std::string::npos) selchanges.push_back(e);
    EXPECT_EQ(2u, selchanges.size());
    // The focus rectangle starts on the first entry; each Down moves past it.
    EXPECT_EQ(std::vector<std::string>{"command 12 code 0 focus 13 styles 01 sel 2"}, clicks(p));
}

TEST(DialogKeys, SelectPicksAnEntryAndPressClicksAButton) {
    ScriptedUser user("select FILE; press 12\n");
    Probe p;
    p.items = {"LPT1:  (Local Port)", "FILE:  (Print to File)"};
    EXPECT_EQ(IDC_TWO, RunDialog(IDD_KEYS, p));
    EXPECT_EQ(std::vector<std::string>{"command 12 code 0 focus 12 styles 01 sel 0"}, clicks(p));
}

TEST(DialogFocus, ReturningTrueFocusesTheFirstTabStop) {
    ScriptedUser user("key enter\n");
    Probe p;
    EXPECT_EQ(IDC_ONE, RunDialog(IDD_PLAIN, p));
    EXPECT_EQ("command 11 code 0 focus 11", p.log.at(0));
}

TEST(DialogFocus, ReturningFalseKeepsTheFocusTheProcedureSet) {
    ScriptedUser user("key enter\n");
    Probe p;
    p.init_result = FALSE;
    p.focus_in_init = IDC_TWO;
    EXPECT_EQ(IDC_TWO, RunDialog(IDD_PLAIN, p));
    EXPECT_EQ("command 12 code 0 focus 12", p.log.at(0));
}

TEST(DialogFocus, GetNextDlgTabItemWrapsAndSkipsDisabledControls) {
    ScriptedUser user("press 11\n");
    Probe p;
    RunDialog(IDD_KEYS, p);
    EXPECT_EQ((std::vector<int>{IDC_ONE, IDC_TWO, IDC_ONE, IDC_LIST, IDC_LIST}), p.tab_walk);
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

// Runs checks on the controls of a dialog while it initialises.
template <class F>
void WithKeysDialog(F check) {
    struct Context {
        F *check;
    } ctx{&check};
    auto proc = [](HWND dlg, UINT msg, WPARAM, LPARAM lp) -> INT_PTR {
        if (msg != WM_INITDIALOG) return FALSE;
        (*reinterpret_cast<Context *>(lp)->check)(dlg);
        EndDialog(dlg, 1);
        return TRUE;
    };
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_KEYS), nullptr, proc, (LPARAM)&ctx);
}

TEST(ListBox, SortsLikeWindowsAndAnswersItsMessages) {
    WithKeysDialog([](HWND dlg) {
        HWND list = GetDlgItem(dlg, IDC_LIST);
        EXPECT_EQ(LB_ERR, SendMessageA(list, LB_GETCURSEL, 0, 0));
        for (const char *port : {"LPT1:  (Local Port)", "COM10:  (Local Port)", "COM1:  (Local Port)", "FILE:  (x)"})
            SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)port);
        char text[80];
        const char *expected[] = {"COM1:  (Local Port)", "COM10:  (Local Port)", "FILE:  (x)", "LPT1:  (Local Port)"};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ((LRESULT)std::strlen(expected[i]), SendMessageA(list, LB_GETTEXT, i, (LPARAM)text));
            EXPECT_STREQ(expected[i], text);
        }
        EXPECT_EQ(10, SendMessageA(list, LB_GETTEXTLEN, 2, 0));
        EXPECT_EQ(LB_ERR, SendMessageA(list, LB_GETTEXTLEN, 4, 0));
        EXPECT_EQ(2, SendMessageA(list, LB_SETCURSEL, 2, 0));
        EXPECT_EQ(LB_ERR, SendMessageA(list, LB_SETCURSEL, 9, 0));
        EXPECT_EQ(2, SendMessageA(list, LB_GETCURSEL, 0, 0));
        EXPECT_EQ(LB_ERR, SendMessageA(list, LB_SETCURSEL, (WPARAM)-1, 0));  // clears, yet answers LB_ERR
        EXPECT_EQ(LB_ERR, SendMessageA(list, LB_GETCURSEL, 0, 0));
        EXPECT_EQ(1, SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "com1:  (Local Port)"));
    });
}

TEST(ProgressBar, KeepsItsPositionInsideItsRange) {
    WithKeysDialog([](HWND dlg) {
        HWND bar = GetDlgItem(dlg, IDC_BAR);
        EXPECT_EQ(MAKELONG(0, 100), SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 50)));
        EXPECT_EQ(MAKELONG(0, 50), SendMessageA(bar, PBM_SETRANGE32, 0, 3000000));
        EXPECT_EQ(3000000, SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
        EXPECT_EQ(0, SendMessageA(bar, PBM_SETPOS, 1024, 0));
        EXPECT_EQ(1024, SendMessageA(bar, PBM_DELTAPOS, 2048, 0));
        EXPECT_EQ(3072, SendMessageA(bar, PBM_GETPOS, 0, 0));
        SendMessageA(bar, PBM_DELTAPOS, 5000000, 0);
        EXPECT_EQ(3000000, SendMessageA(bar, PBM_GETPOS, 0, 0));
        SendMessageA(bar, PBM_SETPOS, (WPARAM)-5, 0);
        EXPECT_EQ(0, SendMessageA(bar, PBM_GETPOS, 0, 0));
    });
}

TEST(Buttons, DefaultStyleIsAPlainStyleBitTheDialogManagerReads) {
    WithKeysDialog([](HWND dlg) {
        HWND two = GetDlgItem(dlg, IDC_TWO);
        EXPECT_EQ(DLGC_BUTTON | DLGC_DEFPUSHBUTTON, SendMessageA(two, WM_GETDLGCODE, 0, 0));
        LONG style = GetWindowLongA(two, GWL_STYLE);
        SetWindowLongA(two, GWL_STYLE, style & ~BS_DEFPUSHBUTTON);
        EXPECT_EQ(DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON, SendMessageA(two, WM_GETDLGCODE, 0, 0));
        // The dialog still remembers its default from the template.
        EXPECT_EQ(MAKELONG(IDC_TWO, DC_HASDEFID), SendMessageA(dlg, DM_GETDEFID, 0, 0));
        SendMessageA(dlg, DM_SETDEFID, IDC_ONE, 0);
        EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongA(GetDlgItem(dlg, IDC_ONE), GWL_STYLE) & BS_TYPEMASK);
    });
}

}  // namespace
