// test_copy_dialog.cpp - the copy dialog in install and backup modes: texts,
// progress range and final position, the backup name rule, each failure with
// its message, and the existing file kept whole whenever a copy fails.
#include "deploy_support.h"

namespace deploytest {
namespace {

const FileRecord kPavo = {"PavoUI.dll", "src\\", REPLACE_ALWAYS, ANSWER_NONE, 0};
const char kSourceNotOpened[] = "Cannot copy : source file can't be opened...";    // string 120
const char kTargetNotCreated[] = "Cannot copy : target file can't be created...";  // string 122
const char kReadFailed[] = "Cannot copy : failure while reading data...";          // string 124
const char kWriteFailed[] = "Cannot copy : failure while writing data...";         // string 126

class CopyDialog : public Deployment {
protected:
    INT_PTR run_copy(LONG nMode, const FileRecord *pFile = &kPavo, const char *script = "") {
        hosttest::ScriptedUser user(script);
        CopyRequest request = {nMode, pFile, target_driver_folder()};
        return RunCopyDialog(NULL, &request);
    }
    Lines messages() { return transcript_->outline({"messagebox"}); }
    // The progress the one copy dialog ended with.
    std::pair<long long, long long> final_progress() {
        auto ends = transcript_->of("enddialog");
        return ends.size() == 1 ? testrun::progress_of(ends[0]) : std::pair<long long, long long>{-1, -1};
    }
    static std::string text_of(const Value &dialog, int id) { return testrun::control_of(dialog, id)["text"].s; }
    // An install copy over a target it cannot replace: message 122, the
    // target as it was and no temporary file beside it.
    void expect_target_kept(const std::string &content) {
        EXPECT_EQ(0, run_copy(COPY_MODE_INSTALL, &kPavo, "ok\n"));
        EXPECT_EQ(Lines{box_line("PavoUI.dll", kTargetNotCreated, "ok")}, messages());
        EXPECT_EQ(content, read_host(driver_file("PavoUI.dll")));
        EXPECT_EQ(std::vector<fs::path>{"PavoUI.dll"}, driver_folder_entries());
    }
};

std::string pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i * 7 + i / 1024);
    return s;
}

TEST_F(CopyDialog, InstallCopiesFilesOfEverySizeAndRunsTheBarToTheEnd) {
    for (size_t size : {size_t{0}, size_t{1024}, size_t{300 * 1024 + 17}}) {
        SCOPED_TRACE(size);
        write_host(medium("PavoUI.dll"), pattern(size));
        write_host(driver_file("PavoUI.dll"), "old");
        restart_transcript();
        EXPECT_EQ(1, run_copy(COPY_MODE_INSTALL));
        EXPECT_EQ(pattern(size), read_host(driver_file("PavoUI.dll")));
        EXPECT_EQ((std::pair<long long, long long>{(long long)size, (long long)size}), final_progress());
        auto shown = transcript_->of("dialog");
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(0, shown[0]["controls"][6]["progress"][0].n);  // an empty bar while it waits
        EXPECT_TRUE(messages().empty());
    }
    EXPECT_EQ(std::vector<fs::path>{"PavoUI.dll"}, driver_folder_entries());
}

// An interrupted run's temporary file is overwritten by the next copy.
TEST_F(CopyDialog, ALeftoverTemporaryFileIsOverwritten) {
    write_host(medium("PavoUI.dll"), "new");
    write_host(driver_file("PavoUI.dll.new"), "the longer part of a copy cut short");
    EXPECT_EQ(1, run_copy(COPY_MODE_INSTALL));
    EXPECT_EQ("new", read_host(driver_file("PavoUI.dll")));
    EXPECT_EQ(std::vector<fs::path>{"PavoUI.dll"}, driver_folder_entries());
}

TEST_F(CopyDialog, InstallShowsWhatItCopiesFromWhereToWhere) {
    write_host(medium("PavoUI.dll"), "data");
    EXPECT_EQ(1, run_copy(COPY_MODE_INSTALL));
    auto shown = transcript_->of("dialog");
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(602, shown[0]["template"].n);
    EXPECT_EQ("Setup...", shown[0]["title"].s);
    EXPECT_EQ("PavoUI.dll", text_of(shown[0], IDC_FILE_NAME));
    EXPECT_EQ("src\\", text_of(shown[0], IDC_COPY_FROM));
    EXPECT_EQ("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86", text_of(shown[0], IDC_COPY_TO));
    // Centred on the 1024x768 screen whatever its size in pixels.
    EXPECT_GT(shown[0]["x"].n, 0);
    EXPECT_LT(shown[0]["x"].n, 512);
}

TEST_F(CopyDialog, BackupCopiesBesideTheFileAndReplacesAnEarlierBackup) {
    write_host(driver_file("PavoUI.dll"), "current");
    write_host(driver_file("PavoUI.bku"), "earlier backup");
    EXPECT_EQ(1, run_copy(COPY_MODE_BACKUP));
    EXPECT_EQ("current", read_host(driver_file("PavoUI.bku")));
    EXPECT_EQ("current", read_host(driver_file("PavoUI.dll")));
    auto shown = transcript_->of("dialog");
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ("Save...", shown[0]["title"].s);
    EXPECT_EQ("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86", text_of(shown[0], IDC_COPY_FROM));
    EXPECT_EQ("PavoUI.bku", text_of(shown[0], IDC_COPY_TO));
    EXPECT_EQ((std::pair<long long, long long>{7, 7}), final_progress());
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
    write_host(medium("PavoUI.dll"), "7 bytes");
    ASSERT_FALSE(w32h::parse_fail_rules("CreateFileA#1"));
    EXPECT_EQ(1, run_copy(COPY_MODE_INSTALL));
    EXPECT_EQ((std::pair<long long, long long>{7, 100}), final_progress());
}

