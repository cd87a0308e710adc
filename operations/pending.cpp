/* pending.cpp - placeholders for the spooler steps while their own sources are
 * not in the tree: they compile away as soon as spooler.h is there, and this
 * file then goes. */
#include "pending.h"

#if !__has_include("spooler.h")
char g_szPortName[80] = "";
int RunPortSelectionDialog(HWND hOwner) {
    (void)hOwner;
    return 0;
}
void RunSilentCleanUp(void) {}
int RegisterPrinterDriver(HWND hMainWindow, LONG nPlatform) {
    (void)hMainWindow, (void)nPlatform;
    return 0;
}
int CreateLocalPrinter(HWND hMainWindow, LONG nPlatform, LPCSTR pszPortName) {
    (void)hMainWindow, (void)nPlatform, (void)pszPortName;
    return 0;
}
int RemovePrinter(HWND hMainWindow, LPSTR pszDataFilePath, LONG nPlatform) {
    (void)hMainWindow, (void)pszDataFilePath, (void)nPlatform;
    return 0;
}
int RemoveDriver(HWND hMainWindow, int nComplete, LPCSTR pszDataFilePath) {
    (void)hMainWindow, (void)nComplete, (void)pszDataFilePath;
    return 0;
}
#endif
