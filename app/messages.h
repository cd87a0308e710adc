/* messages.h - the message box helpers through which SetupOrdane reports
 * failures: an OK box without icon, captioned with the failure caption of the
 * string table unless the caller gives one; and the one way a message that
 * carries numbers or names is loaded, formatted and shown. */
#ifndef SETUPORDANE_MESSAGES_H
#define SETUPORDANE_MESSAGES_H

#include <windows.h>

/* Message texts are loaded and formatted into buffers of this size. */
#define MESSAGE_TEXT_SIZE 256
/* The deletion failure caption (string 160) is loaded into this many. */
#define DELETION_CAPTION_SIZE 128

void ShowMessageText(HWND hOwner, LPCSTR pszCaption, LPCSTR pszText);
void ShowMessageString(HWND hOwner, LPCSTR pszCaption, UINT nStringId);

/* The format string nStringId, loaded into MESSAGE_TEXT_SIZE characters. */
void LoadMessageFormat(LPSTR pszFormat, UINT nStringId);

/* Loads string nStringId and formats it with the arguments (wsprintfA's
 * rules) into pszText, MESSAGE_TEXT_SIZE characters, cut to fit whatever the
 * arguments: wsprintfA writes at most 1024 characters and its terminator. */
template <class... Args>
void FormatMessageString(LPSTR pszText, UINT nStringId, Args... args) {
    char szFormat[MESSAGE_TEXT_SIZE];
    char szWhole[1025];

    LoadMessageFormat(szFormat, nStringId);
    wsprintfA(szWhole, szFormat, args...);
    lstrcpynA(pszText, szWhole, MESSAGE_TEXT_SIZE);
}

/* The same text shown as ShowMessageText shows it. */
template <class... Args>
void ShowMessageFormat(HWND hOwner, LPCSTR pszCaption, UINT nStringId, Args... args) {
    char szText[MESSAGE_TEXT_SIZE];

    FormatMessageString(szText, nStringId, args...);
    ShowMessageText(hOwner, pszCaption, szText);
}

/* String 160, the caption of every failure while removing. */
void LoadDeletionCaption(LPSTR pszCaption);

#endif /* SETUPORDANE_MESSAGES_H */
