/* copy_dialog.cpp - the copy dialog (template 602): copies one file, in
 * backup mode to its backup name beside it, in install mode from the medium
 * into the target folder, while it shows what it copies and a progress bar.
 * The new content goes to a temporary file in the target folder first and
 * takes the target's place only once every byte is written, so a failed copy
 * leaves the existing file (and an earlier backup) as it was. */
#include "copy_dialog.h"

#include <commctrl.h>

#include "centre_window.h"
#include "handles.h"
#include "paths.h"
#include "messages.h"
#include "resource.h"
#include "setup_ordane.h"

CopyRequest *g_pCurrentCopyRequest = NULL;

namespace {

char g_szCopySource[PATH_BUFFER_SIZE];
char g_szCopyTarget[PATH_BUFFER_SIZE];

/* The progress bar's range is the file's size shifted right by this many
 * bits: none where the common controls take a 32-bit range, enough to fit
 * 15 bits where they do not (before 4.70: Windows 95, NT 3.51), so that no
 * version can read the range as negative. */
int g_nProgressShift = 0;
DWORD g_cbCopied = 0;

/* Fills the texts and both paths by the mode; 0 when a name or path does
 * not fit its buffer, which the copy reports as its own step failing. */
int FillBackupMode(HWND hDlg, const CopyRequest *pRequest) {
    LPCSTR pszName = pRequest->pFile->pszFileName;
    char szBackup[BACKUP_NAME_SIZE] = "";
    int nFits = lstrlenA(pszName) < BACKUP_NAME_SIZE;

    if (nFits) lstrcpynA(szBackup, pszName, sizeof szBackup);
    nFits = nFits && MakeBackupName(szBackup, sizeof szBackup);
    SetDlgItemTextA(hDlg, IDC_COPY_FROM, pRequest->pszTargetFolder);
    SetDlgItemTextA(hDlg, IDC_COPY_TO, szBackup);
    BuildPath(g_szCopySource, pRequest->pszTargetFolder, "\\", pszName);
    return BuildPath(g_szCopyTarget, pRequest->pszTargetFolder, "\\", szBackup) && nFits;
}

void FillInstallMode(HWND hDlg, const CopyRequest *pRequest) {
    LPCSTR pszName = pRequest->pFile->pszFileName;

    SetDlgItemTextA(hDlg, IDC_COPY_FROM, pRequest->pFile->pszSourceFolder);
    SetDlgItemTextA(hDlg, IDC_COPY_TO, pRequest->pszTargetFolder);
    BuildPath(g_szCopySource, pRequest->pFile->pszSourceFolder, "", pszName);
    BuildPath(g_szCopyTarget, pRequest->pszTargetFolder, "\\", pszName);
}

void SetCopyTitle(HWND hDlg, UINT nStringId) {
    char szTitle[32] = "";

    LoadStringA(g_hInstance, nStringId, szTitle, sizeof szTitle);
    SetWindowTextA(hDlg, szTitle);
}

BOOL OnInitCopyDialog(HWND hDlg, CopyRequest *pRequest) {
    g_pCurrentCopyRequest = pRequest;
    if (!pRequest) {
        ShowMessageString(hDlg, NULL, IDS_ERR_DATA_HANDLE);
        EndDialog(hDlg, 0);
        return TRUE;
    }
    if (pRequest->nMode != COPY_MODE_BACKUP && pRequest->nMode != COPY_MODE_INSTALL) {
        EndDialog(hDlg, 0);
        return TRUE;
    }
    SetCopyTitle(hDlg, pRequest->nMode == COPY_MODE_BACKUP ? IDS_COPY_TITLE_SAVE : IDS_COPY_TITLE_SETUP);
    SetDlgItemTextA(hDlg, IDC_FILE_NAME, pRequest->pFile->pszFileName);
    if (pRequest->nMode == COPY_MODE_BACKUP) {
        if (!FillBackupMode(hDlg, pRequest)) g_szCopyTarget[0] = '\0';
    } else {
        FillInstallMode(hDlg, pRequest);
    }
    CentreWindow(hDlg);
    SetUpProgress(hDlg, g_szCopySource);
    /* Without its timer the dialog, which has no button, could never end. */
    if (!SetTimer(hDlg, COPY_TIMER_ID, COPY_DELAY_MS, NULL)) PostMessageA(hDlg, WM_TIMER, COPY_TIMER_ID, 0);
    return TRUE;
}

void ReportCopyFailure(HWND hDlg, UINT nStringId) {
    ShowMessageString(hDlg, g_pCurrentCopyRequest->pFile->pszFileName, nStringId);
}

/* A target that exists must be one this program could overwrite now: not
 * read-only, not held by another program. */
int TargetCanBeReplaced(LPCSTR pszTarget) {
    unique_file target(CreateFileA(pszTarget, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));

    return target || GetLastError() == ERROR_FILE_NOT_FOUND;
}

/* Advances the bar by the bytes read, in the units of its range. */
void AdvanceProgress(HWND hProgress, DWORD cbRead) {
    DWORD cbBefore = g_cbCopied;

    g_cbCopied += cbRead;
    SendMessageA(hProgress, PBM_DELTAPOS, (g_cbCopied >> g_nProgressShift) - (cbBefore >> g_nProgressShift), 0);
}

/* Moves the data block by block, advancing the bar by each block read. */
int CopyBlocks(HWND hDlg, HANDLE hSource, HANDLE hTarget) {
    BYTE aBlock[COPY_BLOCK_SIZE];
    DWORD cbRead = 0;
    DWORD cbWritten = 0;
    HWND hProgress = GetDlgItem(hDlg, IDC_COPY_PROGRESS);

    for (;;) {
        if (!ReadFile(hSource, aBlock, sizeof aBlock, &cbRead, NULL)) {
            ReportCopyFailure(hDlg, IDS_ERR_COPY_READ);
            return 0;
        }
        if (cbRead == 0) return 1;
        if (!WriteFile(hTarget, aBlock, cbRead, &cbWritten, NULL) || cbWritten != cbRead) {
            ReportCopyFailure(hDlg, IDS_ERR_COPY_WRITE);
            return 0;
        }
        AdvanceProgress(hProgress, cbRead);
    }
}

/* Puts the finished temporary file in the target's place: 1 when done; 0
 * when the target is as it was; -1 when the target is gone and the new
 * content stays whole under the temporary name. Windows 95 and 98 do not
 * implement MoveFileExA: there the target is deleted, then the temporary file
 * renamed, so a crash between the two leaves the new content complete under
 * its temporary name, and the former one in its backup. */
int PutInPlace(LPCSTR pszTemporary, LPCSTR pszTarget) {
    if (MoveFileExA(pszTemporary, pszTarget, MOVEFILE_REPLACE_EXISTING)) return 1;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return 0;
    if (!DeleteFileA(pszTarget) && GetLastError() != ERROR_FILE_NOT_FOUND) return 0;
    return MoveFileA(pszTemporary, pszTarget) ? 1 : -1;
}

/* Writes the temporary file and puts it in the target's place; whatever
 * fails, only the temporary file is removed, and never once it holds the only
 * copy of the new content. */
int CopyThroughTemporaryFile(HWND hDlg, HANDLE hSource) {
    char szTemporary[PATH_BUFFER_SIZE];
    int nCopied, nPlaced = 0;

    if (!g_szCopyTarget[0] || !TargetCanBeReplaced(g_szCopyTarget) ||
        !BuildPath(szTemporary, g_szCopyTarget, "", TEMPORARY_SUFFIX)) {
        ReportCopyFailure(hDlg, IDS_ERR_COPY_CREATE_TARGET);
        return 0;
    }
    unique_file temporary(
        CreateFileA(szTemporary, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!temporary) {
        ReportCopyFailure(hDlg, IDS_ERR_COPY_CREATE_TARGET);
        return 0;
    }
    nCopied = CopyBlocks(hDlg, hSource, temporary.get());
    temporary.reset();
    if (nCopied) nPlaced = PutInPlace(szTemporary, g_szCopyTarget);
    if (nCopied && nPlaced != 1) ReportCopyFailure(hDlg, IDS_ERR_COPY_CREATE_TARGET);
    if (nPlaced == 0) DeleteFileA(szTemporary);
    return nPlaced == 1;
}

int CopyRequestedFile(HWND hDlg) {
    unique_file source(CreateFileA(g_szCopySource, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));

    if (!g_szCopySource[0] || !source) {
        ReportCopyFailure(hDlg, IDS_ERR_COPY_OPEN_SOURCE);
        return 0;
    }
    return CopyThroughTemporaryFile(hDlg, source.get());
}

/* The first tick runs the whole copy, once. */
BOOL OnCopyTimer(HWND hDlg, WPARAM wParam) {
    if (wParam != COPY_TIMER_ID) return FALSE;
    KillTimer(hDlg, COPY_TIMER_ID);
    EndDialog(hDlg, CopyRequestedFile(hDlg));
    return TRUE;
}

}  // namespace

int MakeBackupName(LPSTR pszName, int cchName) {
    int nLength, nStem;

    if (!pszName) return 0;
    nLength = lstrlenA(pszName);
    nStem = nLength;
    while (nStem > 0 && pszName[nStem - 1] != '.') nStem--;
    nStem = nStem > 0 ? nStem - 1 : nLength; /* cut at the last dot, if any */
    if (nStem + 5 > cchName) return 0;
    lstrcpynA(pszName + nStem, ".bku", 5);
    return 1;
}

int SetUpProgress(HWND hDlg, LPCSTR pszPath) {
    BY_HANDLE_FILE_INFORMATION info;
    DWORD cbSize;

    g_nProgressShift = 0;
    g_cbCopied = 0;
    if (!ExamineFile(pszPath, &info)) return 0;
    cbSize = info.nFileSizeLow;
    /* A bar answers PBM_SETRANGE32 with its former range, never 0 for the
     * 0-100 it is made with; common controls before 4.70 ignore it (0). */
    if (!SendDlgItemMessageA(hDlg, IDC_COPY_PROGRESS, PBM_SETRANGE32, 0, (LPARAM)cbSize)) {
        while ((cbSize >> g_nProgressShift) > 0x7FFF) g_nProgressShift++;
        SendDlgItemMessageA(hDlg, IDC_COPY_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, cbSize >> g_nProgressShift));
    }
    SendDlgItemMessageA(hDlg, IDC_COPY_PROGRESS, PBM_SETPOS, 0, 0);
    return 1;
}

INT_PTR CALLBACK CopyDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_INITDIALOG:
        return OnInitCopyDialog(hDlg, (CopyRequest *)lParam);
    case WM_TIMER:
        return OnCopyTimer(hDlg, wParam);
    default:
        return FALSE;
    }
}

INT_PTR RunCopyDialog(HWND hOwner, CopyRequest *pRequest) {
    return DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_COPY_PROGRESS), hOwner, CopyDialogProc, (LPARAM)pRequest);
}
