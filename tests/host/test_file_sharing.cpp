// test_file_sharing.cpp - what the file layer does beyond one process and
// beyond Windows' own headers: share modes held by another process (the
// win32host tool's lock command), injected file failures and short writes,
// local time from TZ, and the printer-driver folder's size query.
#include <gtest/gtest.h>

#include <unistd.h>
#include <winspool.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "host.h"
#include "locking_process.h"
#include "machine.h"

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
    testrun::LockingProcess other(WIN32HOST_TOOL, kFile);
    ASSERT_TRUE(other.holding());
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
    testrun::LockingProcess other(WIN32HOST_TOOL, "w32h-no-such-file.tmp");
    EXPECT_FALSE(other.holding());
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

// The spooler copies a driver's files into its version folder through the
// file layer: a file another program holds is refused as Windows refuses it,
// an injected failure fails the registration, and no partial copy stays.
TEST(AddPrinterDriverA, CopiesDriverFilesAsAnyFileAccess) {
    char folder[MAX_PATH] = "";
    DWORD needed = 0;
    ASSERT_TRUE(GetPrinterDriverDirectoryA(NULL, NULL, 1, (LPBYTE)folder, sizeof folder, &needed));
    const std::string file = std::string(folder) + "\\shared.drv";
    const std::filesystem::path version_folder = w32h::config().prefix + "/drive_c/WINNT/system32/spool/DRIVERS/W32X86/3";
    auto copies = [&] {
        int n = 0;
        for (const auto &e : std::filesystem::directory_iterator(version_folder))
            n += w32h::upper_case_name(e.path().filename().string()).rfind("SHARED.DRV", 0) == 0;
        return n;
    };
    WriteWhole(file.c_str(), "driver");
    char name[] = "Shared Test Driver";
    DRIVER_INFO_3A info = {};
    info.pName = name;
    info.pDriverPath = info.pDataFile = info.pConfigFile = const_cast<LPSTR>("SHARED.DRV");
    struct Case {
        const char *fail;
        bool locked;
        DWORD error;
    } cases[] = {{"", true, ERROR_SHARING_VIOLATION}, {"CreateFileA", false, ERROR_ACCESS_DENIED},
                 {"CreateFileA#2=112", false, ERROR_DISK_FULL}, {"MoveFileExA", false, ERROR_ACCESS_DENIED}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fail);
        ASSERT_FALSE(w32h::parse_fail_rules(c.fail));
        std::unique_ptr<testrun::LockingProcess> other;
        if (c.locked) other = std::make_unique<testrun::LockingProcess>(WIN32HOST_TOOL, file, w32h::config().prefix, "win2000");
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(AddPrinterDriverA(NULL, 3, (LPBYTE)&info));
        EXPECT_EQ(c.error, GetLastError());
        EXPECT_EQ(0, copies()) << "neither the file nor a partial copy";
    }
    // Named three times, the file is copied once: a third open would fail.
    ASSERT_FALSE(w32h::parse_fail_rules("CreateFileA#3"));
    EXPECT_TRUE(AddPrinterDriverA(NULL, 3, (LPBYTE)&info));
    EXPECT_EQ(1, copies());
    w32h::parse_fail_rules("");
    EXPECT_TRUE(DeletePrinterDriverA(NULL, NULL, name));
    std::filesystem::remove(version_folder / "SHARED.DRV");
    DeleteFileA(file.c_str());
}

}  // namespace

namespace {

std::string Output(const std::string &command) {
    std::string out;
    if (FILE *p = popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t n = fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

TEST(Win32hostTool, PathPrintsTheHostPathAndHelpListsTheCommands) {
    std::string prefix = w32h::config().prefix;
    EXPECT_EQ(prefix + "/drive_c/WINNT/system32/spool/DRIVERS/W32X86/PavoUI.dll\n",
              Output("WIN32HOST_PREFIX='" + prefix +
                     "' WIN32HOST_WINVER=nt40 " WIN32HOST_TOOL
                     " path 'C:\\winnt\\SYSTEM32\\spool\\drivers\\w32x86\\PavoUI.dll' 2>&1"));
    std::string help = Output(WIN32HOST_TOOL " --help");
    EXPECT_NE(std::string::npos, help.find("\n  lock PATH "));
    EXPECT_NE(std::string::npos, help.find("\n  path PATH "));
}

}  // namespace
