/* spooler_calls.h - SetupOrdane's calls into the print spooler, each in one
 * place: every call addresses the local machine and the running Windows
 * (null server name, null environment), and every result of unknown size is
 * fetched by the one size-query helper. ClosePrinter has its one place in
 * unique_printer (handles.h). */
#ifndef SETUPORDANE_SPOOLER_CALLS_H
#define SETUPORDANE_SPOOLER_CALLS_H

#include <windows.h>
#include <winspool.h>

BOOL SpoolerGetPrinterDriverDirectory(LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbNeeded);
BOOL SpoolerEnumPorts(LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned);
BOOL SpoolerOpenPrinter(LPCSTR pszPrinterName, LPHANDLE phPrinter);
BOOL SpoolerGetPrinterDriver(HANDLE hPrinter, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbNeeded);
BOOL SpoolerDeletePrinter(HANDLE hPrinter);
BOOL SpoolerDeleteForm(HANDLE hPrinter, LPCSTR pszFormName);
BOOL SpoolerDeletePrinterDriver(LPCSTR pszDriverName);
BOOL SpoolerAddPrinterDriver(DRIVER_INFO_3A *pDriverInfo);
HANDLE SpoolerAddPrinter(PRINTER_INFO_2A *pPrinterInfo);

/* One call of a spooler function that fills a caller's buffer. */
typedef BOOL (*SPOOLERFILLPROC)(LPVOID pContext, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbNeeded);

/* The size query: calls pfnFill with no buffer and, only when the spooler
 * then asks for ERROR_INSUFFICIENT_BUFFER, again with a zero-filled block of
 * the size it needs from the global heap. Returns that block, which the
 * caller frees with GlobalFree, or NULL (nothing to free) when the first call
 * succeeds, fails otherwise, the allocation fails or the second call fails. */
LPBYTE QuerySpooler(SPOOLERFILLPROC pfnFill, LPVOID pContext);

#endif /* SETUPORDANE_SPOOLER_CALLS_H */
