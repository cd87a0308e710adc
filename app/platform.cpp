/* platform.cpp - the platform table with its file lists, and platform
 * selection: the /OS= keyword lookup, detection from the running Windows
 * version, the command syntax message and the confirmation question. */
#include "platform.h"

#include <string.h>

#include "messages.h"
#include "resource.h"
#include "setup_ordane.h"

namespace {

const FileRecord g_EmptyList[] = {
    {NULL, NULL, 0, 0, 0},
};

const FileRecord g_Win95Files[] = {
    {"Pavo.drv", "Win95-98\\", REPLACE_ALWAYS, ANSWER_NONE, 0},
    {"Ordanef.hlp", "Win95-98\\", REPLACE_ALWAYS, ANSWER_NONE, 1},
    {"Ordanea.hlp", "Win95-98\\", REPLACE_ALWAYS, ANSWER_NONE, 1},
    {NULL, NULL, 0, 0, 0},
};

const FileRecord g_Win98Files[] = {
    {"Pavo.drv", "Win95-98\\", REPLACE_ALWAYS, ANSWER_NONE, 0},
    {"Ordanea.hlp", "Win95-98\\", REPLACE_ALWAYS, ANSWER_NONE, 1},
    {"Ordanef.hlp", "Win95-98\\", REPLACE_ALWAYS, ANSWER_NONE, 1},
    {NULL, NULL, 0, 0, 0},
};

const FileRecord g_WinNtFiles[] = {
    {"PavoUI.dll", "Nt4.0\\", REPLACE_ALWAYS, ANSWER_NONE, 0},
    {"PavoGI.dll", "Nt4.0\\", REPLACE_ALWAYS, ANSWER_NONE, 0},
    {"Ordane.ini", "Nt4.0\\", REPLACE_ALWAYS, ANSWER_NONE, 1},
    {"Ordanea.hlp", "Nt4.0\\", REPLACE_ALWAYS, ANSWER_NONE, 1},
    {"Ordanef.hlp", "Nt4.0\\", REPLACE_ALWAYS, ANSWER_NONE, 1},
    {NULL, NULL, 0, 0, 0},
};

/* The question asked before each operating mode. */
UINT ConfirmationString(LONG nMode) {
    switch (nMode) {
    case MODE_COMPLETE_SETUP:
        return IDS_CONFIRM_COMPLETE_SETUP;
    case MODE_SIMPLE_DELETION:
        return IDS_CONFIRM_SIMPLE_DELETION;
    case MODE_SIMPLE_SETUP:
        return IDS_CONFIRM_SIMPLE_SETUP;
    case MODE_COMPLETE_DELETION:
        return IDS_CONFIRM_COMPLETE_DELETION;
    default:
        return 0;
    }
}

}  // namespace

const PlatformRecord g_PlatformTable[PLATFORM_COUNT] = {
    {"WIN95", "Windows 95", g_EmptyList, g_Win95Files, 1, 0x0201, "Pavo.drv", "Pavo.drv", "Pavo.drv"},
    {"WIN98", "Windows 98", g_EmptyList, g_Win98Files, 1, 0x0201, "Pavo.drv", "Pavo.drv", "Pavo.drv"},
    {"WINNT351", "Windows NT 3.51", g_EmptyList, g_WinNtFiles, 1, 0x0201, "PavoGI.dll", "Ordane.ini", "PavoUI.dll"},
    {"WINNT40", "Windows NT 4.0", g_EmptyList, g_WinNtFiles, 1, 0x0201, "PavoGI.dll", "Ordane.ini", "PavoUI.dll"},
    {"WINNT50", "Windows 2000", g_EmptyList, g_WinNtFiles, 1, 0x0201, "PavoGI.dll", "Ordane.ini", "PavoUI.dll"},
    {"WIN32S", "Win32s sur plateforme 16 bits", NULL, NULL, 0, 0, "", "", ""},
};

int FindPlatform(LPCSTR pszText) {
    int nLength = lstrlenA(pszText);

    for (int i = 0; i < PLATFORM_COUNT; i++) {
        LPCSTR pszKeyword = g_PlatformTable[i].pszKeyword;
        if (!pszKeyword) return PLATFORM_NONE;
        if (nLength == lstrlenA(pszKeyword) && MatchPrefix(pszText, pszKeyword, (UINT)nLength)) return i;
    }
    return PLATFORM_NONE;
}

/* Windows NT 3.x is never detected: that row is reached only with /OS=. */
int PlatformFromVersion(DWORD dwPlatformId, DWORD dwMajor, DWORD dwMinor) {
    switch (dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        return PLATFORM_WIN32S;
    case VER_PLATFORM_WIN32_WINDOWS:
        if (dwMajor == 4 && dwMinor == 0) return PLATFORM_WIN95;
        if (dwMajor == 4 && dwMinor == 10) return PLATFORM_WIN98;
        return PLATFORM_NONE;
    case VER_PLATFORM_WIN32_NT:
        if (dwMajor == 4) return PLATFORM_WINNT40;
        if (dwMajor == 5) return PLATFORM_WINNT50;
        return PLATFORM_NONE;
    default:
        return PLATFORM_NONE;
    }
}

int IsWindows9xPlatform(LONG nPlatform) { return nPlatform == PLATFORM_WIN95 || nPlatform == PLATFORM_WIN98; }

int DetectPlatform(HWND hOwner) {
    OSVERSIONINFOA vi;
    int nPlatform;

    memset(&vi, 0, sizeof vi);
    vi.dwOSVersionInfoSize = sizeof vi;
    if (!GetVersionExA(&vi)) {
        ShowMessageString(hOwner, NULL, IDS_ERR_VERSION);
        return PLATFORM_NONE;
    }
    nPlatform = PlatformFromVersion(vi.dwPlatformId, vi.dwMajorVersion, vi.dwMinorVersion);
    if (nPlatform != PLATFORM_NONE) return nPlatform;
    ShowMessageFormat(hOwner, NULL, IDS_ERR_UNKNOWN_VERSION, vi.dwPlatformId, vi.dwMajorVersion, vi.dwMinorVersion);
    return PLATFORM_NONE;
}

void ShowSyntax(HWND hOwner) {
    char szCaption[64] = "";
    char szText[512] = "";

    LoadStringA(g_hInstance, IDS_SYNTAX_CAPTION, szCaption, sizeof szCaption);
    LoadStringA(g_hInstance, IDS_SYNTAX_TEXT, szText, sizeof szText);
    for (int i = 0; i < PLATFORM_COUNT && g_PlatformTable[i].pszKeyword; i++) {
        int nUsed = lstrlenA(szText);
        /* Each line is a line break, a tab and the keyword; stop before one would not fit. */
        if (nUsed + 3 + lstrlenA(g_PlatformTable[i].pszKeyword) >= (int)sizeof szText) break;
        wsprintfA(szText + nUsed, "\r\n\t%s", g_PlatformTable[i].pszKeyword);
    }
    MessageBoxA(hOwner, szText, szCaption, MB_OK);
}

int ConfirmRun(HWND hOwner, const RunRequest *pRequest) {
    char szText[MESSAGE_TEXT_SIZE];
    UINT nString = ConfirmationString(pRequest->nMode);
    LONG nPlatform = pRequest->nPlatform;

    if (!nString || nPlatform < 0 || nPlatform >= PLATFORM_COUNT) return 0;
    FormatMessageString(szText, nString, g_PlatformTable[nPlatform].pszDisplayName);
    return MessageBoxA(hOwner, szText, "", MB_YESNO) == IDYES;
}
