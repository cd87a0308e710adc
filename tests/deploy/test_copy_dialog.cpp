// test_copy_dialog.cpp - the copy dialog in install and backup modes: texts,
// progress range and final position, the backup name rule, each failure with
// its message, and the existing file kept whole whenever a copy fails.
#include "deploy_support.h"

namespace deploytest {
namespace {

const FileRecord kPavo = {"PavoUI.dll", "src\\", REPLACE_ALWAYS, ANSWER_NONE, 0};

class CopyDialog : public Deployment {
protected:
    INT_PTR Run(LONG nMode, const FileRecord *pFile = &kPavo, const char *script = "") {
        hosttest::ScriptedUser user(script);
        CopyRequest request = {nMode, pFile, PrinterDriverFolder()};
        return RunCopyDialog(NULL, &request);
    }
    // Messages shown, as "caption|text".
    std::vector<std::string> Messages() {
        std::vector<std::string> out;
        for (const Value &m : Events("messagebox")) out.push_back(m["caption"].s + "|" + m["text"].s);
        return out;
    }
    std::pair<long long, long long> FinalProgress() {
        auto ends = Events("enddialog");
        if (ends.size() != 1 || ends[0]["progress"].items.size() != 2) return {-1, -1};
        return {ends[0]["progress"][0].n, ends[0]["progress"][1].n};
    }
    std::string Text(const Value &dialog, int id) {
        for (const Value &c : dialog["controls"].items)
            if (c["id"].n == id) return c["text"].s;
        return "<none>";
    }
};

std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i * 7 + i / 1024);
    return s;
}

TEST_F(CopyDialog, InstallCopiesFilesOfEverySizeAndRunsTheBarToTheEnd) {
    for (size_t size : {size_t{0}, size_t{1024}, size_t{300 * 1024 + 17}}) {
        SCOPED_TRACE(size);
        WriteHost(Medium("PavoUI.dll"), Pattern(size));
        WriteHost(Target("PavoUI.dll"), "old");
        RestartTranscript();
        EXPECT_EQ(1, Run(COPY_MODE_INSTALL));
        EXPECT_EQ(Pattern(size), ReadHost(Target("PavoUI.dll")));
        EXPECT_EQ((std::pair<long long, long long>{(long long)size, (long long)size}), FinalProgress());
        auto shown = Events("dialog");
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(0, shown[0]["controls"][6]["progress"][0].n);  // an empty bar while it waits
        EXPECT_TRUE(Messages().empty());
    }
    EXPECT_EQ(std::vector<fs::path>{"PavoUI.dll"}, FolderEntries(DriverFolder()));
}

// An interrupted run's temporary file is overwritten by the next copy.
TEST_F(CopyDialog, ALeftoverTemporaryFileIsOverwritten) {
    WriteHost(Medium("PavoUI.dll"), "new");
    WriteHost(Target("PavoUI.dll.new"), "the longer part of a copy cut short");
    EXPECT_EQ(1, Run(COPY_MODE_INSTALL));
    EXPECT_EQ("new", ReadHost(Target("PavoUI.dll")));
    EXPECT_EQ(std::vector<fs::path>{"PavoUI.dll"}, FolderEntries(DriverFolder()));
}

TEST_F(CopyDialog, InstallShowsWhatItCopiesFromWhereToWhere) {
    WriteHost(Medium("PavoUI.dll"), "data");
    EXPECT_EQ(1, Run(COPY_MODE_INSTALL));
    auto shown = Events("dialog");
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(602, shown[0]["template"].n);
    EXPECT_EQ("Setup...", shown[0]["title"].s);
    EXPECT_EQ("PavoUI.dll", Text(shown[0], IDC_FILE_NAME));
    EXPECT_EQ("src\\", Text(shown[0], IDC_COPY_FROM));
    EXPECT_EQ("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86", Text(shown[0], IDC_COPY_TO));
    // Centred on the 1024x768 screen whatever its size in pixels.
    EXPECT_GT(shown[0]["x"].n, 0);
    EXPECT_LT(shown[0]["x"].n, 512);
}

