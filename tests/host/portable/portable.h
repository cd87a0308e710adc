// portable.h - what the portable behaviour tests may ask about where they
// run. They state Windows' behaviour; where Wine is known to differ, a test
// says so and checks Windows' value everywhere but under Wine.
#pragma once

#include <windows.h>

// True when the test binary runs under Wine rather than on Windows or over
// win32host; Wine's ntdll exports wine_get_version.
inline bool RunningUnderWine() {
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}
