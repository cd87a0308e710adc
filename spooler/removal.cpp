/* removal.cpp - the removal side of printer registration: printer removal,
 * which notes where the installed driver's data file lies and deletes the
 * printer and, on the NT family, the form "Card"; and driver removal, which
 * unregisters the driver and, in a complete deletion, deletes that file. */
#include <windows.h>
#include <winspool.h>

#include "handles.h"
#include "messages.h"
#include "platform.h"
#include "resource.h"
#include "setup_ordane.h"
#include "spooler.h"
#include "spooler_calls.h"

namespace {

/* Shows a deletion failure with the spooler's error number, taken by the
 * caller right after the failing call, under caption string 160. */
void ShowDeletionFailure(HWND hOwner, UINT nStringId, DWORD dwError) {
    char szCaption[DELETION_CAPTION_SIZE];

    LoadDeletionCaption(szCaption);
    ShowMessageFormat(hOwner, szCaption, nStringId, dwError);
}

BOOL FillDriverInfo(LPVOID pContext, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbNeeded) {
    return SpoolerGetPrinterDriver(*(HANDLE *)pContext, pBuffer, cbBuf, pcbNeeded);
}

/* The installed driver's data file, or the empty text when the spooler does
 * not tell it. */
void NoteDataFilePath(HANDLE hPrinter, LPSTR pszDataFilePath) {
    unique_global buffer((HGLOBAL)QuerySpooler(FillDriverInfo, &hPrinter));
    const DRIVER_INFO_2A *pInfo = (const DRIVER_INFO_2A *)buffer.get();

    pszDataFilePath[0] = '\0';
    if (pInfo && pInfo->pDataFile) lstrcpynA(pszDataFilePath, pInfo->pDataFile, DATA_FILE_PATH_SIZE);
}

}  // namespace

/* The printer handle is closed on every path after a successful open. */
int RemovePrinter(HWND hMainWindow, LPSTR pszDataFilePath, LONG nPlatform) {
    unique_printer printer;
    char szCaption[DELETION_CAPTION_SIZE];

    if (!SpoolerOpenPrinter(g_szPrinterName, printer.receive())) {
        ShowDeletionFailure(hMainWindow, IDS_ERR_PRINTER_DELETE_STEP1, GetLastError());
        return 0;
    }
    NoteDataFilePath(printer.get(), pszDataFilePath);
    if (!SpoolerDeletePrinter(printer.get())) {
        ShowDeletionFailure(hMainWindow, IDS_ERR_PRINTER_DELETE_STEP2, GetLastError());
        return 0;
    }
    if (!IsWindows9xPlatform(nPlatform) && !SpoolerDeleteForm(printer.get(), g_szFormName)) {
        LoadDeletionCaption(szCaption);
        ShowMessageString(hMainWindow, szCaption, IDS_ERR_FORM_DELETE);
    }
    return 1;
}

int RemoveDriver(HWND hMainWindow, int nComplete, LPCSTR pszDataFilePath) {
    if (!SpoolerDeletePrinterDriver(g_szDriverName)) {
        ShowDeletionFailure(hMainWindow, IDS_ERR_DRIVER_DELETE, GetLastError());
        return 0;
    }
    if (nComplete && pszDataFilePath && pszDataFilePath[0]) DeleteFileA(pszDataFilePath);
    return 1;
}
