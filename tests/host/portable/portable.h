// portable.h - what the portable behaviour tests share. They include only
// Windows' headers and state what Windows does; built for Windows they run
// under Wine, and a known gap of Wine's own is named at the test that meets it.
#ifndef HOST_PORTABLE_H
#define HOST_PORTABLE_H

#include <windows.h>

// Wine's ntdll exports wine_get_version and Windows' does not. The last error
// is kept, so a test may ask between poisoning it and checking it.
inline bool RunningUnderWine() {
    const DWORD dwError = GetLastError();
    HMODULE hNtdll = GetModuleHandleA("ntdll.dll");
    const bool bWine = hNtdll && GetProcAddress(hNtdll, "wine_get_version");
    SetLastError(dwError);
    return bWine;
}

#endif
