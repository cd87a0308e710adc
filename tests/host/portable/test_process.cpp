// test_process.cpp - behaviour tests of the process as a program sees it:
// modules that are not loaded, functions a module does not export, and this
// suite's own question whether it runs under Wine, which keeps the last error.
#include <windows.h>

#include <gtest/gtest.h>

#include "portable.h"

namespace {

constexpr DWORD poison = 0xdeadbeef;

// The program exports nothing, whichever way its module is named.
TEST(GetProcAddress, NameTheProgramDoesNotExportFails) {
    for (HMODULE hModule : {GetModuleHandleA(NULL), HMODULE(NULL)}) {
        SetLastError(poison);
        EXPECT_EQ(GetProcAddress(hModule, "NoSuchFunction"), nullptr);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
    }
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
