// test_setup_failures.cpp - setup end to end when a step fails or the user
// stops it: what goes on after each failure and what does not, the waits the
// program asks for, and a machine recovered after a second setup stopped half
// way.
#include <chrono>

#include "operations.h"

namespace operations {
namespace {

using testrun::kBackupFailedQuestion;
using testrun::kCopyFailedQuestion;

TEST(SetupOperation, CancelInThePortSelectionChangesNothing) {
    const Row &row = row_named("WINNT40");
    Machine m(row);
    install(m);
    std::ofstream(m.driver_folder() / "PavoUI.dll", std::ios::binary) << "older";
    Result r = m.run(kCompleteSetup, "yes\ncancel\n");
    Lines expected = opening(row, kCompleteSetup);
    append(expected, {kPortDialog, "end 608=0", "exit 1"});
    EXPECT_EQ(expected, r.outline()) << r.error_output;
    EXPECT_EQ("older", read(m.driver_folder() / "PavoUI.dll"));
    EXPECT_EQ(std::vector<std::string>{}, backups(m));
    testjson::Value spooler = m.spooler();
    const testjson::Value *printer = find_named(spooler["printers"], "Ordane Garnet");
    ASSERT_TRUE(printer) << "the earlier printer stays";
    EXPECT_EQ(kPort, (*printer)["port"].s);
}

TEST(SetupOperation, SimpleSetupReplacesTheEarlierPrinterOnTheNewPort) {
    const Row &row = row_named("WIN98");
    Machine m(row);
    install(m);
    Result r = m.run(kSimpleSetup, "yes\nselect COM2:;ok\nok\n");
    EXPECT_EQ(expected_setup(row, kSimpleSetup, true), r.outline()) << r.error_output;
    testjson::Value spooler = m.spooler();
    ASSERT_EQ(1u, spooler["printers"].items.size());
    EXPECT_EQ("COM2:", spooler["printers"][0]["port"].s);
    EXPECT_EQ(std::vector<std::string>{}, backups(m));
}

// The first file of the list cannot be copied from the medium: No to question
// 27 stops the setup before registration; the silent clean-up has already run.
TEST(SetupOperation, NoToTheCopyQuestionEndsWithoutRegistrationAndTheEarlierPrinterIsGone) {
    const Row &row = row_named("WINNT50");
    Machine m(row);
    install(m);
    fs::remove(m.medium_file("PavoUI.dll"));
    Result r = m.run(kCompleteSetup, "yes\n" + kChoosePort + "ok\nno\n");
    Lines outline = r.outline();
    ASSERT_GE(outline.size(), 3u) << r.error_output;
    EXPECT_EQ(box_line("PavoUI.dll", kCopyFailedQuestion, "no"), outline[outline.size() - 2]);
    EXPECT_EQ("exit 1", outline.back());
    EXPECT_EQ(outline.end(), std::find(outline.begin(), outline.end(), "dialog 604"));
    EXPECT_EQ(1, std::count(outline.begin(), outline.end(), "end 602=0")) << "only the install copy failed";
    EXPECT_TRUE(fs::exists(m.driver_folder() / "PavoUI.bku"));
    EXPECT_FALSE(fs::exists(m.driver_folder() / "PavoGI.bku")) << "the later files are not touched";
    expect_nothing_installed(m, "stopped setup");
}

// Simple setup on the real clock: without copy dialogs, only the pause before
// the completion dialog takes a second.
TEST(SetupOperation, FailedDriverRegistrationStillTriesThePrinterAndCompletesAfterASecond) {
    const Row &row = row_named("WINNT40");
    Machine m(row);
    auto start = std::chrono::steady_clock::now();
    Result r = m.run(kSimpleSetup, "yes\n" + kChoosePort + "ok\nok\nok\n",
                     {{"WIN32HOST_FAIL", "AddPrinterDriverA=5"}, {"WIN32HOST_CLOCK", "real"}});
    auto elapsed = std::chrono::steady_clock::now() - start;
    Lines expected = opening(row, kSimpleSetup);
    append(expected,
           {kPortDialog, "end 608=1", box_line(kSetupFailure, "Printer driver setup has failed for reason 5...", "ok"),
            box_line(kSetupFailure, "Printer setup has failed for reason 1797...", "ok"), "dialog 604", "end 604=1",
            "exit 1"});
    EXPECT_EQ(expected, r.outline()) << r.error_output;
    EXPECT_GE(elapsed, std::chrono::milliseconds(1000));
    expect_nothing_installed(m, "refused driver");
}

// A step that cannot be taken: without the target folders either operation
// ends with message 114; without its port selection setup goes on with no
// port, which printer creation reports itself, and the driver stays
// registered; without its restart dialog a removal asks for no restart.
TEST(SetupOperation, AStepThatCannotBeTakenEndsOrGoesOnAsItMust) {
    auto then = [](Lines a, const Lines &b) { return append(a, b), a; };
    const struct {
        const char *row;
        Mode mode;
        const char *script, *fail;
        Lines after;  // the outline after the opening
        bool driver_stays;
    } cases[] = {
        {"WIN95", kCompleteSetup, "yes\nselect LPT1:;ok\nok\n", "GetSystemDirectoryA",
         {kPortDialog, "end 608=1", box_line(kSetupFailure, "Cannot get target folders names...", "ok"), "exit 1"},
         false},
        {"WIN95", kCompleteDeletion, "yes\nok\n", "GetSystemDirectoryA",
         {"title Ordane Driver deletion", box_line(kDeletionFailure, "Cannot get target folders names...", "ok"),
          "exit 1"},
         false},
        {"WINNT40", kCompleteSetup, "yes\nok\nok\n", "DialogBoxParamA#1",
         then(copy_dialogs(row_named("WINNT40"), false),
              {box_line(kSetupFailure, "Printer setup has failed for reason 1796...", "ok"), "dialog 604",
               "end 604=1", "exit 1"}),
         true},
        {"WINNT50", kSimpleDeletion, "yes\n", "DialogBoxParamA#1", {"title Ordane Driver deletion", "exit 1"}, false},
    };
    for (const auto &c : cases) {
        const Row &row = row_named(c.row);
        Machine m(row);
        if (c.mode == kSimpleDeletion) install(m);
        Result r = m.run(c.mode, c.script, {{"WIN32HOST_FAIL", c.fail}});
        EXPECT_EQ(then(opening(row, c.mode), c.after), r.outline()) << c.fail << "\n" << r.error_output;
        testjson::Value spooler = m.spooler();
        EXPECT_EQ(c.driver_stays, find_named(spooler["drivers"], "Ordane Garnet") != nullptr) << c.fail;
        EXPECT_FALSE(find_named(spooler["printers"], "Ordane Garnet")) << c.fail;
        EXPECT_FALSE(fs::exists(m.prefix() / "restart.log")) << c.fail;
    }
}

// The waits the program asks for, read from the transcript's clock: 500 ms
// before the dispatch, 500 ms in each copy dialog before its copy, and one
// second before the completion dialog.
TEST(SetupOperation, WaitsAsLongAsItMust) {
    const Row &row = row_named("WINNT40");
    Machine m(row);
    install(m);
    Result r = m.run(kCompleteSetup, script_for(row, kCompleteSetup, true));
    ASSERT_EQ(expected_setup(row, kCompleteSetup, true), r.outline()) << r.error_output;
    EXPECT_EQ(500, r.of("messagebox").at(0)["t"].n) << "the dispatch timer";
    for (size_t i = 1; i < r.events.size(); ++i) {
        const testjson::Value &e = r.events[i], &before = r.events[i - 1];
        long long waited = e["t"].n - before["t"].n;
        if (e["event"].s == "enddialog" && e["template"].n == 602) {
            EXPECT_EQ(500, waited) << "copy dialog ending at event " << i;
        }
        if (e["event"].s == "dialog" && e["template"].n == 604) {
            EXPECT_EQ(1000, waited) << "the pause before the completion dialog";
        }
    }
}

// A second setup stopped after its silent clean-up (No after a failed backup
// here; Ctrl+C during the backups leaves the same) leaves no printer and no
// driver, but the form and the files: the removal stops at its first step
// (1801), and the setup run again, then the removal, recover the machine.
TEST(Recovery, AStoppedSecondSetupIsUndoneBySetupThenRemoval) {
    const Row &row = row_named("WINNT50");
    Machine m(row);
    install(m);
    Result stopped = m.run(kCompleteSetup, "yes\n" + kChoosePort + "ok\nno\n", {{"WIN32HOST_FAIL", "WriteFile#1"}});
    ASSERT_EQ(box_line("PavoUI.dll", kBackupFailedQuestion, "no"), stopped.outline().rbegin()[1])
        << stopped.error_output;
    expect_nothing_installed(m, "stopped second setup");
    EXPECT_TRUE(find_named(m.spooler()["forms"], "Card"));
    Result refused = m.run(kCompleteDeletion, script_for(row, kCompleteDeletion, false));
    EXPECT_EQ(expected_removal(row, kCompleteDeletion, false, false), refused.outline()) << refused.error_output;
    Result again = m.run(kCompleteSetup, script_for(row, kCompleteSetup, true));
    EXPECT_EQ(expected_setup(row, kCompleteSetup, true), again.outline()) << again.error_output;
    Result removed = m.run(kCompleteDeletion, script_for(row, kCompleteDeletion, true));
    EXPECT_EQ(expected_removal(row, kCompleteDeletion, true, true), removed.outline()) << removed.error_output;
    expect_nothing_installed(m, "recovered");
    EXPECT_FALSE(find_named(m.spooler()["forms"], "Card"));
    for (const auto &f : row.removed) EXPECT_FALSE(fs::exists(m.driver_folder() / f)) << f;
}

}  // namespace
}  // namespace operations
