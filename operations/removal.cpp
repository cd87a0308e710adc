/* removal.cpp - the removal operation: printer and driver out of the spooler,
 * the files out of the target folders (complete deletion only), and the offer
 * to restart. Nothing is undone when a step fails; the restart is offered
 * only when printer and driver are gone. */
#include "operations.h"

#include "messages.h"
#include "deploy.h"
#include "spooler.h"
#include "resource.h"
#include "setup_ordane.h"

#define FILE_LIST_SYSTEM_FOLDER 0
#define FILE_LIST_PRINTER_DRIVER_FOLDER 1

namespace {

BOOL OnRestartInitDialog(HWND hDlg) {
    CentreWindow(hDlg);
    SetForegroundWindow(hDlg);
    SetActiveWindow(hDlg);
    return TRUE; /* the dialog manager gives the focus to Yes, the default button */
}

/* Yes (or Enter) and No end the dialog; Escape's IDCANCEL is ignored. */
BOOL OnRestartCommand(HWND hDlg, WORD nCommand) {
    if (nCommand == IDYES)
        EndDialog(hDlg, 1);
    else if (nCommand == IDNO)
        EndDialog(hDlg, 0);
    return TRUE;
}

INT_PTR CALLBACK RestartDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (uMsg) {
    case WM_INITDIALOG:
        return OnRestartInitDialog(hDlg);
    case WM_COMMAND:
        return OnRestartCommand(hDlg, LOWORD(wParam));
    default:
        return FALSE;
    }
}

void OfferRestart(HWND hMainWindow, LONG nPlatform, LPCSTR pszCaption) {
    INT_PTR nAnswer = DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_RESTART), hMainWindow, RestartDialogProc, 0);

    /* No, or a dialog that could not be shown, requests nothing. */
    if (nAnswer == 1 && !RequestRestart(nPlatform)) ShowMessageString(hMainWindow, pszCaption, IDS_ERR_RESTART);
}

}  // namespace

int RunRemovalOperation(HWND hMainWindow, LONG nPlatform, int nComplete) {
    char szTitle[64] = "";
    char szCaption[128] = "";
    char szDataFilePath[512] = "";

    LoadStringA(g_hInstance, IDS_DELETION_TITLE, szTitle, sizeof szTitle);
    SetWindowTextA(hMainWindow, szTitle);
    LoadStringA(g_hInstance, IDS_DELETION_FAILURE_CAPTION, szCaption, sizeof szCaption);
    if (!SetUpTargetFolders()) {
        ShowMessageString(hMainWindow, szCaption, IDS_ERR_TARGET_FOLDERS);
        return 0;
    }
    if (!RemovePrinter(hMainWindow, szDataFilePath, nPlatform)) return 0;
    if (!RemoveDriver(hMainWindow, nComplete, szDataFilePath)) return 0;
    if (nComplete) {
        RunRemovalPass(hMainWindow, nPlatform, FILE_LIST_SYSTEM_FOLDER);
        RunRemovalPass(hMainWindow, nPlatform, FILE_LIST_PRINTER_DRIVER_FOLDER);
    }
    OfferRestart(hMainWindow, nPlatform, szCaption);
    return 1;
}
