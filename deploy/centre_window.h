/* centre_window.h - the window centring helper that every dialog of the
 * program calls while it initialises: the dialog keeps its size and moves to
 * the middle of the whole primary screen. */
#ifndef SETUPORDANE_CENTRE_WINDOW_H
#define SETUPORDANE_CENTRE_WINDOW_H

#include <windows.h>

void CentreWindow(HWND hWnd);

#endif /* SETUPORDANE_CENTRE_WINDOW_H */
