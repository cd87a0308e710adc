/* spooler_calls.cpp - the spooler calls with the local machine and the
 * running Windows filled in, so that no caller passes a server or an
 * environment by mistake, and the size query written once. */
#include "spooler_calls.h"

#include "late_bound.h"

BOOL SpoolerGetPrinterDriverDirectory(LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbNeeded) {
    return GetPrinterDriverDirectoryA(NULL, NULL, 1, pBuffer, cbBuf, pcbNeeded);
}

BOOL SpoolerEnumPorts(LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned) {
    return EnumPortsA(NULL, 2, pBuffer, cbBuf, pcbNeeded, pcReturned);
}

BOOL SpoolerOpenPrinter(LPCSTR pszPrinterName, LPHANDLE phPrinter) {
    PRINTER_DEFAULTSA defaults;

    defaults.pDatatype = NULL;
    defaults.pDevMode = NULL;
    defaults.DesiredAccess = PRINTER_ALL_ACCESS;
    return OpenPrinterA((LPSTR)pszPrinterName, phPrinter, &defaults);
}

BOOL SpoolerGetPrinterDriver(HANDLE hPrinter, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbNeeded) {
    return GetPrinterDriverA(hPrinter, NULL, 2, pBuffer, cbBuf, pcbNeeded);
}

BOOL SpoolerDeletePrinter(HANDLE hPrinter) { return DeletePrinter(hPrinter); }

BOOL SpoolerDeleteForm(HANDLE hPrinter, LPCSTR pszFormName) { return CallDeleteFormA(hPrinter, (LPSTR)pszFormName); }

BOOL SpoolerDeletePrinterDriver(LPCSTR pszDriverName) {
    return DeletePrinterDriverA(NULL, NULL, (LPSTR)pszDriverName);
}

BOOL SpoolerAddPrinterDriver(DRIVER_INFO_3A *pDriverInfo) { return AddPrinterDriverA(NULL, 3, (LPBYTE)pDriverInfo); }

HANDLE SpoolerAddPrinter(PRINTER_INFO_2A *pPrinterInfo) { return AddPrinterA(NULL, 2, (LPBYTE)pPrinterInfo); }

LPBYTE QuerySpooler(SPOOLERFILLPROC pfnFill, LPVOID pContext) {
    DWORD cbNeeded = 0;
    LPBYTE pBuffer;

    /* A stale ERROR_INSUFFICIENT_BUFFER must not pass for the spooler's answer. */
    SetLastError(0);
    if (pfnFill(pContext, NULL, 0, &cbNeeded)) return NULL;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return NULL;
    pBuffer = (LPBYTE)GlobalAlloc(GPTR, cbNeeded);
    if (!pBuffer) return NULL;
    if (!pfnFill(pContext, pBuffer, cbNeeded, &cbNeeded)) {
        GlobalFree((HGLOBAL)pBuffer);
        return NULL;
    }
    return pBuffer;
}
