/* replace_dialog.h - the replace confirmation dialog (template 600), which
 * names a file already in its target folder and asks whether to replace it,
 * and the two routines that move the default-push-button style among a
 * dialog's push buttons. */
#ifndef SETUPORDANE_REPLACE_DIALOG_H
#define SETUPORDANE_REPLACE_DIALOG_H

#include <windows.h>

#include "platform.h"

/* 1 replace, 0 keep, -1 unknown facts (or no record, or no dialog) */
extern const FileRecord *g_pCurrentReplaceRecord;
INT_PTR RunReplaceDialog(HWND hOwner, const FileRecord *pFile);
INT_PTR CALLBACK ReplaceDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
/* Fills a size and a date item with the facts of a file: 1, or 0 and nothing. */
int ShowFileFacts(HWND hDlg, LPCSTR pszPath, int nSizeId, int nDateId);

void ResetDefaultButtons(HWND hDlg);
void SetDefaultButton(HWND hDlg, int nId);

#endif /* SETUPORDANE_REPLACE_DIALOG_H */
