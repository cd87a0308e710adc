// portable.h - what the portable behaviour tests share. They include only
// Windows' headers and state what Windows does; built for Windows they run
// under Wine, and a known gap of Wine's own is named at the test that meets it.
#ifndef HOST_PORTABLE_H
#define HOST_PORTABLE_H

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// Put in the last error before a call, to tell whether the call set it.
inline constexpr DWORD poison = 0xdeadbeef;

// A window of the class, at a size no test depends on; id is a child's.
inline HWND Create(const char *cls, const char *text, DWORD style, HWND parent = nullptr, INT_PTR id = 0) {
    return CreateWindowExA(0, cls, text, style, 0, 0, 100, 100, parent, reinterpret_cast<HMENU>(id),
                           GetModuleHandleA(nullptr), nullptr);
}

// Wine's ntdll exports wine_get_version and Windows' does not. The last error
// is kept, so a test may ask between poisoning it and checking it.
inline bool RunningUnderWine() {
    const DWORD dwError = GetLastError();
    HMODULE hNtdll = GetModuleHandleA("ntdll.dll");
    const bool bWine = hNtdll && GetProcAddress(hNtdll, "wine_get_version");
    SetLastError(dwError);
    return bWine;
}

// Windows' value (an error number, or 0 for success). Under Wine, where the
// same call answers otherwise, the difference is printed as a known gap of
// Wine's own rather than failed.
inline void ExpectWindows(DWORD windows, DWORD got, const std::string &what) {
    if (RunningUnderWine() && got != windows) {
        std::printf("known Wine gap: %s gives %lu, Windows %lu\n", what.c_str(), static_cast<unsigned long>(got),
                    static_cast<unsigned long>(windows));
        return;
    }
    EXPECT_EQ(windows, got) << what;
}

// A file name of this process's own, since test processes run side by side
// in the same current folder.
inline std::string NameOf(const char *stem) { return stem + std::to_string(GetCurrentProcessId()) + ".tmp"; }

// A file written whole, and a file read whole ("<missing>" when it cannot be
// opened), through the file functions under test.
inline void WriteWholeFile(const std::string &name, const std::string &data) {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << name;
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, data.data(), (DWORD)data.size(), &written, NULL));
    ASSERT_EQ(data.size(), written);
    CloseHandle(h);
}

inline std::string ReadWholeFile(const std::string &name) {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(h, block, sizeof block, &got, NULL) && got) out.append(block, got);
    CloseHandle(h);
    return out;
}

#endif
