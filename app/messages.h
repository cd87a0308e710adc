/* messages.h - the message box helpers through which SetupOrdane reports
 * failures: an OK box without icon, captioned with the failure caption of the
 * string table unless the caller gives one. */
#ifndef SETUPORDANE_MESSAGES_H
#define SETUPORDANE_MESSAGES_H

#include <windows.h>

void ShowMessageText(HWND hOwner, LPCSTR pszCaption, LPCSTR pszText);
void ShowMessageString(HWND hOwner, LPCSTR pszCaption, UINT nStringId);

#endif /* SETUPORDANE_MESSAGES_H */
