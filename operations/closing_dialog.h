/* closing_dialog.h - the dialogs that close an operation: the completion
 * dialog after a setup and the restart dialog after a removal. Each comes to
 * the front centred and ends only on one of its own buttons. */
#ifndef SETUPORDANE_CLOSING_DIALOG_H
#define SETUPORDANE_CLOSING_DIALOG_H

#include <windows.h>

/* A button of a closing dialog and the result it ends the dialog with. */
struct ClosingAnswer {
    WORD nCommand;
    INT_PTR nResult;
};

/* Shows template nTemplate, owned by hOwner, until one of the nAnswers
 * buttons is pressed: that button's result, or -1 when the dialog could not
 * be created. */
INT_PTR RunClosingDialog(HWND hOwner, UINT nTemplate, const ClosingAnswer *pAnswers, int nAnswers);
/* The same with a table of answers, counted from the table itself. */
template <int N>
INT_PTR RunClosingDialog(HWND hOwner, UINT nTemplate, const ClosingAnswer (&aAnswers)[N]) {
    return RunClosingDialog(hOwner, nTemplate, aAnswers, N);
}

#endif /* SETUPORDANE_CLOSING_DIALOG_H */
