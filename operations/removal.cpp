/* removal.cpp - the removal operation: printer and driver out of the spooler,
 * the files out of the target folders (complete deletion only), and the offer
 * to restart. Nothing is undone when a step fails; the restart is offered
 * only when printer and driver are gone. */
#include "operations.h"

#include "closing_dialog.h"
#include "file_passes.h"
#include "messages.h"
#include "resource.h"
#include "setup_ordane.h"
#include "spooler.h"
#include "target_folders.h"

namespace {

/* The restart dialog's Yes (or Enter) and No. */
const ClosingAnswer g_aRestartAnswers[] = {{IDYES, 1}, {IDNO, 0}};

void OfferRestart(HWND hMainWindow, LONG nPlatform, LPCSTR pszCaption) {
    INT_PTR nAnswer = RunClosingDialog(hMainWindow, IDD_RESTART, g_aRestartAnswers);

    /* No, or a dialog that could not be shown, requests nothing. */
    if (nAnswer == 1 && !RequestRestart(nPlatform)) ShowMessageString(hMainWindow, pszCaption, IDS_ERR_RESTART);
}

}  // namespace

int RunRemovalOperation(HWND hMainWindow, LONG nPlatform, int nComplete) {
    char szTitle[64] = "";
    char szCaption[DELETION_CAPTION_SIZE];
    char szDataFilePath[512] = "";

    LoadStringA(g_hInstance, IDS_DELETION_TITLE, szTitle, sizeof szTitle);
    SetWindowTextA(hMainWindow, szTitle);
    LoadDeletionCaption(szCaption);
    if (!SetUpTargetFolders()) {
        ShowMessageString(hMainWindow, szCaption, IDS_ERR_TARGET_FOLDERS);
        return 0;
    }
    if (!RemovePrinter(hMainWindow, szDataFilePath, nPlatform)) return 0;
    if (!RemoveDriver(hMainWindow, nComplete, szDataFilePath)) return 0;
    if (nComplete) {
        RunRemovalPass(hMainWindow, nPlatform, LIST_SYSTEM_FOLDER);
        RunRemovalPass(hMainWindow, nPlatform, LIST_PRINTER_DRIVER_FOLDER);
    }
    OfferRestart(hMainWindow, nPlatform, szCaption);
    return 1;
}
