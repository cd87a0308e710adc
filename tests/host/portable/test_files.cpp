// test_files.cpp - the file layer as Windows defines it: opening and creating
// with share modes, the read-only attribute, reading and writing, deleting
// and renaming, file information and times, the system folder. Windows' own
// headers only, so the same tests run on Windows and under Wine.
#include <cstring>

#include "portable.h"

namespace {

const std::string kFileName = NameOf("w32h-files-a");
const std::string kOtherName = NameOf("w32h-files-b");
const char *const kFile = kFileName.c_str();
const char *const kOther = kOtherName.c_str();

HANDLE Open(const char *name, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
    return CreateFileA(name, access, share, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
}

void Remove(const char *name) {
    SetFileAttributesA(name, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(name);
}

class Files : public ::testing::Test {
protected:
    void SetUp() override {
        Remove(kFile);
        Remove(kOther);
    }
    void TearDown() override { SetUp(); }
};

TEST_F(Files, OpenExistingOfAMissingFileOrFolder) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kFile, GENERIC_READ, 0));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("w32h-no-such-folder\\file.txt", GENERIC_READ, 0));
    EXPECT_EQ((DWORD)ERROR_PATH_NOT_FOUND, GetLastError());
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("", 0, 0));
    EXPECT_EQ((DWORD)ERROR_PATH_NOT_FOUND, GetLastError());
}

TEST_F(Files, CreateAlwaysTruncatesAnExistingFileAndSaysSo) {
    SetLastError(0xdeadbeef);
    HANDLE h = Open(kFile, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ((DWORD)ERROR_SUCCESS, GetLastError());
    CloseHandle(h);
    WriteWholeFile(kFile, "old content");
    SetLastError(0xdeadbeef);
    h = Open(kFile, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, GetLastError());
    CloseHandle(h);
    EXPECT_EQ("", ReadWholeFile(kFile));
}

TEST_F(Files, CreateNewRefusesAnExistingFileAndOpenAlwaysKeepsIt) {
    WriteWholeFile(kFile, "kept");
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kFile, GENERIC_WRITE, 0, CREATE_NEW));
    EXPECT_EQ((DWORD)ERROR_FILE_EXISTS, GetLastError());
    SetLastError(0xdeadbeef);
    HANDLE h = Open(kFile, GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, GetLastError());
    CloseHandle(h);
    EXPECT_EQ("kept", ReadWholeFile(kFile));
}

TEST_F(Files, ShareModeZeroBlocksSecondOpenButNotAnOpenWithoutAccess) {
    WriteWholeFile(kFile, "x");
    HANDLE h = Open(kFile, GENERIC_READ, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    for (DWORD access : {(DWORD)GENERIC_READ, (DWORD)GENERIC_WRITE, (DWORD)(GENERIC_READ | GENERIC_WRITE)}) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kFile, access, FILE_SHARE_READ | FILE_SHARE_WRITE)) << access;
        EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError()) << access;
    }
    // An open that asks for no data access neither meets nor sets share modes.
    HANDLE looker = Open(kFile, 0, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, looker);
    CloseHandle(looker);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DeleteFileA(kFile));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
    CloseHandle(h);
    h = Open(kFile, GENERIC_READ, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
}

TEST_F(Files, ShareReadLetsReadersInAndKeepsWritersOut) {
    WriteWholeFile(kFile, "x");
    HANDLE h = Open(kFile, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    HANDLE reader = Open(kFile, GENERIC_READ, FILE_SHARE_READ);
    EXPECT_NE(INVALID_HANDLE_VALUE, reader);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
    // A reader that denies reading meets the readers already there.
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kFile, GENERIC_READ, FILE_SHARE_WRITE));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
    CloseHandle(reader);
    CloseHandle(h);
}

TEST_F(Files, ReadOnlyFileRefusesWritingOverwritingAndDeleting) {
    WriteWholeFile(kFile, "precious");
    ASSERT_TRUE(SetFileAttributesA(kFile, FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_READONLY, GetFileAttributesA(kFile) & FILE_ATTRIBUTE_READONLY);
    for (DWORD disposition : {(DWORD)OPEN_EXISTING, (DWORD)CREATE_ALWAYS}) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kFile, GENERIC_WRITE, 0, disposition)) << disposition;
        EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError()) << disposition;
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kFile, GENERIC_READ, 0, CREATE_ALWAYS));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DeleteFileA(kFile));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    HANDLE reader = Open(kFile, GENERIC_READ, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, reader);
    CloseHandle(reader);
    EXPECT_EQ("precious", ReadWholeFile(kFile));
}

TEST_F(Files, ReadingNeedsReadAccessAndWritingWriteAccess) {
    WriteWholeFile(kFile, "abc");
    char buffer[8];
    DWORD count = 99;
    HANDLE writer = Open(kFile, GENERIC_WRITE, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ReadFile(writer, buffer, sizeof buffer, &count, NULL));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ(0u, count);
    CloseHandle(writer);
    HANDLE reader = Open(kFile, GENERIC_READ, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WriteFile(reader, "z", 1, &count, NULL));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_TRUE(ReadFile(reader, buffer, 2, &count, NULL));
    EXPECT_EQ(2u, count);
    EXPECT_TRUE(ReadFile(reader, buffer, sizeof buffer, &count, NULL));
    EXPECT_EQ(1u, count);
    EXPECT_EQ('c', buffer[0]);
    EXPECT_TRUE(ReadFile(reader, buffer, sizeof buffer, &count, NULL));  // the end: success, no bytes
    EXPECT_EQ(0u, count);
    CloseHandle(reader);
}

