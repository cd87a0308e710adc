/* default_buttons.cpp - the two routines that move the default-push-button
 * style among the push buttons of a dialog: the replace confirmation dialog
 * gives it to the button its file record asks for, or to none. */
#include "replace_dialog.h"

#include "setup_ordane.h"

namespace {

int IsButton(HWND hCtl) {
    char szClass[256] = "";

    GetClassNameA(hCtl, szClass, sizeof szClass);
    UpperCaseAscii(szClass);
    return lstrcmpA(szClass, "BUTTON") == 0;
}

}  // namespace

/* Walks the tab stops once round; the style is written back even when it
 * did not change. */
void ResetDefaultButtons(HWND hDlg) {
    HWND hCurrent = NULL;
    HWND hFirst = NULL;

    for (;;) {
        hCurrent = GetNextDlgTabItem(hDlg, hCurrent, FALSE);
        if (!hCurrent || hCurrent == hFirst) break;
        if (!hFirst) hFirst = hCurrent;
        if (!IsButton(hCurrent)) continue;
        LONG lStyle = GetWindowLongA(hCurrent, GWL_STYLE);
        if ((lStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON) lStyle &= ~BS_DEFPUSHBUTTON;
        SetWindowLongA(hCurrent, GWL_STYLE, lStyle);
    }
}

void SetDefaultButton(HWND hDlg, int nId) {
    HWND hButton;

    ResetDefaultButtons(hDlg);
    hButton = GetDlgItem(hDlg, nId);
    SetWindowLongA(hButton, GWL_STYLE, GetWindowLongA(hButton, GWL_STYLE) | BS_DEFPUSHBUTTON);
}
