/* setup.cpp - the setup operation. Deploying the files and registering the
 * driver and the printer are not built yet: the operation returns at once,
 * reporting that it stopped early. */
#include "operations.h"

int RunSetupOperation(HWND hMainWindow, LONG nPlatform, int nComplete) {
    (void)hMainWindow;
    (void)nPlatform;
    (void)nComplete;
    return 0;
}
