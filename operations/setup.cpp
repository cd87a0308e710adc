/* setup.cpp - the setup operation: port selection, target folders, clean-up of
 * an earlier installation, the files (complete setup only), driver and
 * printer registration, and the completion dialog. A failed registration is
 * reported by its own message and does not stop the operation. */
#include "operations.h"

#include "closing_dialog.h"
#include "file_passes.h"
#include "messages.h"
#include "resource.h"
#include "setup_ordane.h"
#include "spooler.h"
#include "target_folders.h"

#define COMPLETION_PAUSE_MS 1000

namespace {

/* The completion dialog's one button, Quit (or Enter). */
const ClosingAnswer g_aCompletionAnswers[] = {{IDOK, 1}};

/* Both lists, the system folder's first; stops at the first pass the user ended. */
int DeployPlatformFiles(HWND hMainWindow, LONG nPlatform) {
    if (!RunDeploymentPass(hMainWindow, nPlatform, LIST_SYSTEM_FOLDER)) return 0;
    return RunDeploymentPass(hMainWindow, nPlatform, LIST_PRINTER_DRIVER_FOLDER);
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
    RunClosingDialog(hMainWindow, IDD_SETUP_COMPLETE, g_aCompletionAnswers);
    return 1;
}
