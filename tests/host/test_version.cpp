// test_version.cpp - behaviour tests of version.cpp: the WIN32HOST_WINVER
// forms, and GetVersionExA/GetVersion as each emulated Windows reports
// itself (9x packing, bit 31, the structure sizes each one accepts).
#include "host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD poison = 0xdeadbeef;

class Version : public ::testing::Test {
protected:
    void emulate(const char *keyword) {
        w32h::Config config;
        config.winver = w32h::parse_windows_version(keyword).value();
        w32h::set_config(config);
    }
    void TearDown() override { w32h::set_config(w32h::Config()); }

    // GetVersionExA into an OSVERSIONINFOEXA full of 0xCC, with the given size.
    static BOOL get(OSVERSIONINFOEXA &info, DWORD size) {
        std::memset(&info, 0xCC, sizeof info);
        info.dwOSVersionInfoSize = size;
        return GetVersionExA(reinterpret_cast<OSVERSIONINFOA *>(&info));
    }
};

// The keywords' numbers are pinned through GetVersion below; here the CSD
// texts and the numeric form, which has no build and no CSD text.
TEST(ParseWindowsVersion, CsdTextsAndNumericForm) {
    EXPECT_EQ(w32h::parse_windows_version("nt40")->csd, "Service Pack 6");
    EXPECT_EQ(w32h::parse_windows_version("winxp")->csd, "Service Pack 3");
    EXPECT_EQ(w32h::parse_windows_version("win32s")->csd, "Win32s 1.3");
    EXPECT_EQ(w32h::parse_windows_version("win98")->csd, "");
    const auto v = w32h::parse_windows_version("1.4.90");
    ASSERT_TRUE(v);
    EXPECT_EQ(std::make_tuple(v->name, v->platform_id, v->major, v->minor, v->build, v->csd),
              std::make_tuple(std::string("1.4.90"), DWORD(1), DWORD(4), DWORD(90), DWORD(0), std::string()));
    EXPECT_EQ(w32h::parse_windows_version("4294967295.0.007")->platform_id, 4294967295u);
}

TEST(ParseWindowsVersion, RejectsAnythingElse) {
    for (const char *text : {"", "Win98", "WIN98", "win98 ", "1.4", "1.4.90.1", "1..4", "1.4.", ".1.4", "-1.4.0",
                             "+1.4.0", "1.-4.0", "4294967296.0.0", "1.4.9x", " 1.4.90", "0x1.4.0"})
        EXPECT_FALSE(w32h::parse_windows_version(text)) << '"' << text << '"';
}

TEST_F(Version, GetVersionExAReportsTheEmulatedWindows) {
    emulate("win2000");
    OSVERSIONINFOEXA info;
    SetLastError(poison);
    ASSERT_TRUE(get(info, sizeof(OSVERSIONINFOA)));
    EXPECT_EQ(GetLastError(), poison);
    EXPECT_EQ(std::make_tuple(info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId),
              std::make_tuple(DWORD(5), DWORD(0), DWORD(2195), DWORD(VER_PLATFORM_WIN32_NT)));
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 4");
    EXPECT_EQ(info.wServicePackMajor, 0xCCCC);  // past the plain structure
    emulate("winxp");
    ASSERT_TRUE(get(info, sizeof(OSVERSIONINFOEXA)));
    EXPECT_EQ(std::make_tuple(info.wServicePackMajor, info.wServicePackMinor, info.wProductType),
              std::make_tuple(WORD(3), WORD(0), BYTE(VER_NT_WORKSTATION)));
}

// Windows 9x puts major and minor in the high word of dwBuildNumber:
// 4.10.1998 reads 0x040A07CE.
TEST_F(Version, Windows9xPacksVersionIntoBuildNumber) {
    const std::pair<const char *, DWORD> table[] = {
        {"win95", 0x040003B6}, {"win98", 0x040A07CE}, {"winme", 0x045A0BB8}};
    for (const auto &[keyword, build] : table) {
        emulate(keyword);
        OSVERSIONINFOEXA info;
        ASSERT_TRUE(get(info, sizeof(OSVERSIONINFOA))) << keyword;
        EXPECT_EQ(info.dwBuildNumber, build) << keyword;
    }
}

// Wine's version tests, run on Windows: any other size fails, with
// ERROR_INSUFFICIENT_BUFFER on NT and the last error untouched on 9x.
// OSVERSIONINFOEXA itself arrived with NT 4.0 Service Pack 6.
TEST_F(Version, GetVersionExARejectsOtherSizes) {
    OSVERSIONINFOEXA info;
    emulate("winxp");
    for (DWORD size : {0u, 74u, 147u, 149u, 157u, 296u}) {
        SetLastError(poison);
        EXPECT_FALSE(get(info, size)) << size;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER)) << size;
        EXPECT_EQ(info.dwMajorVersion, 0xCCCCCCCC) << size;
    }
    emulate("win98");
    SetLastError(poison);
    EXPECT_FALSE(get(info, 0));
    EXPECT_EQ(GetLastError(), poison);
    for (const char *keyword : {"win95", "win98", "winme", "nt351"}) {
        emulate(keyword);
        EXPECT_FALSE(get(info, sizeof(OSVERSIONINFOEXA))) << keyword;
    }
    emulate("nt40");
    ASSERT_TRUE(get(info, sizeof(OSVERSIONINFOEXA)));
    EXPECT_EQ(info.wServicePackMajor, 6);
    w32h::Config sp5;
    sp5.winver = {"nt40", VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 5"};
    w32h::set_config(sp5);
    EXPECT_FALSE(get(info, sizeof(OSVERSIONINFOEXA)));
}

TEST_F(Version, GetVersionExAHonoursAnInjectedFailure) {
    emulate("win2000");
    setenv("WIN32HOST_FAIL", "GetVersionExA", 1);
    w32h::Config unused;
    ASSERT_FALSE(w32h::load_config(unused));
    OSVERSIONINFOEXA info;
    SetLastError(poison);
    EXPECT_FALSE(get(info, sizeof(OSVERSIONINFOA)));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    setenv("WIN32HOST_FAIL", "", 1);
    ASSERT_FALSE(w32h::load_config(unused));
}

// Low byte major, next byte minor; the build in the high word on NT (bit 31
// clear), 0xC000 on 9x and 0x8000 on Win32s (Wine's version table).
TEST_F(Version, GetVersionPacksVersionAndPlatform) {
    const std::pair<const char *, DWORD> table[] = {
        {"win2000", 0x08930005}, {"winxp", 0x0A280105}, {"nt40", 0x05650004},  {"nt351", 0x04213303},
        {"win95", 0xC0000004},   {"win98", 0xC0000A04}, {"winme", 0xC0005A04}, {"win32s", 0x80000A03}};
    for (const auto &[keyword, packed] : table) {
        emulate(keyword);
        EXPECT_EQ(GetVersion(), packed) << keyword;
    }
}

}  // namespace
