/* target_folders.cpp - the two target folders, the system folder and the
 * spooler's printer-driver folder, obtained once per operation into blocks of
 * the global heap that shut-down frees; and the current target folder, which
 * the passes set and the replace confirmation dialog reads. */
#include "target_folders.h"

#include "setup_ordane.h"
#include "spooler_calls.h"

LPCSTR g_pszCurrentTargetFolder = NULL;

namespace {

/* Each block is stored as soon as it exists, so that shut-down frees it
 * whatever step fails later. */
int SetUpSystemFolder(void) {
    UINT nSize = GetSystemDirectoryA(NULL, 0);

    if (nSize == 0) return 0;
    g_SystemFolder = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, nSize);
    if (!g_SystemFolder) return 0;
    return GetSystemDirectoryA((LPSTR)g_SystemFolder, nSize) != 0;
}

/* The spooler's size query must fail with ERROR_INSUFFICIENT_BUFFER and the
 * size it needs; any other answer leaves the folder unknown. */
int SetUpPrinterDriverFolder(void) {
    DWORD cbNeeded = 0;

    if (SpoolerGetPrinterDriverDirectory(NULL, 0, &cbNeeded)) return 0;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 0;
    g_PrinterDriverFolder = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, cbNeeded);
    if (!g_PrinterDriverFolder) return 0;
    return SpoolerGetPrinterDriverDirectory((LPBYTE)g_PrinterDriverFolder, cbNeeded, &cbNeeded) != 0;
}

}  // namespace

int SetUpTargetFolders(void) {
    if (!SetUpSystemFolder()) return 0;
    return SetUpPrinterDriverFolder();
}
