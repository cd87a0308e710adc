/* pending.h - declarations of the spooler steps that the operations call,
 * until spooler.h is in the tree; this header goes away then. */
#ifndef SETUPORDANE_PENDING_H
#define SETUPORDANE_PENDING_H

#include <windows.h>

extern char g_szPortName[80];
int RunPortSelectionDialog(HWND hOwner);
void RunSilentCleanUp(void);
int RegisterPrinterDriver(HWND hMainWindow, LONG nPlatform);
int CreateLocalPrinter(HWND hMainWindow, LONG nPlatform, LPCSTR pszPortName);
int RemovePrinter(HWND hMainWindow, LPSTR pszDataFilePath, LONG nPlatform);
int RemoveDriver(HWND hMainWindow, int nComplete, LPCSTR pszDataFilePath);

#endif /* SETUPORDANE_PENDING_H */
