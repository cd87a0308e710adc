/* late_bound.h - the system functions that the program calls only on the
 * Windows NT family: its token, shut-down and forms functions. Windows 95 and
 * 98 are not known to export every one of them, and Windows refuses to start
 * a program that imports a missing name; so each is looked up when called. A
 * function that is not there fails with ERROR_CALL_NOT_IMPLEMENTED, as the
 * stub of a system that has the name does. */
#ifndef SETUPORDANE_LATE_BOUND_H
#define SETUPORDANE_LATE_BOUND_H

#include <windows.h>
#include <winspool.h>

/* The function of that name in that system DLL, loading the DLL if need be;
 * NULL when there is none. */
FARPROC FindSystemFunction(LPCSTR pszModule, LPCSTR pszName);

BOOL CallOpenProcessToken(HANDLE hProcess, DWORD dwAccess, PHANDLE phToken);
BOOL CallLookupPrivilegeValueA(LPCSTR pszSystem, LPCSTR pszName, PLUID pLuid);
BOOL CallAdjustTokenPrivileges(HANDLE hToken, BOOL bDisableAll, PTOKEN_PRIVILEGES pNewState, DWORD cbBuffer,
                               PTOKEN_PRIVILEGES pPreviousState, PDWORD pcbReturned);
BOOL CallInitiateSystemShutdownA(LPSTR pszMachine, LPSTR pszMessage, DWORD dwTimeout, BOOL bForceAppsClosed,
                                 BOOL bRebootAfterShutdown);
BOOL CallDeleteFormA(HANDLE hPrinter, LPSTR pszFormName);

#endif /* SETUPORDANE_LATE_BOUND_H */
