// test_process.cpp - behaviour tests of the process as a program sees it:
// modules that are not loaded, functions a module does not export, and this
// suite's own question whether it runs under Wine, which keeps the last error.
#include "portable.h"

namespace {

// The program exports nothing, whichever way its module is named.
TEST(GetProcAddress, NameTheProgramDoesNotExportFails) {
    for (HMODULE hModule : {GetModuleHandleA(NULL), HMODULE(NULL)}) {
        SetLastError(poison);
        EXPECT_EQ(GetProcAddress(hModule, "NoSuchFunction"), nullptr);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
    }
}

// The functions a program looks up because not every Windows exports them,
// in the system DLLs that every Windows maps, named in any case, with or
// without their extension.
TEST(GetProcAddress, FindsTheNtFamilysFunctionsInTheirSystemDlls) {
    HMODULE hAdvapi = LoadLibraryA("advapi32");
    ASSERT_NE(nullptr, hAdvapi);
    EXPECT_EQ(hAdvapi, GetModuleHandleA("ADVAPI32.DLL"));
    for (const char *name : {"OpenProcessToken", "LookupPrivilegeValueA", "AdjustTokenPrivileges",
                             "InitiateSystemShutdownA"})
        EXPECT_NE(nullptr, GetProcAddress(hAdvapi, name)) << name;
    HMODULE hSpooler = LoadLibraryA("WinSpool.drv");
    ASSERT_NE(nullptr, hSpooler);
    EXPECT_NE(nullptr, GetProcAddress(hSpooler, "DeleteFormA"));
    SetLastError(poison);
    EXPECT_EQ(nullptr, GetProcAddress(hAdvapi, "NoSuchFunction4711"));
    EXPECT_EQ(DWORD(ERROR_PROC_NOT_FOUND), GetLastError());
    EXPECT_TRUE(FreeLibrary(hSpooler));
    EXPECT_TRUE(FreeLibrary(hAdvapi));
}

TEST(GetModuleHandleA, ModuleNotLoadedIsNotFound) {
    SetLastError(poison);
    EXPECT_EQ(GetModuleHandleA("no_such_module.dll"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST(RunningUnderWine, KeepsTheLastError) {
    SetLastError(poison);
    const bool bFirst = RunningUnderWine();
    EXPECT_EQ(GetLastError(), poison);
    EXPECT_EQ(RunningUnderWine(), bFirst);
}

}  // namespace
