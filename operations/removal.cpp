/* removal.cpp - the removal operation. Removing the printer, the driver and
 * the files, and the offer to restart, are not built yet: the operation
 * returns at once, reporting that it stopped early. */
#include "operations.h"

int RunRemovalOperation(HWND hMainWindow, LONG nPlatform, int nComplete) {
    (void)hMainWindow;
    (void)nPlatform;
    (void)nComplete;
    return 0;
}
