/* setup.cpp - the setup operation: port selection, target folders, clean-up of
 * an earlier installation, the files (complete setup only), driver and
 * printer registration, and the completion dialog. A failed registration is
 * reported by its own message and does not stop the operation. */
#include "operations.h"

#include "messages.h"
#include "deploy.h"
#include "spooler.h"
#include "resource.h"
#include "setup_ordane.h"

#define FILE_LIST_SYSTEM_FOLDER 0
#define FILE_LIST_PRINTER_DRIVER_FOLDER 1
#define COMPLETION_PAUSE_MS 1000

namespace {

BOOL OnCompletionInitDialog(HWND hDlg) {
    CentreWindow(hDlg);
    SetForegroundWindow(hDlg);
    SetActiveWindow(hDlg);
    return TRUE; /* the dialog manager gives the focus to the Quit button */
}

/* Only the Quit button (or Enter) ends the dialog; Escape's IDCANCEL is ignored. */
BOOL OnCompletionCommand(HWND hDlg, WORD nCommand) {
    if (nCommand == IDOK) EndDialog(hDlg, 1);
    return TRUE;
}

INT_PTR CALLBACK CompletionDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (uMsg) {
    case WM_INITDIALOG:
        return OnCompletionInitDialog(hDlg);
    case WM_COMMAND:
        return OnCompletionCommand(hDlg, LOWORD(wParam));
    default:
        return FALSE;
    }
}

/* Both lists, the system folder's first; stops at the first pass the user ended. */
int DeployPlatformFiles(HWND hMainWindow, LONG nPlatform) {
    if (!RunDeploymentPass(hMainWindow, nPlatform, FILE_LIST_SYSTEM_FOLDER)) return 0;
    return RunDeploymentPass(hMainWindow, nPlatform, FILE_LIST_PRINTER_DRIVER_FOLDER);
}

}  // namespace

int RunSetupOperation(HWND hMainWindow, LONG nPlatform, int nComplete) {
    /* Only Cancel stops here: without the dialog, setup goes on with no port,
     * and printer creation reports that failure itself. */
    if (RunPortSelectionDialog(hMainWindow) == 0) return 0;
    if (!SetUpTargetFolders()) {
        ShowMessageString(hMainWindow, NULL, IDS_ERR_TARGET_FOLDERS);
        return 0;
    }
    RunSilentCleanUp();
    if (nComplete && !DeployPlatformFiles(hMainWindow, nPlatform)) return 0;
    /* Each reports its own failure; the printer is attempted and the dialog shown regardless. */
    RegisterPrinterDriver(hMainWindow, nPlatform);
    CreateLocalPrinter(hMainWindow, nPlatform, g_szPortName);
    Sleep(COMPLETION_PAUSE_MS);
    SetForegroundWindow(hMainWindow);
    SetActiveWindow(hMainWindow);
    DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_SETUP_COMPLETE), hMainWindow, CompletionDialogProc, 0);
    return 1;
}
