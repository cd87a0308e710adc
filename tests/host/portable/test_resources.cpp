// test_resources.cpp - resources as Windows finds and reads them, after Wine's
// user32 resource tests (run on Windows): LoadStringA's cut at the buffer and
// its ids whose high word does not count, and FindResourceExA's fall back
// from a language to the same language with a neutral sublanguage.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "portable_ids.h"

namespace {

constexpr DWORD poison = 0xdeadbeef;

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

TEST(LoadStringA, CutsAtTheBufferAndTerminates) {
    static const char str[] = "String resource";
    const struct {
        int size, expected;
    } cases[] = {
        {128, int(sizeof str) - 1}, {int(sizeof str), int(sizeof str) - 1}, {int(sizeof str) - 1, int(sizeof str) - 2}};
    for (const auto &c : cases) {
        char buffer[128];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(c.expected, LoadStringA(instance(), IDS_PT_STRING, buffer, c.size)) << c.size;
        EXPECT_EQ(std::string(str, static_cast<size_t>(c.expected)), buffer) << c.size;
        EXPECT_EQ('x', buffer[c.expected + 1]) << c.size;
    }
}

TEST(LoadStringA, OnlyTheLowWordOfTheIdCounts) {
    char buffer[128];
    for (UINT id : {UINT(IDS_PT_ANOTHER), UINT(IDS_PT_HIGH)}) {
        const int n = LoadStringA(instance(), id, buffer, sizeof buffer);
        EXPECT_GT(n, 0) << id;
        EXPECT_EQ(n, LoadStringA(instance(), MAKELONG(id, 0x8000), buffer, sizeof buffer)) << id;
        EXPECT_EQ(n, LoadStringA(instance(), MAKELONG(id, 0xFFFF), buffer, sizeof buffer)) << id;
    }
    EXPECT_STREQ("Test high id", buffer);
}

TEST(LoadStringA, ASizeOfZeroAnswersMinusOne) {
    char buffer[4] = "abc";
    EXPECT_EQ(-1, LoadStringA(instance(), IDS_PT_STRING, buffer, 0));
    SetLastError(poison);
    EXPECT_EQ(0, LoadStringA(instance(), IDS_PT_STRING, buffer, 1));
    EXPECT_EQ('\0', buffer[0]);
    EXPECT_EQ(poison, GetLastError());
}

// A resource of a language with a neutral sublanguage serves every
// sublanguage of that language; another language does not find it.
TEST(FindResourceExA, FallsBackToTheNeutralSublanguage) {
    HRSRC found = FindResourceExA(instance(), RT_RCDATA, MAKEINTRESOURCEA(IDR_PT_FRENCH_NEUTRAL),
                                  MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH_CANADIAN));
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(2u, SizeofResource(instance(), found));
    EXPECT_EQ(0, std::memcmp("fr", LockResource(LoadResource(instance(), found)), 2));
    EXPECT_NE(nullptr, FindResourceExA(instance(), RT_RCDATA, MAKEINTRESOURCEA(IDR_PT_FRENCH_NEUTRAL),
                                       MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)));
    SetLastError(poison);
    EXPECT_EQ(nullptr, FindResourceExA(instance(), RT_RCDATA, MAKEINTRESOURCEA(IDR_PT_FRENCH_NEUTRAL),
                                       MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
    EXPECT_EQ(DWORD(ERROR_RESOURCE_LANG_NOT_FOUND), GetLastError());
}

}  // namespace
