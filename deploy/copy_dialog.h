/* copy_dialog.h - the copy dialog (template 602), which copies one file in
 * backup mode (beside itself, to its backup name) or in install mode (from
 * the medium into the target folder) while it shows a progress bar. */
#ifndef SETUPORDANE_COPY_DIALOG_H
#define SETUPORDANE_COPY_DIALOG_H

#include <windows.h>

#include "platform.h"

/* The backup name is built in a buffer of this size, terminator included. */
#define BACKUP_NAME_SIZE 64

/* Copy dialog modes */
#define COPY_MODE_BACKUP 0
#define COPY_MODE_INSTALL 1
#define COPY_TIMER_ID 2
#define COPY_DELAY_MS 500
#define COPY_BLOCK_SIZE 1024
/* A copy writes beside its target, under the target's name with this
 * suffix, and puts the file in the target's place once it is whole. */
#define TEMPORARY_SUFFIX ".new"

/* What the copy dialog copies; the caller keeps it alive while the dialog runs. */
struct CopyRequest {
    LONG nMode;              /* COPY_MODE_BACKUP or COPY_MODE_INSTALL */
    const FileRecord *pFile; /* the file name and its source folder */
    LPCSTR pszTargetFolder;  /* a target folder, without a trailing backslash */
};

/* 1 copied, 0 not copied */
extern CopyRequest *g_pCurrentCopyRequest;
INT_PTR RunCopyDialog(HWND hOwner, CopyRequest *pRequest);
INT_PTR CALLBACK CopyDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
/* The name with its extension replaced by ".bku", in place: 1, or 0 and the
 * name left as it was when it would not fit cchName characters. */
int MakeBackupName(LPSTR pszName, int cchName);
int SetUpProgress(HWND hDlg, LPCSTR pszPath);

#endif /* SETUPORDANE_COPY_DIALOG_H */
