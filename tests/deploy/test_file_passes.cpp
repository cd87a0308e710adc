// test_file_passes.cpp - the per-file procedure by replace policy, the
// continue-or-stop questions after failed copies, a target held by another
// process, the deployment and removal passes over the platform table, and
// the target-folder set-up.
#include "deploy_support.h"

namespace deploytest {
namespace {

using testrun::kBackupFailedQuestion;
using testrun::kCopyFailedQuestion;

const FileRecord kAlways = {"PavoUI.dll", "src\\", REPLACE_ALWAYS, ANSWER_NONE, 0};
const FileRecord kNever = {"PavoGI.dll", "src\\", REPLACE_NEVER, ANSWER_NONE, 0};
const FileRecord kAsk = {"Ordane.ini", "src\\", REPLACE_ASK, ANSWER_YES, 1};

// What the pass shows, in short.
const char kSave[] = "dialog 602 Save...";
const char kSetup[] = "dialog 602 Setup...";
const char kReplace[] = "dialog 600 Confirm file replacement...";

// A box about PavoUI.dll, answered.
std::string pavo_box(const std::string &text, const char *answer) { return box_line("PavoUI.dll", text, answer); }

class Passes : public Deployment {
protected:
    int deploy(const FileRecord &record, const char *script) {
        hosttest::ScriptedUser user(script);
        return DeployFile(NULL, &record);
    }
    Lines shown() { return transcript_->outline({"dialog", "messagebox"}); }
    // The medium of the platform table: the NT files under "Nt4.0\".
    void write_nt_medium() {
        for (const char *name : {"PavoUI.dll", "PavoGI.dll", "Ordane.ini", "Ordanea.hlp", "Ordanef.hlp"})
            write_host(folder() / "medium" / "Nt4.0" / name, std::string("new ") + name);
    }
};

TEST_F(Passes, AnAbsentFileIsCopiedWithoutQuestionOrBackupWhateverItsPolicy) {
    for (const FileRecord *record : {&kAlways, &kNever, &kAsk}) {
        write_host(medium(record->pszFileName), "new");
        EXPECT_EQ(1, deploy(*record, ""));
        EXPECT_EQ("new", read_host(driver_file(record->pszFileName)));
    }
    EXPECT_EQ((Lines{kSetup, kSetup, kSetup}), shown());
    EXPECT_EQ(3u, driver_folder_entries().size());
}

TEST_F(Passes, PolicyZeroBacksTheFileUpAndReplacesIt) {
    write_host(medium("PavoUI.dll"), "new");
    write_host(driver_file("PavoUI.dll"), "old");
    EXPECT_EQ(1, deploy(kAlways, ""));
    EXPECT_EQ("new", read_host(driver_file("PavoUI.dll")));
    EXPECT_EQ("old", read_host(driver_file("PavoUI.bku")));
    EXPECT_EQ((Lines{kSave, kSetup}), shown());
}

TEST_F(Passes, PolicyOneKeepsTheFileAndShowsNothing) {
    write_host(medium("PavoGI.dll"), "new");
    write_host(driver_file("PavoGI.dll"), "old");
    EXPECT_EQ(1, deploy(kNever, ""));
    EXPECT_EQ("old", read_host(driver_file("PavoGI.dll")));
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(std::vector<fs::path>{"PavoGI.dll"}, driver_folder_entries());
}

TEST_F(Passes, PolicyTwoReplacesOnYesAndKeepsOnNo) {
    write_host(medium("Ordane.ini"), "new");
    write_host(driver_file("Ordane.ini"), "old");
    EXPECT_EQ(1, deploy(kAsk, "press 1014\n"));
    EXPECT_EQ("old", read_host(driver_file("Ordane.ini")));
    EXPECT_EQ(1, deploy(kAsk, "press 1013\n"));
    EXPECT_EQ("new", read_host(driver_file("Ordane.ini")));
    EXPECT_EQ("old", read_host(driver_file("Ordane.bku")));
    EXPECT_EQ((Lines{kReplace, kReplace, kSave, kSetup}), shown());
}

TEST_F(Passes, PolicyTwoWithTheMediumFileMissingShows116AndKeepsTheFile) {
    write_host(driver_file("Ordane.ini"), "old");
    EXPECT_EQ(1, deploy(kAsk, "ok\n"));
    EXPECT_EQ(
        Lines{box_line(testrun::kSetupFailure,
                       "The file Ordane.ini won't be replaced because its current properties are unknown...", "ok")},
        shown());
    EXPECT_EQ("old", read_host(driver_file("Ordane.ini")));
}

// After a failed backup or copy, the questions: No stops the pass; Yes
// after question 25 still makes the install copy, Yes after 27 goes on. A copy
// dialog that could not be made (DialogBoxParamA failed) copied nothing.
struct Question {
    const char *label;
    const char *fail;
    bool installed;  // the target file is there before the pass
    const char *script;
    Lines shown;
    int result;
    const char *target;  // the target's content afterwards
};

TEST_F(Passes, QuestionsAfterAFailedCopy) {
    const std::string m126 = pavo_box("Cannot copy : failure while writing data...", "ok");
    const std::string q25_yes = pavo_box(kBackupFailedQuestion, "yes"), q25_no = pavo_box(kBackupFailedQuestion, "no");
    const std::string q27_yes = pavo_box(kCopyFailedQuestion, "yes"), q27_no = pavo_box(kCopyFailedQuestion, "no");
    const Question cases[] = {
        {"backup fails, Yes", "WriteFile#1", true, "ok\nyes\n", {kSave, m126, q25_yes, kSetup}, 1, "new"},
        {"backup fails, No", "WriteFile#1", true, "ok\nno\n", {kSave, m126, q25_no}, 0, "old"},
        {"backup dialog not made, Yes", "DialogBoxParamA#1", true, "yes\n", {q25_yes, kSetup}, 1, "new"},
        {"install dialog not made, No", "DialogBoxParamA#1", false, "no\n", {q27_no}, 0, "<missing>"},
        {"install dialog not made, Yes", "DialogBoxParamA#2", true, "yes\n", {kSave, q27_yes}, 1, "old"},
    };
    write_host(medium("PavoUI.dll"), "new");
    for (const Question &c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove(driver_file("PavoUI.bku"));
        fs::remove(driver_file("PavoUI.dll"));
        if (c.installed) write_host(driver_file("PavoUI.dll"), "old");
        restart_transcript();
        ASSERT_FALSE(w32h::parse_fail_rules(c.fail));
        EXPECT_EQ(c.result, deploy(kAlways, c.script));
        EXPECT_EQ(c.shown, shown());
        EXPECT_EQ(c.target, read_host(driver_file("PavoUI.dll")));
    }
}

// Only a file that is not found is absent: one that cannot be opened for
// another reason is backed up before the medium's copy takes its place.
TEST_F(Passes, AnExistingFileThatCannotBeOpenedIsStillBackedUp) {
    write_host(medium("PavoUI.dll"), "new");
    write_host(driver_file("PavoUI.dll"), "old");
    ASSERT_FALSE(w32h::parse_fail_rules("CreateFileA#1"));
    EXPECT_EQ(1, deploy(kAlways, ""));
    EXPECT_EQ((Lines{kSave, kSetup}), shown());
    EXPECT_EQ("new", read_host(driver_file("PavoUI.dll")));
    EXPECT_EQ("old", read_host(driver_file("PavoUI.bku")));
}

// The other program's file can neither be read for the backup (120) nor
// replaced (122); both questions answered Yes, the pass goes on.
TEST_F(Passes, ATargetHeldByAnotherProcessCountsAsExisting) {
    write_host(medium("PavoUI.dll"), "new");
    write_host(driver_file("PavoUI.dll"), "held");
    LockingProcess other("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86\\PavoUI.dll");
    ASSERT_TRUE(other.holding());
    EXPECT_EQ(1, deploy(kAlways, "ok\nyes\nok\nyes\n"));
    EXPECT_EQ(
        (Lines{kSave, pavo_box("Cannot copy : source file can't be opened...", "ok"),
               pavo_box(kBackupFailedQuestion, "yes"), kSetup,
               pavo_box("Cannot copy : target file can't be created...", "ok"), pavo_box(kCopyFailedQuestion, "yes")}),
        shown());
    EXPECT_EQ("held", read_host(driver_file("PavoUI.dll")));
    EXPECT_EQ(std::vector<fs::path>{"PavoUI.dll"}, driver_folder_entries());
}

TEST_F(Passes, NoToQuestion27StopsThePassAndYesGoesOn) {
    write_nt_medium();
    fs::remove(folder() / "medium" / "Nt4.0" / "PavoUI.dll");
    {
        hosttest::ScriptedUser user("ok\nno\n");
        EXPECT_EQ(0, RunDeploymentPass(NULL, PLATFORM_WINNT40, LIST_PRINTER_DRIVER_FOLDER));
    }
    EXPECT_TRUE(driver_folder_entries().empty());
    {
        hosttest::ScriptedUser user("ok\nyes\n");
        EXPECT_EQ(1, RunDeploymentPass(NULL, PLATFORM_WINNT40, LIST_PRINTER_DRIVER_FOLDER));
    }
    EXPECT_EQ((std::vector<fs::path>{"Ordane.ini", "Ordanea.hlp", "Ordanef.hlp", "PavoGI.dll"}),
              driver_folder_entries());
    EXPECT_EQ("new Ordanef.hlp", read_host(driver_file("Ordanef.hlp")));
    EXPECT_EQ(target_driver_folder(), g_pszCurrentTargetFolder);
}

TEST_F(Passes, AnEmptyListDeploysAndRemovesNothingAndShowsNothing) {
    hosttest::ScriptedUser user("");
    EXPECT_EQ(1, RunDeploymentPass(NULL, PLATFORM_WINNT40, LIST_SYSTEM_FOLDER));
    EXPECT_EQ(target_system_folder(), g_pszCurrentTargetFolder);
    g_pszCurrentTargetFolder = NULL;
    RunRemovalPass(NULL, PLATFORM_WIN95, LIST_SYSTEM_FOLDER);
    EXPECT_EQ(target_system_folder(), g_pszCurrentTargetFolder);
    EXPECT_TRUE(transcript_->of("messagebox").empty());
    EXPECT_TRUE(transcript_->of("dialog").empty());
}

// A copy cut short left its temporary file: it goes with a deleted file, and
// stays beside a kept one, whose next copy overwrites it.
TEST_F(Passes, RemovalDeletesOnlyFlaggedFilesAndReports150ForEachFailure) {
    for (const char *name :
         {"PavoUI.dll", "PavoGI.dll", "Ordane.ini", "Ordanef.hlp", "Ordane.ini.new", "PavoUI.dll.new"})
        write_host(driver_file(name), "installed");
    make_read_only(driver_file("Ordanef.hlp"));
    {
        hosttest::ScriptedUser user("ok\nok\n");
        RunRemovalPass(NULL, PLATFORM_WINNT40, LIST_PRINTER_DRIVER_FOLDER);
    }
    EXPECT_EQ((std::vector<fs::path>{"Ordanef.hlp", "PavoGI.dll", "PavoUI.dll", "PavoUI.dll.new"}),
              driver_folder_entries());
    EXPECT_EQ((Lines{box_line("Ordanea.hlp", "The file has not been deleted...", "ok"),
                     box_line("Ordanef.hlp", "The file has not been deleted...", "ok")}),
              shown());
}

class TargetFolders : public Deployment {};

TEST_F(TargetFolders, AreTheFoldersOfTheRunningWindows) {
    EXPECT_STREQ("C:\\WINNT\\system32", target_system_folder());
    EXPECT_STREQ("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86", target_driver_folder());
    EXPECT_EQ(sizeof "C:\\WINNT\\system32", GlobalSize(g_SystemFolder));
    use_version("win98");
    FreeTargetFolders();
    EXPECT_EQ(1, SetUpTargetFolders());
    EXPECT_STREQ("C:\\WINDOWS\\SYSTEM", target_system_folder());
    EXPECT_STREQ("C:\\WINDOWS\\SYSTEM", target_driver_folder());
}

TEST_F(TargetFolders, FailWhenASizeQueryCannotBeAnswered) {
    FreeTargetFolders();
    ASSERT_FALSE(w32h::parse_fail_rules("GetPrinterDriverDirectoryA=1722"));
    EXPECT_EQ(0, SetUpTargetFolders());
    EXPECT_STREQ("C:\\WINNT\\system32", target_system_folder());  // kept for shut-down to free
    EXPECT_EQ(nullptr, g_PrinterDriverFolder);
    FreeTargetFolders();
    ASSERT_FALSE(w32h::parse_fail_rules("GetSystemDirectoryA"));
    EXPECT_EQ(0, SetUpTargetFolders());
    EXPECT_EQ(nullptr, g_SystemFolder);
}

}  // namespace
}  // namespace deploytest
