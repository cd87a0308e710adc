/* spooler_calls.h - SetupOrdane's calls into the print spooler: every call
 * addresses the local machine and the running Windows (null server name,
 * null environment). */
#ifndef SETUPORDANE_SPOOLER_CALLS_H
#define SETUPORDANE_SPOOLER_CALLS_H

#include <windows.h>

BOOL SpoolerGetPrinterDriverDirectory(LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbNeeded);

#endif /* SETUPORDANE_SPOOLER_CALLS_H */
