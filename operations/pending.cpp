/* pending.cpp - placeholders for the file deployment and spooler steps while
 * their own sources are not in the tree: each compiles away as soon as its
 * header (deploy.h, spooler.h) is there, and this file then goes. */
#include "pending.h"

#if !__has_include("deploy.h")
LPCSTR g_pszCurrentTargetFolder = NULL;
int SetUpTargetFolders(void) { return 0; }
void CentreWindow(HWND hWnd) { (void)hWnd; }
int RunDeploymentPass(HWND hOwner, LONG nPlatform, int nList) {
    (void)hOwner, (void)nPlatform, (void)nList;
    return 0;
}
void RunRemovalPass(HWND hOwner, LONG nPlatform, int nList) { (void)hOwner, (void)nPlatform, (void)nList; }
#endif

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
