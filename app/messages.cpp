/* messages.cpp - the message box helpers. Captions live in a 64-byte buffer
 * and message texts in a 256-byte one, so every text shown is cut to fit. */
#include "messages.h"

#include "resource.h"
#include "setup_ordane.h"

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

void LoadMessageFormat(LPSTR pszFormat, UINT nStringId) {
    pszFormat[0] = '\0';
    LoadStringA(g_hInstance, nStringId, pszFormat, MESSAGE_TEXT_SIZE);
}

void LoadDeletionCaption(LPSTR pszCaption) {
    pszCaption[0] = '\0';
    LoadStringA(g_hInstance, IDS_DELETION_FAILURE_CAPTION, pszCaption, DELETION_CAPTION_SIZE);
}
