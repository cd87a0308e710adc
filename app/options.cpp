/* options.cpp - the command line: the tokenizer, the upper-casing and prefix
 * helpers, and the option parser that fills the run request. Options are
 * matched as prefixes, case-insensitively; the first unknown token turns the
 * run into the syntax message. */
#include "messages.h"
#include "platform.h"
#include "resource.h"
#include "setup_ordane.h"

namespace {

struct Option {
    LPCSTR pszName;
    LONG nMode; /* -1: the /OS= option, which sets the platform instead */
};

/* In the order the parser tries them. */
const Option g_Options[] = {
    {"/ONLYDELETEPRINTDEVICE", MODE_SIMPLE_DELETION},
    {"/ONLYADDPRINTDEVICE", MODE_SIMPLE_SETUP},
    {"/UNINSTALL", MODE_COMPLETE_DELETION},
    {"/OS=", -1},
};

bool IsSeparator(char ch) { return ch == ' ' || ch == '\t'; }

/* Applies one upper-cased token; returns 0 when it is not an option. */
int ApplyOption(LPSTR pszToken, RunRequest *pRequest) {
    for (const Option &option : g_Options) {
        UINT nLength = (UINT)lstrlenA(option.pszName);
        if (!MatchPrefix(pszToken, option.pszName, nLength)) continue;
        if (option.nMode < 0)
            pRequest->nPlatform = FindPlatform(pszToken + nLength);
        else
            pRequest->nMode = option.nMode;
        return 1;
    }
    pRequest->nPlatform = PLATFORM_NONE;
    pRequest->nMode = MODE_SHOW_SYNTAX;
    return 0;
}

}  // namespace

void SplitCommandLine(LPSTR pszText, LPSTR *ppszVector, int *pnCount) {
    int nCount = 0;
    char *p = pszText;

    while (p && *p) {
        if (IsSeparator(*p)) {
            if (ppszVector) *p = '\0';
            p++;
            continue;
        }
        if (ppszVector) ppszVector[nCount] = p;
        nCount++;
        while (*p && !IsSeparator(*p)) p++;
    }
    *pnCount = nCount;
}

void UpperCaseAscii(LPSTR pszText) {
    for (char *p = pszText; p && *p; p++) {
        if (*p >= 'a' && *p <= 'z') *p = (char)(*p - 0x20);
    }
}

int MatchPrefix(LPCSTR pszText, LPCSTR pszPrefix, UINT nLength) {
    if (!pszText || !pszPrefix) return 0;
    for (UINT i = 0; i < nLength; i++) {
        if (pszText[i] != pszPrefix[i]) return 0;
        /* Both texts ended together: equal, and nothing past the end is read. */
        if (pszText[i] == '\0') return 1;
    }
    return 1;
}

int ParseOptions(LPSTR pszCommandTail, RunRequest *pRequest) {
    int nCount = 0;
    unique_global Tokens;
    LPSTR *ppszTokens;

    pRequest->nMode = MODE_COMPLETE_SETUP;
    pRequest->nPlatform = PLATFORM_NONE;
    SplitCommandLine(pszCommandTail, NULL, &nCount);
    if (nCount == 0) return 1;
    Tokens.reset(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, (SIZE_T)(nCount + 1) * sizeof(LPSTR)));
    if (!Tokens) {
        ShowMessageString(g_hMainWindow, NULL, IDS_ERR_MEMORY);
        return 0;
    }
    ppszTokens = (LPSTR *)Tokens.get();
    SplitCommandLine(pszCommandTail, ppszTokens, &nCount);
    ppszTokens[nCount] = NULL;
    for (int i = 0; i < nCount; i++) {
        UpperCaseAscii(ppszTokens[i]);
        if (!ApplyOption(ppszTokens[i], pRequest)) break;
    }
    return 1;
}