TEST_F(CopyDialog, BackupCopiesBesideTheFileAndReplacesAnEarlierBackup) {
    WriteHost(Target("PavoUI.dll"), "current");
    WriteHost(Target("PavoUI.bku"), "earlier backup");
    EXPECT_EQ(1, Run(COPY_MODE_BACKUP));
    EXPECT_EQ("current", ReadHost(Target("PavoUI.bku")));
    EXPECT_EQ("current", ReadHost(Target("PavoUI.dll")));
    auto shown = Events("dialog");
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ("Save...", shown[0]["title"].s);
    EXPECT_EQ("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86", Text(shown[0], IDC_COPY_FROM));
    EXPECT_EQ("PavoUI.bku", Text(shown[0], IDC_COPY_TO));
    EXPECT_EQ((std::pair<long long, long long>{7, 7}), FinalProgress());
}

TEST(BackupName, ReplacesTheLastExtension) {
    const char *table[][2] = {{"PavoUI.dll", "PavoUI.bku"}, {"Ordanea.hlp", "Ordanea.bku"}, {"a.b.c", "a.b.bku"},
                              {"README", "README.bku"},     {"name.", "name.bku"},          {".hlp", ".bku"}};
    for (auto &row : table) {
        char buffer[BACKUP_NAME_SIZE];
        lstrcpynA(buffer, row[0], sizeof buffer);
        EXPECT_EQ(1, MakeBackupName(buffer, sizeof buffer));
        EXPECT_STREQ(row[1], buffer);
    }
    EXPECT_EQ(0, MakeBackupName(NULL, 0));
    char exact[8] = "ABC";  // "ABC.bku" and its terminator fill the buffer
    EXPECT_EQ(1, MakeBackupName(exact, sizeof exact));
    EXPECT_STREQ("ABC.bku", exact);
    char full[9] = "ABCD";  // one byte short: refused, left as it was, nothing written past 8
    full[8] = 'x';
    EXPECT_EQ(0, MakeBackupName(full, 8));
    EXPECT_STREQ("ABCD", full);
    EXPECT_EQ('x', full[8]);
}

// With its range unset (the file could not be examined) the bar keeps 0 to
// 100 and still moves by the bytes read: 7 of them.
TEST_F(CopyDialog, TheBarMovesByTheBytesReadEvenWithoutItsRange) {
    WriteHost(Medium("PavoUI.dll"), "7 bytes");
    ASSERT_FALSE(w32h::parse_fail_rules("CreateFileA#1"));
    EXPECT_EQ(1, Run(COPY_MODE_INSTALL));
    EXPECT_EQ((std::pair<long long, long long>{7, 100}), FinalProgress());
}

TEST_F(CopyDialog, AMissingSourceShows120AndLeavesTheTargetUntouched) {
    WriteHost(Target("PavoUI.dll"), "installed");
    EXPECT_EQ(0, Run(COPY_MODE_INSTALL, &kPavo, "ok\n"));
    EXPECT_EQ(std::vector<std::string>{"PavoUI.dll|Cannot copy : source file can't be opened..."}, Messages());
    EXPECT_EQ("installed", ReadHost(Target("PavoUI.dll")));
    EXPECT_EQ(std::vector<fs::path>{"PavoUI.dll"}, FolderEntries(DriverFolder()));
}

TEST_F(CopyDialog, AReadOnlyTargetShows122AndStaysUnchanged) {
    WriteHost(Medium("PavoUI.dll"), "new");
    WriteHost(Target("PavoUI.dll"), "read-only");
    MakeReadOnly(Target("PavoUI.dll"));
    EXPECT_EQ(0, Run(COPY_MODE_INSTALL, &kPavo, "ok\n"));
    EXPECT_EQ(std::vector<std::string>{"PavoUI.dll|Cannot copy : target file can't be created..."}, Messages());
    EXPECT_EQ("read-only", ReadHost(Target("PavoUI.dll")));
    EXPECT_EQ(std::vector<fs::path>{"PavoUI.dll"}, FolderEntries(DriverFolder()));
}

TEST_F(CopyDialog, ATargetHeldByAnotherProgramShows122AndStaysUnchanged) {
    WriteHost(Medium("PavoUI.dll"), "new");
    WriteHost(Target("PavoUI.dll"), "held");
    LockingProcess other("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86\\PavoUI.dll");
    ASSERT_TRUE(other.holding());
    EXPECT_EQ(0, Run(COPY_MODE_INSTALL, &kPavo, "ok\n"));
    EXPECT_EQ(std::vector<std::string>{"PavoUI.dll|Cannot copy : target file can't be created..."}, Messages());
    EXPECT_EQ("held", ReadHost(Target("PavoUI.dll")));
}

