// test_closing_dialogs.cpp - the dialogs that end a run end to end: the
// completion and restart dialogs' keys and French texts, and the restart
// asked for only where Windows would accept it, else message 156.
#include "operations.h"

namespace operations {
namespace {

using testrun::shown_dialog;

std::string focused_text(const testjson::Value &dialog) {
    for (const auto &c : dialog["controls"].items)
        if (c["focus"].b) return c["text"].s;
    return "";
}

TEST(ClosingDialogs, EscapeDoesNotCloseThemAndEnterMeansTheDefaultButton) {
    const Row &row = row_named("WIN98");
    Machine m(row);
    Result setup = m.run(kCompleteSetup, "yes\n" + kChoosePort + "key escape\nexpect Setup is complete\nkey enter\n");
    EXPECT_EQ(expected_setup(row, kCompleteSetup, false), setup.outline()) << setup.error_output;
    ASSERT_TRUE(shown_dialog(setup.events, 604));
    EXPECT_EQ("Quit", focused_text(*shown_dialog(setup.events, 604)));

    Result removal = m.run(kSimpleDeletion, "yes\nkey escape\nexpect must be restarted\nkey enter\n");
    EXPECT_EQ(expected_removal(row, kSimpleDeletion, true, true), removal.outline()) << removal.error_output;
    ASSERT_TRUE(shown_dialog(removal.events, 606));
    EXPECT_EQ("Yes", focused_text(*shown_dialog(removal.events, 606)));
}

TEST(ClosingDialogs, FrenchTextsAndButtons) {
    const Row &row = row_named("WINNT50");
    Machine m(row);
    Result setup = m.run(kCompleteSetup, "yes\n" + kChoosePort + "expect Fin\nok\n", {{"LANG", "fr_FR.UTF-8"}});
    ASSERT_TRUE(shown_dialog(setup.events, 604)) << setup.error_output;
    EXPECT_EQ(
        "L'installation est termin\xC3\xA9"
        "e !",
        (*shown_dialog(setup.events, 604))["controls"][0]["text"].s);
    Result removal = m.run(kSimpleDeletion, "yes\nexpect Oui\nno\n", {{"LANG", "fr_FR.UTF-8"}});
    ASSERT_TRUE(shown_dialog(removal.events, 606)) << removal.error_output;
    EXPECT_EQ(0u, (*shown_dialog(removal.events, 606))["controls"][0]["text"].s.find("Vous devez red\xC3\xA9marrer"));
    EXPECT_EQ("Suppression Driver Ordane", removal.of("title").back()["text"].s);
}

// ---- the restart request ----

struct RestartCase {
    const char *label;
    const char *row;
    const char *winver;  // the machine, when it differs from the row's
    std::map<std::string, std::string> env;
    const char *method;  // the recorded restart, or nullptr for message 156
};

const RestartCase kRestartCases[] = {
    {"95 without any token", "WIN95", nullptr, {}, "ExitWindowsEx"},
    {"98 whatever the token functions do",
     "WIN98",
     nullptr,
     {{"WIN32HOST_FAIL", "OpenProcessToken,LookupPrivilegeValueA,AdjustTokenPrivileges"}},
     "ExitWindowsEx"},
    {"95 row on NT: ExitWindowsEx wants the privilege", "WIN95", "win2000", {}, nullptr},
    {"NT row on 98: no tokens there", "WINNT40", "win98", {}, nullptr},
    {"NT user without the privilege", "WINNT40", nullptr, {{"WIN32HOST_SHUTDOWN", "deny"}}, nullptr},
    {"NT 3.51 without the privilege", "WINNT351", nullptr, {{"WIN32HOST_SHUTDOWN", "deny"}}, nullptr},
    {"token not opened", "WINNT50", nullptr, {{"WIN32HOST_FAIL", "OpenProcessToken"}}, nullptr},
    {"privilege unknown: nothing enabled", "WINNT50", nullptr, {{"WIN32HOST_FAIL", "LookupPrivilegeValueA"}}, nullptr},
    {"shut-down refused", "WINNT50", nullptr, {{"WIN32HOST_FAIL", "InitiateSystemShutdownA"}}, nullptr},
    {"disabling again may fail",
     "WINNT50",
     nullptr,
     {{"WIN32HOST_FAIL", "AdjustTokenPrivileges#2"}},
     "InitiateSystemShutdownA"},
    {"98 refused", "WIN98", nullptr, {{"WIN32HOST_FAIL", "ExitWindowsEx"}}, nullptr},
};

// An NT row on Windows 98 also meets the forms that 98 does not have.
bool forms_refused(const Row &row) { return row.nt && std::string(row.winver).rfind("win9", 0) == 0; }

// A simple deletion answered Yes to the restart: the restart recorded, or
// message 156 in its place.
Lines expected_restart(const Row &row, const RestartCase &c) {
    Lines expected = expected_removal(row, kSimpleDeletion, true, true);
    expected.resize(expected.size() - 2);  // the restart and the exit
    if (forms_refused(row))
        expected.insert(expected.end() - 2,
                        box_line(kDeletionFailure,
                                 "Paper format created for printer has not been deleted from the system...", "ok"));
    if (c.method)
        expected.push_back(std::string("restart ") + c.method);
    else
        expected.push_back(box_line(kDeletionFailure,
                                    "Computer cannot be restarted automatically...\r\nYou must do it manually.", "ok"));
    expected.push_back("exit 1");
    return expected;
}

TEST(Restart, IsRequestedOnlyWhereWindowsWouldAcceptIt) {
    for (const auto &c : kRestartCases) {
        Row row = row_named(c.row);
        if (c.winver) row.winver = c.winver;
        Machine m(row);
        install(m);
        Result r = m.run(kSimpleDeletion, forms_refused(row) ? "yes\nok\nyes\nok\n" : "yes\nyes\nok\n", c.env);
        EXPECT_EQ(expected_restart(row, c), r.outline()) << c.label << "\n" << r.error_output;
        std::string log = m.restart_log();
        if (c.method) {
            EXPECT_EQ(std::string(" ") + c.method + "\n", log.substr(log.find(' '))) << c.label;
            EXPECT_EQ('Z', log[19]) << c.label << ": " << log;
        } else {
            EXPECT_EQ("", log) << c.label;
        }
    }
}

}  // namespace
}  // namespace operations
