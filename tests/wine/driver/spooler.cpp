/* spooler.cpp - the driver's "spooler" and "folder" commands: the printers and
 * printer drivers, and the printer-driver folder, as Windows reports them. */
#include "driver.h"

#include <winspool.h>

namespace {

std::wstring FromAnsi(const char *psz) {
    if (!psz) return L"(null)";
    int n = MultiByteToWideChar(CP_ACP, 0, psz, -1, NULL, 0);
    std::vector<wchar_t> buffer((size_t)(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, psz, -1, buffer.data(), n);
    return buffer.data();
}

/* A multi-string as its names joined by commas. */
std::wstring FromAnsiList(const char *psz) {
    if (!psz) return L"(null)";
    std::wstring out;
    for (; *psz; psz += lstrlenA(psz) + 1) out += (out.empty() ? L"" : L",") + FromAnsi(psz);
    return out;
}

/* The two calls of an enumeration, the size asked for first; false, said,
 * when the second fails. */
template <class Enumerate>
bool EnumerateInto(const wchar_t *pszCall, std::vector<BYTE> &buffer, DWORD &nCount, Enumerate enumerate) {
    DWORD cbNeeded = 0;
    enumerate(NULL, 0, &cbNeeded, &nCount);
    buffer.assign(cbNeeded ? cbNeeded : 1, 0);
    if (enumerate(buffer.data(), cbNeeded, &cbNeeded, &nCount)) return true;
    Fail(std::wstring(pszCall) + L" failed: error " + std::to_wstring(GetLastError()));
    return false;
}

}  // namespace

/* One line per local printer: name, port, driver, comment, share, location,
 * print processor, data type, attributes. */
int RunPrinters() {
    std::vector<BYTE> buffer;
    DWORD nCount = 0;
    if (!EnumerateInto(L"EnumPrintersA", buffer, nCount, [](LPBYTE p, DWORD cb, LPDWORD pcbNeeded, LPDWORD pn) {
            return EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, p, cb, pcbNeeded, pn);
        }))
        return 1;
    const PRINTER_INFO_2A *pInfo = (const PRINTER_INFO_2A *)buffer.data();
    for (DWORD i = 0; i < nCount; i++, pInfo++)
        Print(L"printer " + FromAnsi(pInfo->pPrinterName) + L" | " + FromAnsi(pInfo->pPortName) + L" | " +
              FromAnsi(pInfo->pDriverName) + L" | " + FromAnsi(pInfo->pComment) + L" | " + FromAnsi(pInfo->pShareName) +
              L" | " + FromAnsi(pInfo->pLocation) + L" | " + FromAnsi(pInfo->pPrintProcessor) + L" | " +
              FromAnsi(pInfo->pDatatype) + L" | " + Hex(pInfo->Attributes));
    return 0;
}

/* One line per printer driver of the running environment: name, version,
 * environment, driver, data, configuration and help file, dependent files,
 * monitor, default data type. */
int RunDrivers() {
    std::vector<BYTE> buffer;
    DWORD nCount = 0;
    if (!EnumerateInto(L"EnumPrinterDriversA", buffer, nCount, [](LPBYTE p, DWORD cb, LPDWORD pcbNeeded, LPDWORD pn) {
            return EnumPrinterDriversA(NULL, NULL, 3, p, cb, pcbNeeded, pn);
        }))
        return 1;
    const DRIVER_INFO_3A *pInfo = (const DRIVER_INFO_3A *)buffer.data();
    for (DWORD i = 0; i < nCount; i++, pInfo++)
        Print(L"driver " + FromAnsi(pInfo->pName) + L" | " + std::to_wstring(pInfo->cVersion) + L" | " +
              FromAnsi(pInfo->pEnvironment) + L" | " + FromAnsi(pInfo->pDriverPath) + L" | " +
              FromAnsi(pInfo->pDataFile) + L" | " + FromAnsi(pInfo->pConfigFile) + L" | " + FromAnsi(pInfo->pHelpFile) +
              L" | " + FromAnsiList(pInfo->pDependentFiles) + L" | " + FromAnsi(pInfo->pMonitorName) + L" | " +
              FromAnsi(pInfo->pDefaultDataType));
    return 0;
}

/* The printer-driver folder of the running environment, as programs get it. */
int RunFolder() {
    char szFolder[MAX_PATH] = "";
    DWORD cbNeeded = 0;
    if (!GetPrinterDriverDirectoryA(NULL, NULL, 1, (LPBYTE)szFolder, sizeof szFolder, &cbNeeded)) {
        Fail(L"GetPrinterDriverDirectoryA failed: error " + std::to_wstring(GetLastError()));
        return 1;
    }
    Print(FromAnsi(szFolder));
    return 0;
}
