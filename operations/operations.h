/* operations.h - the two operations the dispatch starts: setup (complete or
 * simple) and removal (complete or simple). Each takes the main window, the
 * platform index and the complete flag, and reports 1 when it ran through. */
#ifndef SETUPORDANE_OPERATIONS_H
#define SETUPORDANE_OPERATIONS_H

#include <windows.h>

int RunSetupOperation(HWND hMainWindow, LONG nPlatform, int nComplete);
int RunRemovalOperation(HWND hMainWindow, LONG nPlatform, int nComplete);

#endif /* SETUPORDANE_OPERATIONS_H */