TEST_F(CopyDialog, NoRequestShows118WithTheDefaultCaptionAndAnUnknownModeNothing) {
    {
        hosttest::ScriptedUser user("ok\n");
        EXPECT_EQ(0, RunCopyDialog(NULL, NULL));
    }
    CopyRequest request = {2, &kPavo, PrinterDriverFolder()};
    EXPECT_EQ(0, RunCopyDialog(NULL, &request));
    EXPECT_EQ(std::vector<std::string>{"Ordane Driver setup failure|Invalid data handle..."}, Messages());
    EXPECT_TRUE(Events("dialog").empty());
}

// The mended copy: whatever fails, the file in place stays exactly as it was
// and no temporary file is left behind.
struct Fault {
    const char *rules;
    const char *message;
};

TEST_F(CopyDialog, FailedReadOrWriteOrReplaceKeepsTheExistingFile) {
    const Fault faults[] = {
        {"ReadFile#3", "Cannot copy : failure while reading data..."},
        {"WriteFile#2", "Cannot copy : failure while writing data..."},
        {"WriteFile#3=short", "Cannot copy : failure while writing data..."},
        {"MoveFileExA", "Cannot copy : target file can't be created..."},
        {"CreateFileA#3", "Cannot copy : target file can't be created..."},
    };
    WriteHost(Medium("PavoUI.dll"), Pattern(5000));
    for (const Fault &f : faults) {
        SCOPED_TRACE(f.rules);
        WriteHost(Target("PavoUI.dll"), "the user's file");
        RestartTranscript();
        ASSERT_FALSE(w32h::parse_fail_rules(f.rules));
        EXPECT_EQ(0, Run(COPY_MODE_INSTALL, &kPavo, "ok\n"));
        EXPECT_EQ(std::vector<std::string>{std::string("PavoUI.dll|") + f.message}, Messages());
        EXPECT_EQ("the user's file", ReadHost(Target("PavoUI.dll")));
        EXPECT_EQ(std::vector<fs::path>{"PavoUI.dll"}, FolderEntries(DriverFolder()));
    }
}

TEST_F(CopyDialog, AFailedBackupKeepsTheEarlierBackup) {
    WriteHost(Target("PavoUI.dll"), Pattern(3000));
    WriteHost(Target("PavoUI.bku"), "earlier backup");
    ASSERT_FALSE(w32h::parse_fail_rules("WriteFile#2"));
    EXPECT_EQ(0, Run(COPY_MODE_BACKUP, &kPavo, "ok\n"));
    EXPECT_EQ("earlier backup", ReadHost(Target("PavoUI.bku")));
    EXPECT_EQ(Pattern(3000), ReadHost(Target("PavoUI.dll")));
}

TEST_F(CopyDialog, APathThatWouldNotFitIsAFailureOfItsStep) {
    std::string long_folder(600, 'a');
    const FileRecord far_source = {"PavoUI.dll", long_folder.c_str(), REPLACE_ALWAYS, ANSWER_NONE, 0};
    EXPECT_EQ(0, Run(COPY_MODE_INSTALL, &far_source, "ok\n"));
    WriteHost(Medium("PavoUI.dll"), "new");
    std::string long_target = std::string(PrinterDriverFolder()) + "\\" + std::string(500, 'b');
    hosttest::ScriptedUser user("ok\n");
    CopyRequest request = {COPY_MODE_INSTALL, &kPavo, long_target.c_str()};
    EXPECT_EQ(0, RunCopyDialog(NULL, &request));
    EXPECT_EQ((std::vector<std::string>{"PavoUI.dll|Cannot copy : source file can't be opened...",
                                        "PavoUI.dll|Cannot copy : target file can't be created..."}),
              Messages());
}

TEST_F(CopyDialog, RunsItsCopyEvenWhenItsTimerCannotBeSet) {
    WriteHost(Medium("PavoUI.dll"), "data");
    ASSERT_FALSE(w32h::parse_fail_rules("SetTimer"));
    EXPECT_EQ(1, Run(COPY_MODE_INSTALL));
    EXPECT_EQ("data", ReadHost(Target("PavoUI.dll")));
}

}  // namespace
}  // namespace deploytest
