/* spooler.h - printer registration: the port selection dialog with its port
 * name buffer, the silent clean-up, driver registration and printer creation,
 * and printer and driver removal, with the printer identity by which the
 * driver, the printer and the form are registered and found again. */
#ifndef SETUPORDANE_SPOOLER_H
#define SETUPORDANE_SPOOLER_H

#include <windows.h>

/* Sizes of the fixed buffers whose size the behaviour depends on */
#define PORT_NAME_SIZE 80
#define DEPENDENT_FILES_SIZE 256
#define DATA_FILE_PATH_SIZE 512 /* the removal operation's driver data file path */

/* The printer identity */
extern const char g_szPrinterName[];
extern const char g_szDriverName[];
extern const char g_szPrinterComment[];
extern const char g_szPrintProcessor[];
extern const char g_szDataType[];
extern const char g_szFormName[];
extern const char g_szHelpFile[];
extern const char g_szFrenchHelpFile[];
extern const char g_szEnglishHelpFile[];
#define ORDANE_PRINTER_ATTRIBUTES 0x1041 /* queued, local, raw only */

/* The chosen port's name, written by the port selection dialog only */
extern char g_szPortName[PORT_NAME_SIZE];

int RunPortSelectionDialog(HWND hOwner);
void RunSilentCleanUp(void);
int RegisterPrinterDriver(HWND hMainWindow, LONG nPlatform);
int CreateLocalPrinter(HWND hMainWindow, LONG nPlatform, LPCSTR pszPortName);
int RemovePrinter(HWND hMainWindow, LPSTR pszDataFilePath, LONG nPlatform);
int RemoveDriver(HWND hMainWindow, int nComplete, LPCSTR pszDataFilePath);

/* Forms the list entry "%s  (%s)" of one port in a buffer of PORT_NAME_SIZE
 * characters; returns 0 when the port cannot be listed. */
int FormatPortEntry(LPSTR pszEntry, LPCSTR pszPortName, LPCSTR pszDescription);

#endif /* SETUPORDANE_SPOOLER_H */
