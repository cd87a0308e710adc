/* winspool.h - the print spooler interface of win32host, with Windows' names
 * and layouts. For now the printer-driver folder; the other spooler calls
 * arrive with the printer registration work. */
#ifndef WIN32HOST_WINSPOOL_H
#define WIN32HOST_WINSPOOL_H

#include <windows.h>

#ifndef RC_INVOKED
#ifdef __cplusplus
extern "C" {
#endif

BOOL WINAPI GetPrinterDriverDirectoryA(LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverDirectory,
                                       DWORD cbBuf, LPDWORD pcbNeeded);
#define GetPrinterDriverDirectory GetPrinterDriverDirectoryA

#ifdef __cplusplus
}
#endif
#endif /* RC_INVOKED */
#endif /* WIN32HOST_WINSPOOL_H */
