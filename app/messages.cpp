/* messages.cpp - the message box helpers. Captions live in a 64-byte buffer
 * and message texts in a 256-byte one, so every text shown is cut to fit. */
#include "messages.h"

#include <stdarg.h>

#include "resource.h"
#include "setup_ordane.h"

namespace {

/* wvsprintfA writes at most 1024 characters and its terminator: formatted
 * there first, the text is then cut to its buffer, whatever the arguments. */
void FormatMessageList(LPSTR pszText, UINT nStringId, va_list args) {
    char szFormat[MESSAGE_TEXT_SIZE] = "";
    char szWhole[1025];

    LoadStringA(g_hInstance, nStringId, szFormat, sizeof szFormat);
    wvsprintfA(szWhole, szFormat, args);
    lstrcpynA(pszText, szWhole, MESSAGE_TEXT_SIZE);
}

}  // namespace

void ShowMessageText(HWND hOwner, LPCSTR pszCaption, LPCSTR pszText) {
    char szCaption[64] = "";

    /* A caller's caption is cut at 63 characters rather than overflowing. */
    if (pszCaption)
        wsprintfA(szCaption, "%.63s", pszCaption);
    else
        LoadStringA(g_hInstance, IDS_SETUP_FAILURE_CAPTION, szCaption, sizeof szCaption);
    MessageBoxA(hOwner, pszText, szCaption, MB_OK);
}

void ShowMessageString(HWND hOwner, LPCSTR pszCaption, UINT nStringId) {
    char szText[MESSAGE_TEXT_SIZE] = "";

    LoadStringA(g_hInstance, nStringId, szText, sizeof szText);
    ShowMessageText(hOwner, pszCaption, szText);
}

void FormatMessageString(LPSTR pszText, UINT nStringId, ...) {
    va_list args;

    va_start(args, nStringId);
    FormatMessageList(pszText, nStringId, args);
    va_end(args);
}

void ShowMessageFormat(HWND hOwner, LPCSTR pszCaption, UINT nStringId, ...) {
    char szText[MESSAGE_TEXT_SIZE];
    va_list args;

    va_start(args, nStringId);
    FormatMessageList(szText, nStringId, args);
    va_end(args);
    ShowMessageText(hOwner, pszCaption, szText);
}

void LoadDeletionCaption(LPSTR pszCaption) {
    pszCaption[0] = '\0';
    LoadStringA(g_hInstance, IDS_DELETION_FAILURE_CAPTION, pszCaption, DELETION_CAPTION_SIZE);
}
