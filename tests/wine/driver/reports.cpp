/* reports.cpp - what Windows reports, for the driver's "spooler" and "folder"
 * commands (the printers, the printer drivers and their folder) and its
 * "resources", "string", "version" and "manifest" commands (the program's file
 * read through the Windows loader as Explorer and the loader itself read it). */
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

std::wstring VersionText(DWORD dwMost, DWORD dwLeast) {
    return std::to_wstring(HIWORD(dwMost)) + L"." + std::to_wstring(LOWORD(dwMost)) + L"." +
           std::to_wstring(HIWORD(dwLeast)) + L"." + std::to_wstring(LOWORD(dwLeast));
}

std::wstring ResourceName(LPCWSTR pszName) {
    return IS_INTRESOURCE(pszName) ? std::to_wstring((UINT_PTR)pszName) : std::wstring(pszName);
}

BOOL CALLBACK ListLanguage(HMODULE, LPCWSTR pszType, LPCWSTR pszName, WORD wLanguage, LONG_PTR) {
    Print(ResourceName(pszType) + L" " + ResourceName(pszName) + L" " + Hex4(wLanguage));
    return TRUE;
}

BOOL CALLBACK ListName(HMODULE hModule, LPCWSTR pszType, LPWSTR pszName, LONG_PTR lParam) {
    EnumResourceLanguagesW(hModule, pszType, pszName, ListLanguage, lParam);
    return TRUE;
}

BOOL CALLBACK ListType(HMODULE hModule, LPWSTR pszType, LONG_PTR lParam) {
    EnumResourceNamesW(hModule, pszType, ListName, lParam);
    return TRUE;
}

HMODULE LoadAsData(const std::wstring &path) {
    HMODULE hModule = LoadLibraryExW(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!hModule) Fail(L"cannot open " + path + L" as a data file: error " + std::to_wstring(GetLastError()));
    return hModule;
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

/* What Explorer's properties show, read through version.dll: the fixed part,
 * the translations, and the texts of one language's block (code page 1252). */
int RunVersion(const std::wstring &path, const std::wstring &language) {
    DWORD dwHandle = 0;
    DWORD cbInfo = GetFileVersionInfoSizeW(path.c_str(), &dwHandle);
    std::vector<BYTE> info(cbInfo ? cbInfo : 1);
    if (!cbInfo || !GetFileVersionInfoW(path.c_str(), 0, cbInfo, info.data())) {
        Fail(L"no version resource in " + path + L": error " + std::to_wstring(GetLastError()));
        return 1;
    }
    VS_FIXEDFILEINFO *pFixed = NULL;
    UINT cbValue = 0;
    if (!VerQueryValueW(info.data(), L"\\", (LPVOID *)&pFixed, &cbValue) || pFixed->dwSignature != 0xFEEF04BD) {
        Fail(L"no fixed version information");
        return 1;
    }
    Print(L"file version " + VersionText(pFixed->dwFileVersionMS, pFixed->dwFileVersionLS) + L", product version " +
          VersionText(pFixed->dwProductVersionMS, pFixed->dwProductVersionLS) + L", os " + Hex(pFixed->dwFileOS) +
          L", type " + Hex(pFixed->dwFileType) + L", flags " + Hex(pFixed->dwFileFlags & pFixed->dwFileFlagsMask));
    WORD *pTranslations = NULL;
    std::wstring line = L"translations";
    if (VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", (LPVOID *)&pTranslations, &cbValue))
        for (UINT i = 0; i + 1 < cbValue / sizeof(WORD); i += 2)
            line += L" " + Hex4(pTranslations[i]) + L"-" + Hex4(pTranslations[i + 1]);
    Print(line);
    int nResult = 0;
    for (const wchar_t *pszName : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                                   L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        std::wstring query = L"\\StringFileInfo\\" + language + L"04e4\\" + pszName;
        LPWSTR pszValue = NULL;
        if (VerQueryValueW(info.data(), query.c_str(), (LPVOID *)&pszValue, &cbValue) && pszValue)
            Print(std::wstring(pszName) + L"=" + pszValue);
        else {
            Fail(std::wstring(L"no ") + pszName + L" in language " + language);
            nResult = 1;
        }
    }
    return nResult;
}

/* The run level that the loader reads from the program's manifest, as an
 * activation context made from the file holds it. */
int RunManifest(const std::wstring &path) {
    ACTCTXW context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE hContext = CreateActCtxW(&context);
    if (hContext == INVALID_HANDLE_VALUE) {
        Fail(L"no manifest the loader accepts in " + path + L": error " + std::to_wstring(GetLastError()));
        return 1;
    }
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    SIZE_T cbWritten = 0;
    BOOL bOk =
        QueryActCtxW(0, hContext, NULL, RunlevelInformationInActivationContext, &level, sizeof level, &cbWritten);
    ReleaseActCtx(hContext);
    if (!bOk) {
        Fail(L"the run level cannot be read: error " + std::to_wstring(GetLastError()));
        return 1;
    }
    const wchar_t *names[] = {L"unspecified", L"asInvoker", L"highestAvailable", L"requireAdministrator"};
    Print(L"run level " + std::wstring(level.RunLevel < 4 ? names[level.RunLevel] : L"?") + L", uiAccess " +
          std::to_wstring(level.UiAccess));
    return 0;
}

/* One line per resource: type, name and language, in the file's order. */
int RunResources(const std::wstring &path) {
    unique_module module(LoadAsData(path));
    if (!module.get()) return 1;
    EnumResourceTypesW(module.get(), ListType, 0);
    return 0;
}

/* A string block holds sixteen counted strings; the one asked for is picked
 * out in the one language asked for, with no fallback to another. */
int RunString(const std::wstring &path, WORD wLanguage, UINT nId) {
    unique_module module(LoadAsData(path));
    if (!module.get()) return 1;
    HRSRC hInfo = FindResourceExW(module.get(), (LPCWSTR)RT_STRING, MAKEINTRESOURCEW(nId / 16 + 1), wLanguage);
    HGLOBAL hData = hInfo ? LoadResource(module.get(), hInfo) : NULL;
    const WCHAR *p = hData ? (const WCHAR *)LockResource(hData) : NULL;
    if (!p) {
        Fail(L"no string block for string " + std::to_wstring(nId) + L" in language " + Hex4(wLanguage));
        return 1;
    }
    for (UINT i = 0; i < nId % 16; i++) p += *p + 1;
    std::wstring text(p + 1, *p);
    Print(std::to_wstring(text.size()) + L" " + Escape(text));
    return text.empty() ? 1 : 0;
}
