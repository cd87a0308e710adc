// test_versions.cpp - what differs between the Windows versions a program
// serves (docs/windows-versions.md): each test asks GetVersionExA which
// Windows it runs on and expects that Windows' answer. The test command runs
// it on win32host as each served version, and under Wine claiming each.
#include <commctrl.h>
#include <winspool.h>

#include "portable.h"

namespace {

OSVERSIONINFOA Version() {
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
    GetVersionExA(&vi);
    return vi;
}

bool Windows9x() { return Version().dwPlatformId == VER_PLATFORM_WIN32_WINDOWS; }
bool Nt3() { return Version().dwPlatformId == VER_PLATFORM_WIN32_NT && Version().dwMajorVersion < 4; }
// Common controls 4.70 came with NT 4.0 and 98; 95 and NT 3.51 shipped older ones.
bool CommonControlsBefore470() { return (Windows9x() && Version().dwMinorVersion < 10) || Nt3(); }

DWORD ErrorOf(BOOL succeeded) { return succeeded ? ERROR_SUCCESS : GetLastError(); }

// Windows 95 and 98 export MoveFileExA without implementing it (KB Q129532);
// MoveFileA works everywhere.
TEST(WindowsVersion, MoveFileExIsAStubOn9x) {
    const std::string first = NameOf("w32h-versions-1-"), second = NameOf("w32h-versions-2-"),
                      third = NameOf("w32h-versions-3-");
    const char *from = first.c_str(), *to = second.c_str(), *last = third.c_str();
    WriteWholeFile(first, "");
    SetLastError(poison);
    BOOL moved = MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING);
    ExpectWindows(Windows9x() ? ERROR_CALL_NOT_IMPLEMENTED : ERROR_SUCCESS, ErrorOf(moved), "MoveFileExA");
    EXPECT_TRUE(MoveFileA(moved ? to : from, last));
    EXPECT_TRUE(DeleteFileA(last));
}

TEST(WindowsVersion, TokensAndFormsAreTheNtFamilys) {
    HANDLE token = nullptr;
    SetLastError(poison);
    BOOL opened = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    ExpectWindows(Windows9x() ? ERROR_CALL_NOT_IMPLEMENTED : ERROR_SUCCESS, ErrorOf(opened), "OpenProcessToken");
    if (opened) CloseHandle(token);
    SetLastError(poison);
    BOOL deleted = DeleteFormA(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x4711)), const_cast<LPSTR>("Card"));
    ExpectWindows(Windows9x() ? ERROR_CALL_NOT_IMPLEMENTED : ERROR_INVALID_HANDLE, ErrorOf(deleted),
                  "DeleteFormA on a bad handle");
}

// The spooler of NT 3.x knows neither PORT_INFO_2 nor DRIVER_INFO_3.
TEST(WindowsVersion, SpoolerLevelsOfNt3) {
    DWORD needed = 0, count = 0;
    SetLastError(poison);
    EnumPortsA(nullptr, 2, nullptr, 0, &needed, &count);
    ExpectWindows(Nt3() ? ERROR_INVALID_LEVEL : ERROR_INSUFFICIENT_BUFFER, GetLastError(), "EnumPortsA level 2");
    DRIVER_INFO_3A info{};
    info.pName = const_cast<LPSTR>("Versions Test Driver");
    info.pDriverPath = info.pDataFile = info.pConfigFile = const_cast<LPSTR>("w32h-no-such-file.dll");
    SetLastError(poison);
    BOOL added = AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&info));
    ExpectWindows(Nt3() ? ERROR_INVALID_LEVEL : ERROR_FILE_NOT_FOUND, ErrorOf(added), "AddPrinterDriverA level 3");
    if (added) DeletePrinterDriverA(nullptr, nullptr, info.pName);
}

// A DLL that is not there: Windows 95 and 98 say so with ERROR_DLL_NOT_FOUND,
// the NT family with ERROR_MOD_NOT_FOUND (as Wine's loader reproduces).
TEST(WindowsVersion, MissingDllError) {
    SetLastError(poison);
    EXPECT_EQ(nullptr, LoadLibraryA("no_such_module4711.dll"));
    EXPECT_EQ(Windows9x() ? DWORD(ERROR_DLL_NOT_FOUND) : DWORD(ERROR_MOD_NOT_FOUND), GetLastError());
}

// Before common controls 4.70 a progress bar knows only its 16-bit range:
// PBM_SETRANGE32 is ignored (0) and the range stays as it was.
TEST(WindowsVersion, ProgressRangeOf32BitsNeedsCommonControls470) {
    InitCommonControls();
    HWND bar = Create(PROGRESS_CLASSA, "", 0);
    ASSERT_NE(nullptr, bar);
    LRESULT former = SendMessageA(bar, PBM_SETRANGE32, 0, 300000);
    SendMessageA(bar, PBM_SETPOS, 200000, 0);
    LRESULT pos = SendMessageA(bar, PBM_GETPOS, 0, 0);
    if (CommonControlsBefore470()) {
        ExpectWindows(0, static_cast<DWORD>(former), "PBM_SETRANGE32's answer");
        ExpectWindows(100, static_cast<DWORD>(pos), "the position within the range kept");
    } else {
        EXPECT_EQ(MAKELONG(0, 100), former);
        EXPECT_EQ(200000, pos);
    }
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 30000));
    SendMessageA(bar, PBM_SETPOS, 20000, 0);
    EXPECT_EQ(20000, SendMessageA(bar, PBM_GETPOS, 0, 0)) << "the 16-bit range, everywhere";
    DestroyWindow(bar);
}

}  // namespace
