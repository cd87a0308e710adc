// test_file_passes.cpp - the per-file procedure by replace policy, the
// continue-or-stop questions after failed copies, a target held by another
// process, the deployment and removal passes over the platform table, and
// the target-folder set-up.
#include "deploy_support.h"

namespace deploytest {
namespace {

const FileRecord kAlways = {"PavoUI.dll", "src\\", REPLACE_ALWAYS, ANSWER_NONE, 0};
const FileRecord kNever = {"PavoGI.dll", "src\\", REPLACE_NEVER, ANSWER_NONE, 0};
const FileRecord kAsk = {"Ordane.ini", "src\\", REPLACE_ASK, ANSWER_YES, 1};

const char kQuestion25[] =
    "Backup copy has failed.\r\nThis failure will not disturb next setup steps.\r\n\r\n"
    "Do you want to continue?";
const char kQuestion27[] =
    "The file has not been copied on the target folder.\r\nThis can disturb next setup "
    "steps.\r\n\r\nDo you want to continue?";

class Passes : public Deployment {
protected:
    int Deploy(const FileRecord &record, const char *script) {
        hosttest::ScriptedUser user(script);
        return DeployFile(NULL, &record);
    }
    // What was shown, in order: "602 Save...", "600", or "caption|text".
    std::vector<std::string> Shown() {
        std::vector<std::string> out;
        for (const Value &e : Events("")) {
            if (e["event"].s == "dialog") out.push_back(std::to_string(e["template"].n) + " " + e["title"].s);
            if (e["event"].s == "messagebox") out.push_back(e["caption"].s + "|" + e["text"].s);
        }
        return out;
    }
    // The medium of the platform table: the NT files under "Nt4.0\".
    void WriteNtMedium() {
        for (const char *name : {"PavoUI.dll", "PavoGI.dll", "Ordane.ini", "Ordanea.hlp", "Ordanef.hlp"})
            WriteHost(dir_.path() / "medium" / "Nt4.0" / name, std::string("new ") + name);
    }
};

TEST_F(Passes, AnAbsentFileIsCopiedWithoutQuestionOrBackupWhateverItsPolicy) {
    for (const FileRecord *record : {&kAlways, &kNever, &kAsk}) {
        WriteHost(Medium(record->pszFileName), "new");
        EXPECT_EQ(1, Deploy(*record, ""));
        EXPECT_EQ("new", ReadHost(Target(record->pszFileName)));
    }
    EXPECT_EQ((std::vector<std::string>{"602 Setup...", "602 Setup...", "602 Setup..."}), Shown());
    EXPECT_EQ(3u, FolderEntries(DriverFolder()).size());
}

TEST_F(Passes, PolicyZeroBacksTheFileUpAndReplacesIt) {
    WriteHost(Medium("PavoUI.dll"), "new");
    WriteHost(Target("PavoUI.dll"), "old");
    EXPECT_EQ(1, Deploy(kAlways, ""));
    EXPECT_EQ("new", ReadHost(Target("PavoUI.dll")));
    EXPECT_EQ("old", ReadHost(Target("PavoUI.bku")));
    EXPECT_EQ((std::vector<std::string>{"602 Save...", "602 Setup..."}), Shown());
}

TEST_F(Passes, PolicyOneKeepsTheFileAndShowsNothing) {
    WriteHost(Medium("PavoGI.dll"), "new");
    WriteHost(Target("PavoGI.dll"), "old");
    EXPECT_EQ(1, Deploy(kNever, ""));
    EXPECT_EQ("old", ReadHost(Target("PavoGI.dll")));
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(std::vector<fs::path>{"PavoGI.dll"}, FolderEntries(DriverFolder()));
}

TEST_F(Passes, PolicyTwoReplacesOnYesAndKeepsOnNo) {
    WriteHost(Medium("Ordane.ini"), "new");
    WriteHost(Target("Ordane.ini"), "old");
    EXPECT_EQ(1, Deploy(kAsk, "press 1014\n"));
    EXPECT_EQ("old", ReadHost(Target("Ordane.ini")));
    EXPECT_EQ(1, Deploy(kAsk, "press 1013\n"));
    EXPECT_EQ("new", ReadHost(Target("Ordane.ini")));
    EXPECT_EQ("old", ReadHost(Target("Ordane.bku")));
    EXPECT_EQ((std::vector<std::string>{"600 Confirm file replacement...", "600 Confirm file replacement...",
                                        "602 Save...", "602 Setup..."}),
              Shown());
}

TEST_F(Passes, PolicyTwoWithTheMediumFileMissingShows116AndKeepsTheFile) {
    WriteHost(Target("Ordane.ini"), "old");
    EXPECT_EQ(1, Deploy(kAsk, "ok\n"));
    EXPECT_EQ((std::vector<std::string>{"Ordane Driver setup failure|The file Ordane.ini won't be replaced because "
                                        "its current properties are unknown..."}),
              Shown());
    EXPECT_EQ("old", ReadHost(Target("Ordane.ini")));
}

// After a failed backup or copy, the questions: No stops the pass; Yes
// after question 25 still makes the install copy, Yes after 27 goes on. A copy
// dialog that could not be made (DialogBoxParamA failed) copied nothing.
struct Question {
    const char *label;
    const char *fail;
    bool installed;  // the target file is there before the pass
    const char *script;
    std::vector<std::string> shown;
    int result;
    const char *target;  // the target's content afterwards
};

TEST_F(Passes, QuestionsAfterAFailedCopy) {
    const std::string q25 = std::string("PavoUI.dll|") + kQuestion25, q27 = std::string("PavoUI.dll|") + kQuestion27;
    const std::string m126 = "PavoUI.dll|Cannot copy : failure while writing data...";
    const Question cases[] = {
        {"backup fails, Yes", "WriteFile#1", true, "ok\nyes\n", {"602 Save...", m126, q25, "602 Setup..."}, 1, "new"},
        {"backup fails, No", "WriteFile#1", true, "ok\nno\n", {"602 Save...", m126, q25}, 0, "old"},
        {"backup dialog not made, Yes", "DialogBoxParamA#1", true, "yes\n", {q25, "602 Setup..."}, 1, "new"},
        {"install dialog not made, No", "DialogBoxParamA#1", false, "no\n", {q27}, 0, "<missing>"},
        {"install dialog not made, Yes", "DialogBoxParamA#2", true, "yes\n", {"602 Save...", q27}, 1, "old"},
    };
    WriteHost(Medium("PavoUI.dll"), "new");
    for (const Question &c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove(Target("PavoUI.bku"));
        fs::remove(Target("PavoUI.dll"));
        if (c.installed) WriteHost(Target("PavoUI.dll"), "old");
        RestartTranscript();
        ASSERT_FALSE(w32h::parse_fail_rules(c.fail));
        EXPECT_EQ(c.result, Deploy(kAlways, c.script));
        EXPECT_EQ(c.shown, Shown());
        EXPECT_EQ(c.target, ReadHost(Target("PavoUI.dll")));
    }
}

// Only a file that is not found is absent: one that cannot be opened for
// another reason is backed up before the medium's copy takes its place.
TEST_F(Passes, AnExistingFileThatCannotBeOpenedIsStillBackedUp) {
    WriteHost(Medium("PavoUI.dll"), "new");
    WriteHost(Target("PavoUI.dll"), "old");
    ASSERT_FALSE(w32h::parse_fail_rules("CreateFileA#1"));
    EXPECT_EQ(1, Deploy(kAlways, ""));
    EXPECT_EQ((std::vector<std::string>{"602 Save...", "602 Setup..."}), Shown());
    EXPECT_EQ("new", ReadHost(Target("PavoUI.dll")));
    EXPECT_EQ("old", ReadHost(Target("PavoUI.bku")));
}

// The other program's file can neither be read for the backup (120) nor
// replaced (122); both questions answered Yes, the pass goes on.
TEST_F(Passes, ATargetHeldByAnotherProcessCountsAsExisting) {
    WriteHost(Medium("PavoUI.dll"), "new");
    WriteHost(Target("PavoUI.dll"), "held");
    LockingProcess other("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86\\PavoUI.dll");
    ASSERT_TRUE(other.holding());
    EXPECT_EQ(1, Deploy(kAlways, "ok\nyes\nok\nyes\n"));
    EXPECT_EQ((std::vector<std::string>{"602 Save...", "PavoUI.dll|Cannot copy : source file can't be opened...",
                                        std::string("PavoUI.dll|") + kQuestion25, "602 Setup...",
                                        "PavoUI.dll|Cannot copy : target file can't be created...",
                                        std::string("PavoUI.dll|") + kQuestion27}),
              Shown());
    EXPECT_EQ("held", ReadHost(Target("PavoUI.dll")));
    EXPECT_EQ(std::vector<fs::path>{"PavoUI.dll"}, FolderEntries(DriverFolder()));
}

TEST_F(Passes, NoToQuestion27StopsThePassAndYesGoesOn) {
    WriteNtMedium();
    fs::remove(dir_.path() / "medium" / "Nt4.0" / "PavoUI.dll");
    {
        hosttest::ScriptedUser user("ok\nno\n");
        EXPECT_EQ(0, RunDeploymentPass(NULL, PLATFORM_WINNT40, LIST_PRINTER_DRIVER_FOLDER));
    }
    EXPECT_TRUE(FolderEntries(DriverFolder()).empty());
    {
        hosttest::ScriptedUser user("ok\nyes\n");
        EXPECT_EQ(1, RunDeploymentPass(NULL, PLATFORM_WINNT40, LIST_PRINTER_DRIVER_FOLDER));
    }
    EXPECT_EQ((std::vector<fs::path>{"Ordane.ini", "Ordanea.hlp", "Ordanef.hlp", "PavoGI.dll"}),
              FolderEntries(DriverFolder()));
    EXPECT_EQ("new Ordanef.hlp", ReadHost(Target("Ordanef.hlp")));
    EXPECT_EQ(PrinterDriverFolder(), g_pszCurrentTargetFolder);
}

TEST_F(Passes, AnEmptyListDeploysAndRemovesNothingAndShowsNothing) {
    hosttest::ScriptedUser user("");
    EXPECT_EQ(1, RunDeploymentPass(NULL, PLATFORM_WINNT40, LIST_SYSTEM_FOLDER));
    EXPECT_EQ(SystemFolder(), g_pszCurrentTargetFolder);
    g_pszCurrentTargetFolder = NULL;
    RunRemovalPass(NULL, PLATFORM_WIN95, LIST_SYSTEM_FOLDER);
    EXPECT_EQ(SystemFolder(), g_pszCurrentTargetFolder);
    EXPECT_TRUE(Events("messagebox").empty());
    EXPECT_TRUE(Events("dialog").empty());
}

// A copy cut short left its temporary file: it goes with a deleted file, and
// stays beside a kept one, whose next copy overwrites it.
TEST_F(Passes, RemovalDeletesOnlyFlaggedFilesAndReports150ForEachFailure) {
    for (const char *name : {"PavoUI.dll", "PavoGI.dll", "Ordane.ini", "Ordanef.hlp", "Ordane.ini.new", "PavoUI.dll.new"})
        WriteHost(Target(name), "installed");
    MakeReadOnly(Target("Ordanef.hlp"));
    {
        hosttest::ScriptedUser user("ok\nok\n");
        RunRemovalPass(NULL, PLATFORM_WINNT40, LIST_PRINTER_DRIVER_FOLDER);
    }
    EXPECT_EQ((std::vector<fs::path>{"Ordanef.hlp", "PavoGI.dll", "PavoUI.dll", "PavoUI.dll.new"}),
              FolderEntries(DriverFolder()));
    EXPECT_EQ((std::vector<std::string>{"Ordanea.hlp|The file has not been deleted...",
                                        "Ordanef.hlp|The file has not been deleted..."}),
              Shown());
}

class TargetFolders : public Deployment {};

TEST_F(TargetFolders, AreTheFoldersOfTheRunningWindows) {
    EXPECT_STREQ("C:\\WINNT\\system32", SystemFolder());
    EXPECT_STREQ("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86", PrinterDriverFolder());
    EXPECT_EQ(sizeof "C:\\WINNT\\system32", GlobalSize(g_SystemFolder));
    w32h::Config cfg = w32h::config();
    cfg.winver = *w32h::parse_windows_version("win98");
    w32h::set_config(cfg);
    FreeTargetFolders();
    EXPECT_EQ(1, SetUpTargetFolders());
    EXPECT_STREQ("C:\\WINDOWS\\SYSTEM", SystemFolder());
    EXPECT_STREQ("C:\\WINDOWS\\SYSTEM", PrinterDriverFolder());
}

TEST_F(TargetFolders, FailWhenASizeQueryCannotBeAnswered) {
    FreeTargetFolders();
    ASSERT_FALSE(w32h::parse_fail_rules("GetPrinterDriverDirectoryA=1722"));
    EXPECT_EQ(0, SetUpTargetFolders());
    EXPECT_STREQ("C:\\WINNT\\system32", SystemFolder());  // kept for shut-down to free
    EXPECT_EQ(nullptr, g_PrinterDriverFolder);
    FreeTargetFolders();
    ASSERT_FALSE(w32h::parse_fail_rules("GetSystemDirectoryA"));
    EXPECT_EQ(0, SetUpTargetFolders());
    EXPECT_EQ(nullptr, g_SystemFolder);
}

}  // namespace
}  // namespace deploytest
