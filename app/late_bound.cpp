/* late_bound.cpp - the NT family's functions looked up when called (see
 * late_bound.h). Each wrapper has the signature of its function and fails
 * as a stub would when the system does not have it. */
#include "late_bound.h"

namespace {

/* The function pointer of one late-bound call, converted through a plain
 * function type as the compilers ask. */
template <class Function>
Function Find(LPCSTR pszModule, LPCSTR pszName) {
    FARPROC pfn = FindSystemFunction(pszModule, pszName);

    if (!pfn) SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return (Function)(void (*)(void))pfn;
}

typedef BOOL(WINAPI *OPENPROCESSTOKEN)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI *LOOKUPPRIVILEGEVALUEA)(LPCSTR, LPCSTR, PLUID);
typedef BOOL(WINAPI *ADJUSTTOKENPRIVILEGES)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD);
typedef BOOL(WINAPI *INITIATESYSTEMSHUTDOWNA)(LPSTR, LPSTR, DWORD, BOOL, BOOL);
typedef BOOL(WINAPI *DELETEFORMA)(HANDLE, LPSTR);

const char g_szAdvapi[] = "ADVAPI32.DLL";

}  // namespace

FARPROC FindSystemFunction(LPCSTR pszModule, LPCSTR pszName) {
    HMODULE hModule = GetModuleHandleA(pszModule);

    /* A system DLL stays loaded until the process ends: nothing to free. */
    if (!hModule) hModule = LoadLibraryA(pszModule);
    return hModule ? GetProcAddress(hModule, pszName) : NULL;
}

BOOL CallOpenProcessToken(HANDLE hProcess, DWORD dwAccess, PHANDLE phToken) {
    OPENPROCESSTOKEN pfn = Find<OPENPROCESSTOKEN>(g_szAdvapi, "OpenProcessToken");
    return pfn ? pfn(hProcess, dwAccess, phToken) : FALSE;
}

BOOL CallLookupPrivilegeValueA(LPCSTR pszSystem, LPCSTR pszName, PLUID pLuid) {
    LOOKUPPRIVILEGEVALUEA pfn = Find<LOOKUPPRIVILEGEVALUEA>(g_szAdvapi, "LookupPrivilegeValueA");
    return pfn ? pfn(pszSystem, pszName, pLuid) : FALSE;
}

BOOL CallAdjustTokenPrivileges(HANDLE hToken, BOOL bDisableAll, PTOKEN_PRIVILEGES pNewState, DWORD cbBuffer,
                               PTOKEN_PRIVILEGES pPreviousState, PDWORD pcbReturned) {
    ADJUSTTOKENPRIVILEGES pfn = Find<ADJUSTTOKENPRIVILEGES>(g_szAdvapi, "AdjustTokenPrivileges");
    return pfn ? pfn(hToken, bDisableAll, pNewState, cbBuffer, pPreviousState, pcbReturned) : FALSE;
}

BOOL CallInitiateSystemShutdownA(LPSTR pszMachine, LPSTR pszMessage, DWORD dwTimeout, BOOL bForceAppsClosed,
                                 BOOL bRebootAfterShutdown) {
    INITIATESYSTEMSHUTDOWNA pfn = Find<INITIATESYSTEMSHUTDOWNA>(g_szAdvapi, "InitiateSystemShutdownA");
    return pfn ? pfn(pszMachine, pszMessage, dwTimeout, bForceAppsClosed, bRebootAfterShutdown) : FALSE;
}

BOOL CallDeleteFormA(HANDLE hPrinter, LPSTR pszFormName) {
    DELETEFORMA pfn = Find<DELETEFORMA>("WINSPOOL.DRV", "DeleteFormA");
    return pfn ? pfn(hPrinter, pszFormName) : FALSE;
}
