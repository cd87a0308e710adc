/* deploy.h - file deployment: the two target folders and the current one,
 * the dialog helpers every dialog uses (centring, default buttons), the
 * replace confirmation dialog, the copy dialog in its backup and install
 * modes, and the passes that deploy or remove the files of a file list. */
#ifndef SETUPORDANE_DEPLOY_H
#define SETUPORDANE_DEPLOY_H

#include <windows.h>

#include "platform.h"

/* Paths are built in buffers of this size, terminator included. */
#define PATH_BUFFER_SIZE 512
/* The backup name is built in a buffer of this size, terminator included. */
#define BACKUP_NAME_SIZE 64

/* List selectors of the passes */
#define LIST_SYSTEM_FOLDER 0
#define LIST_PRINTER_DRIVER_FOLDER 1

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

/* Target folders */
extern LPCSTR g_pszCurrentTargetFolder;
int SetUpTargetFolders(void);

/* Dialog helpers */
void CentreWindow(HWND hWnd);
void ResetDefaultButtons(HWND hDlg);
void SetDefaultButton(HWND hDlg, int nId);

/* Paths: "folder<separator>name" into a PATH_BUFFER_SIZE buffer; 0, and the
 * buffer emptied, when it would not fit. */
int BuildPath(LPSTR pszBuffer, LPCSTR pszFolder, LPCSTR pszSeparator, LPCSTR pszName);

/* Replace confirmation dialog (template 600): 1 replace, 0 keep, -1 unknown facts */
extern const FileRecord *g_pCurrentReplaceRecord;
INT_PTR RunReplaceDialog(HWND hOwner, const FileRecord *pFile);
INT_PTR CALLBACK ReplaceDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
int ShowFileFacts(HWND hDlg, LPCSTR pszPath, int nSizeId, int nDateId);
/* Opens the file without access rights and reads its information: 1, or 0. */
int ExamineFile(LPCSTR pszPath, BY_HANDLE_FILE_INFORMATION *pInfo);

/* Copy dialog (template 602): 1 copied, 0 not copied */
extern CopyRequest *g_pCurrentCopyRequest;
INT_PTR RunCopyDialog(HWND hOwner, CopyRequest *pRequest);
INT_PTR CALLBACK CopyDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
int MakeBackupName(LPSTR pszName, int cchName);
int SetUpProgress(HWND hDlg, LPCSTR pszPath);

/* File-list passes */
int RunDeploymentPass(HWND hOwner, LONG nPlatform, int nList);
int DeployFile(HWND hOwner, const FileRecord *pFile);
int TargetFileExists(LPCSTR pszPath);
void RunRemovalPass(HWND hOwner, LONG nPlatform, int nList);

#endif /* SETUPORDANE_DEPLOY_H */