TEST_F(CopyDialog, AMissingSourceShows120AndLeavesTheTargetUntouched) {
    write_host(driver_file("PavoUI.dll"), "installed");
    EXPECT_EQ(0, run_copy(COPY_MODE_INSTALL, &kPavo, "ok\n"));
    EXPECT_EQ(Lines{box_line("PavoUI.dll", kSourceNotOpened, "ok")}, messages());
    EXPECT_EQ("installed", read_host(driver_file("PavoUI.dll")));
    EXPECT_EQ(std::vector<fs::path>{"PavoUI.dll"}, driver_folder_entries());
}

TEST_F(CopyDialog, AReadOnlyTargetShows122AndStaysUnchanged) {
    write_host(medium("PavoUI.dll"), "new");
    write_host(driver_file("PavoUI.dll"), "read-only");
    make_read_only(driver_file("PavoUI.dll"));
    expect_target_kept("read-only");
}

TEST_F(CopyDialog, ATargetHeldByAnotherProgramShows122AndStaysUnchanged) {
    write_host(medium("PavoUI.dll"), "new");
    write_host(driver_file("PavoUI.dll"), "held");
    LockingProcess other("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86\\PavoUI.dll");
    ASSERT_TRUE(other.holding());
    expect_target_kept("held");
}

TEST_F(CopyDialog, NoRequestShows118WithTheDefaultCaptionAndAnUnknownModeNothing) {
    {
        hosttest::ScriptedUser user("ok\n");
        EXPECT_EQ(0, RunCopyDialog(NULL, NULL));
    }
    CopyRequest request = {2, &kPavo, target_driver_folder()};
    EXPECT_EQ(0, RunCopyDialog(NULL, &request));
    EXPECT_EQ(Lines{box_line(testrun::kSetupFailure, "Invalid data handle...", "ok")}, messages());
    EXPECT_TRUE(transcript_->of("dialog").empty());
}

// The mended copy: whatever fails, the file in place stays exactly as it was
// and no temporary file is left behind.
struct Fault {
    const char *rules;
    const char *message;
};

TEST_F(CopyDialog, FailedReadOrWriteOrReplaceKeepsTheExistingFile) {
    const Fault faults[] = {
        {"ReadFile#3", kReadFailed},        {"WriteFile#2", kWriteFailed},        {"WriteFile#3=short", kWriteFailed},
        {"MoveFileExA", kTargetNotCreated}, {"CreateFileA#3", kTargetNotCreated},
    };
    write_host(medium("PavoUI.dll"), pattern(5000));
    for (const Fault &f : faults) {
        SCOPED_TRACE(f.rules);
        write_host(driver_file("PavoUI.dll"), "the user's file");
        restart_transcript();
        ASSERT_FALSE(w32h::parse_fail_rules(f.rules));
        EXPECT_EQ(0, run_copy(COPY_MODE_INSTALL, &kPavo, "ok\n"));
        EXPECT_EQ(Lines{box_line("PavoUI.dll", f.message, "ok")}, messages());
        EXPECT_EQ("the user's file", read_host(driver_file("PavoUI.dll")));
        EXPECT_EQ(std::vector<fs::path>{"PavoUI.dll"}, driver_folder_entries());
    }
}

TEST_F(CopyDialog, AFailedBackupKeepsTheEarlierBackup) {
    write_host(driver_file("PavoUI.dll"), pattern(3000));
    write_host(driver_file("PavoUI.bku"), "earlier backup");
    ASSERT_FALSE(w32h::parse_fail_rules("WriteFile#2"));
    EXPECT_EQ(0, run_copy(COPY_MODE_BACKUP, &kPavo, "ok\n"));
    EXPECT_EQ("earlier backup", read_host(driver_file("PavoUI.bku")));
    EXPECT_EQ(pattern(3000), read_host(driver_file("PavoUI.dll")));
}

TEST_F(CopyDialog, APathThatWouldNotFitIsAFailureOfItsStep) {
    std::string long_folder(600, 'a');
    const FileRecord far_source = {"PavoUI.dll", long_folder.c_str(), REPLACE_ALWAYS, ANSWER_NONE, 0};
    EXPECT_EQ(0, run_copy(COPY_MODE_INSTALL, &far_source, "ok\n"));
    write_host(medium("PavoUI.dll"), "new");
    std::string long_target = std::string(target_driver_folder()) + "\\" + std::string(500, 'b');
    hosttest::ScriptedUser user("ok\n");
    CopyRequest request = {COPY_MODE_INSTALL, &kPavo, long_target.c_str()};
    EXPECT_EQ(0, RunCopyDialog(NULL, &request));
    EXPECT_EQ((Lines{box_line("PavoUI.dll", kSourceNotOpened, "ok"), box_line("PavoUI.dll", kTargetNotCreated, "ok")}),
              messages());
}

TEST_F(CopyDialog, RunsItsCopyEvenWhenItsTimerCannotBeSet) {
    write_host(medium("PavoUI.dll"), "data");
    ASSERT_FALSE(w32h::parse_fail_rules("SetTimer"));
    EXPECT_EQ(1, run_copy(COPY_MODE_INSTALL));
    EXPECT_EQ("data", read_host(driver_file("PavoUI.dll")));
}

}  // namespace
}  // namespace deploytest