TEST_F(Files, AClosedHandleIsInvalid) {
    WriteWholeFile(kFile, "abc");
    HANDLE h = Open(kFile, GENERIC_READ, 0);
    ASSERT_TRUE(CloseHandle(h));
    char buffer[4];
    DWORD count = 0;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ((DWORD)ERROR_INVALID_HANDLE, GetLastError());
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ReadFile(h, buffer, sizeof buffer, &count, NULL));
    EXPECT_EQ((DWORD)ERROR_INVALID_HANDLE, GetLastError());
}

TEST_F(Files, DeletingAMissingFileFails) {
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DeleteFileA(kFile));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
    WriteWholeFile(kFile, "x");
    EXPECT_TRUE(DeleteFileA(kFile));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kFile));
}

TEST_F(Files, MoveReplacesOnlyWhenAskedAndNeverAnOpenTarget) {
    WriteWholeFile(kFile, "new");
    WriteWholeFile(kOther, "old");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(MoveFileExA(kFile, kOther, 0));
    EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, GetLastError());
    HANDLE holder = Open(kOther, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(MoveFileExA(kFile, kOther, MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    CloseHandle(holder);
    EXPECT_EQ("old", ReadWholeFile(kOther));
    EXPECT_TRUE(MoveFileExA(kFile, kOther, MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ("new", ReadWholeFile(kOther));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kFile));
}

TEST_F(Files, MoveRefusesAReadOnlyTargetAndASourceHeldWithoutSharing) {
    WriteWholeFile(kFile, "new");
    WriteWholeFile(kOther, "old");
    SetFileAttributesA(kOther, FILE_ATTRIBUTE_READONLY);
    // Wine 8 replaces a read-only target, as rename() does on Unix (later Wine refuses);
    // Windows refuses, and so does win32host.
    if (!RunningUnderWine()) {
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(MoveFileExA(kFile, kOther, MOVEFILE_REPLACE_EXISTING));
        EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    }
    Remove(kOther);
    HANDLE holder = Open(kFile, GENERIC_READ, 0);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(MoveFileExA(kFile, kOther, MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
    CloseHandle(holder);
}

TEST_F(Files, InformationGivesSizeAttributesAndTimesThroughAHandleWithoutAccess) {
    WriteWholeFile(kFile, std::string(4096, 'x'));
    HANDLE h = Open(kFile, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    BY_HANDLE_FILE_INFORMATION info;
    memset(&info, 0xcc, sizeof info);
    SetLastError(0xdeadbeef);
    ASSERT_TRUE(GetFileInformationByHandle(h, &info));
    EXPECT_EQ(4096u, info.nFileSizeLow);
    EXPECT_EQ(0u, info.nFileSizeHigh);
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_ARCHIVE, info.dwFileAttributes & ~FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(1u, info.nNumberOfLinks);
    // Written a moment ago: after 1 January 2000 (0x01BF53EB256D4000).
    EXPECT_GT(((ULONGLONG)info.ftLastWriteTime.dwHighDateTime << 32) | info.ftLastWriteTime.dwLowDateTime,
              0x01BF53EB256D4000ull);
    CloseHandle(h);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetFileInformationByHandle(h, &info));
    EXPECT_EQ((DWORD)ERROR_INVALID_HANDLE, GetLastError());
}

SYSTEMTIME ToSystemTime(ULONGLONG ticks) {
    FILETIME ft = {(DWORD)ticks, (DWORD)(ticks >> 32)};
    SYSTEMTIME st;
    memset(&st, 0xcc, sizeof st);
    EXPECT_TRUE(FileTimeToSystemTime(&ft, &st));
    return st;
}

TEST(FileTimeToSystemTime, CountsFrom1601WithWeekdaysAndLeapYears) {
    SYSTEMTIME st = ToSystemTime(0);
    EXPECT_EQ(1601, st.wYear);
    EXPECT_EQ(1, st.wMonth);
    EXPECT_EQ(1, st.wDay);
    EXPECT_EQ(1, st.wDayOfWeek);  // a Monday
    // 31 December 1999 23:59:59.999
    st = ToSystemTime(0x01BF53EB256D4000ull - 10000);
    EXPECT_EQ(1999, st.wYear);
    EXPECT_EQ(12, st.wMonth);
    EXPECT_EQ(31, st.wDay);
    EXPECT_EQ(23, st.wHour);
    EXPECT_EQ(59, st.wMinute);
    EXPECT_EQ(59, st.wSecond);
    EXPECT_EQ(999, st.wMilliseconds);
    EXPECT_EQ(5, st.wDayOfWeek);  // a Friday
    // 29 February 2000, 60 days after 1 January 2000
    st = ToSystemTime(0x01BF53EB256D4000ull + 59ull * 86400 * 10000000);
    EXPECT_EQ(2000, st.wYear);
    EXPECT_EQ(2, st.wMonth);
    EXPECT_EQ(29, st.wDay);
}

TEST(FileTimeToSystemTime, RefusesTimesWithTheTopBitSet) {
    FILETIME ft = {0, 0x80000000};
    SYSTEMTIME st;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
}

TEST(GetSystemDirectoryA, AnswersASizeQueryWithTheTerminatorCounted) {
    UINT needed = GetSystemDirectoryA(NULL, 0);
    ASSERT_GT(needed, 3u);
    char small[4] = "abc";
    EXPECT_EQ(needed, GetSystemDirectoryA(small, 3));
    std::string buffer(needed, 'x');
    EXPECT_EQ(needed - 1, GetSystemDirectoryA(&buffer[0], needed));
    EXPECT_EQ('\0', buffer[needed - 1]);
    EXPECT_NE('\\', buffer[needed - 2]);
    EXPECT_EQ(':', buffer[1]);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(buffer.c_str()));
}

}  // namespace
