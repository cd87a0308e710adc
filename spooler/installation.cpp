/* installation.cpp - the install side of printer registration: the printer
 * identity, the silent clean-up of an earlier printer and driver, driver
 * registration with the platform's driver set, and creation of the local
 * printer that prints raw data on the chosen port. */
#include <string.h>
#include <windows.h>
#include <winspool.h>

#include "handles.h"
#include "messages.h"
#include "platform.h"
#include "resource.h"
#include "setup_ordane.h"
#include "spooler.h"
#include "spooler_calls.h"

const char g_szPrinterName[] = "Ordane Garnet";
const char g_szDriverName[] = "Ordane Garnet";
const char g_szPrinterComment[] = "Ordane Garnet";
const char g_szPrintProcessor[] = "winprint";
const char g_szDataType[] = "RAW";
const char g_szFormName[] = "Card";
const char g_szHelpFile[] = "ordanef.hlp";
const char g_szFrenchHelpFile[] = "Ordanef.hlp";
const char g_szEnglishHelpFile[] = "Ordanea.hlp";

namespace {

/* The dependent-files multi-string, formed in one call: each "%c" writes a
 * zero and the call's own terminator is the list's final zero. */
void FormDependentFiles(LPSTR pszList, const PlatformRecord *pRecord, LONG nPlatform) {
    if (IsWindows9xPlatform(nPlatform))
        wsprintfA(pszList, "%s%c%s%c%s%c", pRecord->pszDataFile, 0, g_szFrenchHelpFile, 0, g_szEnglishHelpFile, 0);
    else
        wsprintfA(pszList, "%s%c%s%c%s%c%s%c%s%c", pRecord->pszDriverFile, 0, pRecord->pszDataFile, 0,
                  pRecord->pszConfigFile, 0, g_szFrenchHelpFile, 0, g_szEnglishHelpFile, 0);
}

}  // namespace

void RunSilentCleanUp(void) {
    unique_printer printer;

    if (SpoolerOpenPrinter(g_szPrinterName, printer.receive())) {
        SpoolerDeletePrinter(printer.get());
        printer.reset(); /* closed before its driver goes */
    }
    SpoolerDeletePrinterDriver(g_szDriverName);
}

int RegisterPrinterDriver(HWND hMainWindow, LONG nPlatform) {
    const PlatformRecord *pRecord = &g_PlatformTable[nPlatform];
    char szDependentFiles[DEPENDENT_FILES_SIZE];
    DRIVER_INFO_3A info;

    FormDependentFiles(szDependentFiles, pRecord, nPlatform);
    info.cVersion = pRecord->dwDriverVersion;
    info.pName = (LPSTR)g_szDriverName;
    info.pEnvironment = NULL;
    info.pDriverPath = (LPSTR)pRecord->pszDriverFile;
    info.pDataFile = (LPSTR)pRecord->pszDataFile;
    info.pConfigFile = (LPSTR)pRecord->pszConfigFile;
    info.pHelpFile = IsWindows9xPlatform(nPlatform) ? (LPSTR)g_szHelpFile : NULL;
    info.pDependentFiles = szDependentFiles;
    info.pMonitorName = NULL;
    info.pDefaultDataType = (LPSTR)g_szDataType;
    if (SpoolerAddPrinterDriver(&info)) return 1;
    /* The spooler's error number, taken right after the failing call. */
    ShowMessageFormat(hMainWindow, NULL, IDS_ERR_DRIVER_SETUP, GetLastError());
    return 0;
}

int CreateLocalPrinter(HWND hMainWindow, LONG nPlatform, LPCSTR pszPortName) {
    PRINTER_INFO_2A info;
    unique_printer printer;

    (void)nPlatform; /* the printer is the same on every platform */
    memset(&info, 0, sizeof info);
    info.pServerName = NULL;
    info.pPrinterName = (LPSTR)g_szPrinterName;
    info.pShareName = NULL;
    info.pPortName = (LPSTR)pszPortName;
    info.pDriverName = (LPSTR)g_szDriverName;
    info.pComment = (LPSTR)g_szPrinterComment;
    info.pLocation = NULL;
    info.pDevMode = NULL;
    info.pSepFile = NULL;
    info.pPrintProcessor = (LPSTR)g_szPrintProcessor;
    info.pDatatype = (LPSTR)g_szDataType;
    info.pParameters = NULL;
    info.pSecurityDescriptor = NULL;
    info.Attributes = ORDANE_PRINTER_ATTRIBUTES;
    printer.reset(SpoolerAddPrinter(&info));
    if (printer) return 1; /* and the handle is closed at once */
    ShowMessageFormat(hMainWindow, NULL, IDS_ERR_PRINTER_SETUP, GetLastError());
    return 0;
}
