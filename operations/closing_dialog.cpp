/* closing_dialog.cpp - the completion and restart dialogs' one procedure: on
 * opening, centred, brought to the foreground and made active, the dialog
 * manager focusing the default button; a command ends the dialog only when it
 * is one of the dialog's answers, so Escape's IDCANCEL changes nothing and,
 * without a close box, nothing else ends it. */
#include "closing_dialog.h"

#include "centre_window.h"
#include "setup_ordane.h"

namespace {

/* The answers of the closing dialog that is open; there is one at a time. */
const ClosingAnswer *g_pAnswers = NULL;
int g_nAnswers = 0;

BOOL OnClosingInitDialog(HWND hDlg) {
    CentreWindow(hDlg);
    SetForegroundWindow(hDlg);
    SetActiveWindow(hDlg);
    return TRUE;
}

BOOL OnClosingCommand(HWND hDlg, WORD nCommand) {
    for (int i = 0; i < g_nAnswers; i++)
        if (g_pAnswers[i].nCommand == nCommand) EndDialog(hDlg, g_pAnswers[i].nResult);
    return TRUE;
}

INT_PTR CALLBACK ClosingDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    if (uMsg == WM_INITDIALOG) return OnClosingInitDialog(hDlg);
    if (uMsg == WM_COMMAND) return OnClosingCommand(hDlg, LOWORD(wParam));
    return FALSE;
}

}  // namespace

INT_PTR RunClosingDialog(HWND hOwner, UINT nTemplate, const ClosingAnswer *pAnswers, int nAnswers) {
    g_pAnswers = pAnswers;
    g_nAnswers = nAnswers;
    return DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(nTemplate), hOwner, ClosingDialogProc, 0);
}
