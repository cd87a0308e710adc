/* startup.cpp - the process entry of the Windows build, in place of a C
 * runtime: Windows 95 and NT 3.51 ship no msvcrt.dll, and the program needs
 * nothing from one. The entry hands WinMain the command tail and the show
 * state, then ends the process with WinMain's result. Also the memcpy and
 * memset that the compiler calls for block copies and zero-filled records. */
#include <windows.h>

#include <string.h>

namespace {

/* The command line without the program's name: a quoted name up to and with
 * its closing quote, else every character above the blank; then every
 * character from 0x01 to 0x20. */
LPSTR CommandTail(LPSTR p) {
    if (*p == '"') {
        for (p++; *p && *p != '"'; p++) continue;
        if (*p == '"') p++;
    } else {
        while ((unsigned char)*p > ' ') p++;
    }
    while (*p && (unsigned char)*p <= ' ') p++;
    return p;
}

int ShowState(void) {
    STARTUPINFOA si;

    si.cb = sizeof si;
    si.dwFlags = 0;
    GetStartupInfoA(&si);
    return (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT;
}

}  // namespace

/* The linker's entry point (-e), with the same name on i686 and x86_64. */
extern "C" void SetupOrdaneEntry(void) __asm__("SetupOrdaneEntry");

extern "C" void SetupOrdaneEntry(void) {
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, CommandTail(GetCommandLineA()), ShowState()));
}

/* Byte by byte: the blocks are small, and no instruction beyond the 80386 may
 * appear. The build keeps the compiler from turning these loops back into
 * calls of themselves (-fno-tree-loop-distribute-patterns). */
extern "C" void *memcpy(void *pTarget, const void *pSource, size_t cb) {
    unsigned char *pTo = (unsigned char *)pTarget;
    const unsigned char *pFrom = (const unsigned char *)pSource;

    while (cb--) *pTo++ = *pFrom++;
    return pTarget;
}

extern "C" void *memset(void *pTarget, int nValue, size_t cb) {
    unsigned char *pTo = (unsigned char *)pTarget;

    while (cb--) *pTo++ = (unsigned char)nValue;
    return pTarget;
}
