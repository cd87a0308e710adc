// test_platform.cpp - the platform table and the keyword and version rules
// that choose a row.
#include <gtest/gtest.h>

#include <string>

#include "platform.h"

namespace {

std::vector<std::string> file_names(const FileRecord *list) {
    std::vector<std::string> names;
    for (; list && list->pszFileName; ++list) names.push_back(list->pszFileName);
    return names;
}

TEST(FindPlatform, MatchesWholeKeywordsOnly) {
    EXPECT_EQ(PLATFORM_WIN95, FindPlatform("WIN95"));
    EXPECT_EQ(PLATFORM_WIN98, FindPlatform("WIN98"));
    EXPECT_EQ(PLATFORM_WINNT351, FindPlatform("WINNT351"));
    EXPECT_EQ(PLATFORM_WINNT40, FindPlatform("WINNT40"));
    EXPECT_EQ(PLATFORM_WINNT50, FindPlatform("WINNT50"));
    EXPECT_EQ(PLATFORM_WIN32S, FindPlatform("WIN32S"));
    EXPECT_EQ(PLATFORM_NONE, FindPlatform("WINNT4"));
    EXPECT_EQ(PLATFORM_NONE, FindPlatform("WINNT40X"));
    EXPECT_EQ(PLATFORM_NONE, FindPlatform("win95"));
    EXPECT_EQ(PLATFORM_NONE, FindPlatform(""));
}

TEST(PlatformFromVersion, FollowsTheDetectionTable) {
    EXPECT_EQ(PLATFORM_WIN32S, PlatformFromVersion(VER_PLATFORM_WIN32s, 3, 10));
    EXPECT_EQ(PLATFORM_WIN95, PlatformFromVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 0));
    EXPECT_EQ(PLATFORM_WIN98, PlatformFromVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10));
    EXPECT_EQ(PLATFORM_NONE, PlatformFromVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 90));
    EXPECT_EQ(PLATFORM_NONE, PlatformFromVersion(VER_PLATFORM_WIN32_NT, 3, 51));
    EXPECT_EQ(PLATFORM_WINNT40, PlatformFromVersion(VER_PLATFORM_WIN32_NT, 4, 0));
    EXPECT_EQ(PLATFORM_WINNT50, PlatformFromVersion(VER_PLATFORM_WIN32_NT, 5, 0));
    EXPECT_EQ(PLATFORM_WINNT50, PlatformFromVersion(VER_PLATFORM_WIN32_NT, 5, 1));
    EXPECT_EQ(PLATFORM_NONE, PlatformFromVersion(VER_PLATFORM_WIN32_NT, 6, 0));
    EXPECT_EQ(PLATFORM_NONE, PlatformFromVersion(3, 4, 0));
}

TEST(PlatformTable, ListsTheDriverFilesOfEachFamily) {
    EXPECT_EQ((std::vector<std::string>{"Pavo.drv", "Ordanef.hlp", "Ordanea.hlp"}),
              file_names(g_PlatformTable[PLATFORM_WIN95].pPrinterDriverFolderFiles));
    EXPECT_EQ((std::vector<std::string>{"Pavo.drv", "Ordanea.hlp", "Ordanef.hlp"}),
              file_names(g_PlatformTable[PLATFORM_WIN98].pPrinterDriverFolderFiles));
    for (int nt : {PLATFORM_WINNT351, PLATFORM_WINNT40, PLATFORM_WINNT50}) {
        EXPECT_EQ((std::vector<std::string>{"PavoUI.dll", "PavoGI.dll", "Ordane.ini", "Ordanea.hlp", "Ordanef.hlp"}),
                  file_names(g_PlatformTable[nt].pPrinterDriverFolderFiles));
        EXPECT_STREQ("PavoGI.dll", g_PlatformTable[nt].pszDriverFile);
        EXPECT_STREQ("Ordane.ini", g_PlatformTable[nt].pszDataFile);
        EXPECT_STREQ("PavoUI.dll", g_PlatformTable[nt].pszConfigFile);
    }
    for (int p = 0; p < PLATFORM_WIN32S; ++p) {
        EXPECT_TRUE(file_names(g_PlatformTable[p].pSystemFolderFiles).empty());
        EXPECT_NE(nullptr, g_PlatformTable[p].pSystemFolderFiles);
        EXPECT_EQ(1, g_PlatformTable[p].nSupported);
        EXPECT_EQ(0x0201u, g_PlatformTable[p].dwDriverVersion);
    }
    EXPECT_EQ(0, g_PlatformTable[PLATFORM_WIN32S].nSupported);
    EXPECT_EQ(nullptr, g_PlatformTable[PLATFORM_WIN32S].pPrinterDriverFolderFiles);
}

TEST(PlatformTable, RemovesHelpAndInitialisationFilesButNeverDriverPrograms) {
    for (int p = 0; p < PLATFORM_WIN32S; ++p)
        for (const FileRecord *f = g_PlatformTable[p].pPrinterDriverFolderFiles; f->pszFileName; ++f) {
            std::string name = f->pszFileName;
            bool removable = name.ends_with(".hlp") || name.ends_with(".ini");
            EXPECT_EQ(removable ? 1 : 0, f->nRemoveFlag) << name;
            EXPECT_EQ(REPLACE_ALWAYS, f->nReplacePolicy) << name;
            EXPECT_EQ(ANSWER_NONE, f->nDefaultAnswer) << name;
        }
}

}  // namespace
