// test_file_sharing.cpp - what the file layer does beyond one process and
// beyond Windows' own headers: share modes held by another process (the
// win32host tool's lock command), injected file failures and short writes,
// local time from TZ, and the printer-driver folder's size query.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <winspool.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "host.h"

namespace {

// Names of this process's own, since test processes may run side by side.
const std::string kFileName = "w32h-sharing" + std::to_string(getpid()) + ".tmp";
const std::string kSecondName = "w32h-sharing-2" + std::to_string(getpid()) + ".tmp";
const char *const kFile = kFileName.c_str();
const char *const kSecond = kSecondName.c_str();

HANDLE Open(const char *name, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
    return CreateFileA(name, access, share, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
}

void WriteWhole(const char *name, const std::string &data) {
    HANDLE h = Open(name, GENERIC_WRITE, 0, CREATE_ALWAYS);
    DWORD written = 0;
    WriteFile(h, data.data(), (DWORD)data.size(), &written, NULL);
    CloseHandle(h);
}

// "win32host lock PATH" in a child process, holding PATH until it is ended.
class LockingProcess {
public:
    explicit LockingProcess(const char *path) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[1]);
            close(out[0]);
            execl(WIN32HOST_TOOL, "win32host", "lock", path, (char *)nullptr);
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        input_ = in[1];
        char text[64] = "";
        ssize_t n = read(out[0], text, sizeof text - 1);
        first_line_ = std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
        close(out[0]);
    }
    ~LockingProcess() { end(); }
    const std::string &first_line() const { return first_line_; }
    // Ends the hold by closing the command's standard input; its exit code.
    int end() {
        if (pid_ <= 0) return -1;
        close(input_);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = 0;
    int input_ = -1;
    std::string first_line_;
};

class FileSharing : public ::testing::Test {
protected:
    void SetUp() override {
        WriteWhole(kFile, "held");
        w32h::parse_fail_rules("");
    }
    void TearDown() override {
        w32h::parse_fail_rules("");
        DeleteFileA(kFile);
    }
};

TEST_F(FileSharing, ShareModeZeroHoldsAgainstAnotherProcess) {
    LockingProcess other(kFile);
    ASSERT_EQ("locked\n", other.first_line());
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DeleteFileA(kFile));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
    WriteWhole(kSecond, "x");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(MoveFileExA(kSecond, kFile, MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    DeleteFileA(kSecond);
    HANDLE looker = Open(kFile, 0, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, looker);
    CloseHandle(looker);
    EXPECT_EQ(0, other.end());
    HANDLE h = Open(kFile, GENERIC_READ, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
}

TEST_F(FileSharing, TheLockCommandFailsOnAMissingFile) {
    LockingProcess other("w32h-no-such-file.tmp");
    EXPECT_EQ("", other.first_line());
    EXPECT_EQ(1, other.end());
}

TEST_F(FileSharing, ReadOnlyBindsRootToo) {
    ASSERT_TRUE(SetFileAttributesA(kFile, FILE_ATTRIBUTE_READONLY));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kFile, GENERIC_WRITE, 0));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    SetFileAttributesA(kFile, FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileSharing, InjectedFailuresAndShortWrites) {
    ASSERT_FALSE(w32h::parse_fail_rules("ReadFile#2,WriteFile=short,WriteFile#2=112,CreateFileA#3=5"));
    HANDLE h = Open(kFile, GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    char buffer[8];
    DWORD count = 0;
    EXPECT_TRUE(ReadFile(h, buffer, 2, &count, NULL));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ReadFile(h, buffer, 2, &count, NULL));
    EXPECT_EQ((DWORD)ERROR_READ_FAULT, GetLastError());
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(WriteFile(h, "abcd", 4, &count, NULL));
    EXPECT_EQ(2u, count);
    EXPECT_FALSE(WriteFile(h, "abcd", 4, &count, NULL));
    EXPECT_EQ((DWORD)ERROR_DISK_FULL, GetLastError());
    EXPECT_EQ(0u, count);
    CloseHandle(h);
    EXPECT_NE(INVALID_HANDLE_VALUE, h = Open(kFile, GENERIC_READ, 0));
    CloseHandle(h);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kFile, GENERIC_READ, 0));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_TRUE(w32h::parse_fail_rules("ReadFile=short").has_value());
}

TEST(FileTimeToLocalFileTime, AddsTheBiasOfTz) {
    const char *saved = getenv("TZ");
    std::string old = saved ? saved : "";
    setenv("TZ", "XYZ-2", 1);  // two hours east of UTC, no summer time
    FILETIME utc = {0x256D4000, 0x01BF53EB}, local = {0, 0};
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    ULONGLONG diff = (((ULONGLONG)local.dwHighDateTime << 32) | local.dwLowDateTime) - 0x01BF53EB256D4000ull;
    EXPECT_EQ(2ull * 3600 * 10000000, diff);
    if (saved)
        setenv("TZ", old.c_str(), 1);
    else
        unsetenv("TZ");
}

TEST(GetPrinterDriverDirectoryA, AnswersTheSizeQueryWithInsufficientBuffer) {
    DWORD needed = 0;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetPrinterDriverDirectoryA(NULL, NULL, 1, NULL, 0, &needed));
    EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
    const std::string &expected = w32h::config().winver.platform_id == VER_PLATFORM_WIN32_NT
                                      ? std::string("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86")
                                      : std::string("C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(expected.size() + 1, needed);
    std::string buffer(needed, 'x');
    DWORD again = 0;
    EXPECT_TRUE(GetPrinterDriverDirectoryA(NULL, NULL, 1, (LPBYTE)&buffer[0], needed, &again));
    EXPECT_EQ(needed, again);
    EXPECT_EQ(expected, buffer.c_str());
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetPrinterDriverDirectoryA(NULL, NULL, 2, (LPBYTE)&buffer[0], needed, &again));
    EXPECT_EQ((DWORD)ERROR_INVALID_LEVEL, GetLastError());
}

}  // namespace
