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

/* One line per record of an enumeration, its two calls made (the size asked
 * for first); 1, said, when the second fails. */
template <class Info, class Enumerate, class Line>
int PrintEach(const wchar_t *pszCall, Enumerate enumerate, Line line) {
    DWORD cbNeeded = 0, nCount = 0;
    enumerate(NULL, 0, &cbNeeded, &nCount);
    std::vector<BYTE> buffer(cbNeeded ? cbNeeded : 1);
    if (!enumerate(buffer.data(), cbNeeded, &cbNeeded, &nCount)) {
        Fail(std::wstring(pszCall) + L" failed: error " + std::to_wstring(GetLastError()));
        return 1;
    }
    const Info *pInfo = (const Info *)buffer.data();
    for (DWORD i = 0; i < nCount; i++) Print(line(pInfo[i]));
    return 0;
}

}  // namespace

/* One line per local printer: name, port, driver, comment, share, location,
 * print processor, data type, attributes. */
int RunPrinters() {
    auto enumerate = [](LPBYTE p, DWORD cb, LPDWORD pcbNeeded, LPDWORD pnCount) {
        return EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, p, cb, pcbNeeded, pnCount);
    };
    return PrintEach<PRINTER_INFO_2A>(L"EnumPrintersA", enumerate, [](const PRINTER_INFO_2A &info) {
        return L"printer " + FromAnsi(info.pPrinterName) + L" | " + FromAnsi(info.pPortName) + L" | " +
               FromAnsi(info.pDriverName) + L" | " + FromAnsi(info.pComment) + L" | " + FromAnsi(info.pShareName) +
               L" | " + FromAnsi(info.pLocation) + L" | " + FromAnsi(info.pPrintProcessor) + L" | " +
               FromAnsi(info.pDatatype) + L" | " + Hex(info.Attributes);
    });
}

/* One line per printer driver of the running environment: name, version,
 * environment, driver, data, configuration and help file, dependent files,
 * monitor, default data type. */
int RunDrivers() {
    auto enumerate = [](LPBYTE p, DWORD cb, LPDWORD pcbNeeded, LPDWORD pnCount) {
        return EnumPrinterDriversA(NULL, NULL, 3, p, cb, pcbNeeded, pnCount);
    };
    return PrintEach<DRIVER_INFO_3A>(L"EnumPrinterDriversA", enumerate, [](const DRIVER_INFO_3A &info) {
        return L"driver " + FromAnsi(info.pName) + L" | " + std::to_wstring(info.cVersion) + L" | " +
               FromAnsi(info.pEnvironment) + L" | " + FromAnsi(info.pDriverPath) + L" | " + FromAnsi(info.pDataFile) +
               L" | " + FromAnsi(info.pConfigFile) + L" | " + FromAnsi(info.pHelpFile) + L" | " +
               FromAnsiList(info.pDependentFiles) + L" | " + FromAnsi(info.pMonitorName) + L" | " +
               FromAnsi(info.pDefaultDataType);
    });
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
