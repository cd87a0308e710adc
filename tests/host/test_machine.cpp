// test_machine.cpp - the emulated machine in the prefix: its Windows folders
// per version, creation on first use, and Windows paths mapped onto host
// paths with case-insensitive names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "api.h"
#include "fresh_machine.h"

namespace {

namespace fs = std::filesystem;

w32h::WindowsVersion version(const char *name) { return *w32h::parse_windows_version(name); }

DWORD error_of(const char *path) {
    try {
        w32h::to_host_path(path);
    } catch (const w32h::Win32Failure &f) {
        return f.error;
    }
    return ERROR_SUCCESS;
}

class Machine : public hosttest::FreshMachine {
protected:
    Machine() : FreshMachine("nt40") {}
};

TEST(MachineFolders, FollowTheWindowsFamilyAndVersion) {
    auto win98 = w32h::machine_folders(version("win98"));
    EXPECT_EQ("C:\\WINDOWS\\SYSTEM", win98.system);
    EXPECT_EQ("C:\\WINDOWS\\SYSTEM", win98.printer_driver);
    auto nt351 = w32h::machine_folders(version("nt351"));
    EXPECT_EQ("C:\\WINNT\\system32", nt351.system);
    EXPECT_EQ("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86", nt351.printer_driver);
    EXPECT_EQ("C:\\WINNT\\system32", w32h::machine_folders(version("win2000")).system);
    auto xp = w32h::machine_folders(version("winxp"));
    EXPECT_EQ("C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86", xp.printer_driver);
}

TEST_F(Machine, IsCreatedOnFirstUseOfDriveC) {
    EXPECT_FALSE(fs::exists(drive_c()));
    std::string host = w32h::to_host_path("c:\\winnt\\SYSTEM32\\new.dll");
    EXPECT_TRUE(fs::is_directory(drive_c() / "WINNT" / "system32" / "spool" / "DRIVERS" / "W32X86"));
    EXPECT_EQ((drive_c() / "WINNT" / "system32" / "new.dll").string(), host);
    EXPECT_EQ("C:\\WINNT\\system32\\new.dll", w32h::to_windows_path(host));
}

TEST_F(Machine, NamesMatchCaseInsensitivelyExactFirst) {
    w32h::ensure_machine();
    std::ofstream(drive_c() / "Readme.TXT") << "x";
    std::ofstream(drive_c() / "readme.txt") << "y";
    std::ofstream(drive_c() / "\xC3\xA9t\xC3\xA9.ini") << "z";  // été.ini
    EXPECT_EQ((drive_c() / "readme.txt").string(), w32h::to_host_path("C:\\readme.txt"));
    EXPECT_EQ((drive_c() / "Readme.TXT").string(), w32h::to_host_path("C:/Readme.TXT"));
    EXPECT_EQ((drive_c() / "\xC3\xA9t\xC3\xA9.ini").string(), w32h::to_host_path("C:\\\xC9T\xC9.INI"));
}

TEST_F(Machine, RefusesOtherDrivesMissingFoldersAndBadNames) {
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), error_of("D:\\file.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), error_of("C:\\NoSuchFolder\\file.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), error_of("\\\\server\\share\\file.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), error_of("C:\\a?b"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), error_of(""));
}

TEST_F(Machine, PathsAreReadAsWindowsReadsThem) {
    w32h::ensure_machine();
    std::ofstream(drive_c() / "WINNT" / "system32" / "Pavo.drv") << "x";
    std::string expected = (drive_c() / "WINNT" / "system32" / "Pavo.drv").string();
    // Trailing dots and blanks are cut from every name.
    EXPECT_EQ(expected, w32h::to_host_path("C:\\WINNT.\\system32 \\Pavo.drv. ."));
    // ".." takes back the name before it and never climbs above the drive.
    EXPECT_EQ(expected, w32h::to_host_path("C:\\..\\WINNT\\spool\\..\\.\\system32\\Pavo.drv"));
    EXPECT_EQ("./../x.tmp", w32h::to_host_path("sub\\..\\..\\x.tmp"));
}

}  // namespace
