/* spooler_calls.cpp - the spooler calls with the local machine and the
 * running Windows filled in, so that no caller passes a server or an
 * environment by mistake. */
#include "spooler_calls.h"

#include <winspool.h>

BOOL SpoolerGetPrinterDriverDirectory(LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbNeeded) {
    return GetPrinterDriverDirectoryA(NULL, NULL, 1, pBuffer, cbBuf, pcbNeeded);
}
