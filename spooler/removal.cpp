/* removal.cpp - the removal side of printer registration: printer removal,
 * which notes where the installed driver's data file lies and deletes the
 * printer and, on the NT family, the form "Card"; and driver removal, which
 * unregisters the driver and, in a complete deletion, deletes that file. */
#include <winspool.h>

#include "messages.h"
#include "platform.h"
#include "resource.h"
#include "setup_ordane.h"
#include "spooler.h"
#include "spooler_calls.h"

namespace {

/* Shows a deletion failure with the spooler's error number under caption
 * string 160. */
void ShowDeletionFailure(HWND hOwner, UINT nStringId, DWORD dwError) {
    char szCaption[128] = "";
    char szFormat[256] = "";
    char szText[256];

    LoadStringA(g_hInstance, IDS_DELETION_FAILURE_CAPTION, szCaption, sizeof szCaption);
    LoadStringA(g_hInstance, nStringId, szFormat, sizeof szFormat);
    wsprintfA(szText, szFormat, dwError);
    ShowMessageText(hOwner, szCaption, szText);
}

BOOL FillDriverInfo(LPVOID pContext, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbNeeded) {
    return SpoolerGetPrinterDriver(*(HANDLE *)pContext, pBuffer, cbBuf, pcbNeeded);
}

/* The installed driver's data file, or the empty text when the spooler does
 * not tell it. */
void NoteDataFilePath(HANDLE hPrinter, LPSTR pszDataFilePath) {
    LPBYTE pBuffer = QuerySpooler(FillDriverInfo, &hPrinter);
    DRIVER_INFO_2A *pInfo = (DRIVER_INFO_2A *)pBuffer;

    pszDataFilePath[0] = '\0';
    if (!pBuffer) return;
    if (pInfo->pDataFile) lstrcpynA(pszDataFilePath, pInfo->pDataFile, DATA_FILE_PATH_SIZE);
    GlobalFree((HGLOBAL)pBuffer);
}

}  // namespace

int RemovePrinter(HWND hMainWindow, LPSTR pszDataFilePath, LONG nPlatform) {
    HANDLE hPrinter = NULL;
    char szCaption[128] = "";

    if (!SpoolerOpenPrinter(g_szPrinterName, &hPrinter)) {
        ShowDeletionFailure(hMainWindow, IDS_ERR_PRINTER_DELETE_STEP1, GetLastError());
        return 0;
    }
    NoteDataFilePath(hPrinter, pszDataFilePath);
    if (!SpoolerDeletePrinter(hPrinter)) {
        ShowDeletionFailure(hMainWindow, IDS_ERR_PRINTER_DELETE_STEP2, GetLastError());
        SpoolerClosePrinter(hPrinter);
        return 0;
    }
    if (nPlatform != PLATFORM_WIN95 && nPlatform != PLATFORM_WIN98 && !SpoolerDeleteForm(hPrinter, g_szFormName)) {
        LoadStringA(g_hInstance, IDS_DELETION_FAILURE_CAPTION, szCaption, sizeof szCaption);
        ShowMessageString(hMainWindow, szCaption, IDS_ERR_FORM_DELETE);
    }
    SpoolerClosePrinter(hPrinter);
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
