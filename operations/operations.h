/* operations.h - the two operations the dispatch starts: setup (complete or
 * simple) and removal (complete or simple), and the restart that removal
 * offers. Each operation takes the main window, the platform index and the
 * complete flag, and reports 1 when it reached its closing dialog. */
#ifndef SETUPORDANE_OPERATIONS_H
#define SETUPORDANE_OPERATIONS_H

#include <windows.h>

int RunSetupOperation(HWND hMainWindow, LONG nPlatform, int nComplete);
int RunRemovalOperation(HWND hMainWindow, LONG nPlatform, int nComplete);

/* Asks Windows to restart: non-zero when the request was accepted. */
int RequestRestart(LONG nPlatform);

#endif /* SETUPORDANE_OPERATIONS_H */
