/* centre_window.cpp - the window centring helper. It works on the screen's
 * metrics alone, the task bar included, as the dialogs of the time did. */
#include "centre_window.h"

void CentreWindow(HWND hWnd) {
    RECT rc = {0, 0, 0, 0};
    int nScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    int nScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    int nWidth, nHeight;

    GetWindowRect(hWnd, &rc);
    nWidth = rc.right - rc.left;
    nHeight = rc.bottom - rc.top;
    /* Signed division: a window wider than the screen gets a negative x. */
    MoveWindow(hWnd, (nScreenWidth - nWidth) / 2, (nScreenHeight - nHeight) / 2, nWidth, nHeight, TRUE);
}
