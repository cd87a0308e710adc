/* replace_dialog.cpp - the replace confirmation dialog (template 600): names
 * a file that is already in the target folder, shows its size and date and
 * those of the file on the medium, and asks whether to replace it. The file
 * record chooses the default button. */
#include "replace_dialog.h"

#include "centre_window.h"
#include "paths.h"
#include "target_folders.h"

#include "resource.h"
#include "setup_ordane.h"

const FileRecord *g_pCurrentReplaceRecord = NULL;

namespace {

/* The date as day/month/year/hour/minute/second, two digits each, whatever
 * the regional settings. */
void FormatFileDate(LPSTR pszBuffer, const FILETIME *pWriteTime) {
    FILETIME ftLocal = {0, 0};
    SYSTEMTIME st = {0, 0, 0, 0, 0, 0, 0, 0};

    FileTimeToLocalFileTime(pWriteTime, &ftLocal);
    FileTimeToSystemTime(&ftLocal, &st);
    wsprintfA(pszBuffer, "%02.2d/%02.2d/%02.2d %02.2d:%02.2d:%02.2d", st.wDay, st.wMonth, st.wYear % 100, st.wHour,
              st.wMinute, st.wSecond);
}

/* Yes, No, or the focus left to the system, by the record's default answer. */
BOOL PlaceDefaultAnswer(HWND hDlg, LONG nDefaultAnswer) {
    switch (nDefaultAnswer) {
    case ANSWER_NONE:
        ResetDefaultButtons(hDlg);
        return TRUE;
    case ANSWER_YES:
        SetDefaultButton(hDlg, IDC_REPLACE_YES);
        SetFocus(GetDlgItem(hDlg, IDC_REPLACE_YES));
        return FALSE;
    case ANSWER_NO:
        SetDefaultButton(hDlg, IDC_REPLACE_NO);
        SetFocus(GetDlgItem(hDlg, IDC_REPLACE_NO));
        return FALSE;
    default:
        return FALSE;
    }
}

/* Ends the dialog before it is shown when a file's facts cannot be read. */
BOOL OnInitReplaceDialog(HWND hDlg, const FileRecord *pFile) {
    char szPath[PATH_BUFFER_SIZE];

    g_pCurrentReplaceRecord = pFile;
    if (!pFile) {
        EndDialog(hDlg, -1);
        return TRUE;
    }
    SetDlgItemTextA(hDlg, IDC_FILE_NAME, pFile->pszFileName);
    if (!BuildPath(szPath, g_pszCurrentTargetFolder, "\\", pFile->pszFileName) ||
        !ShowFileFacts(hDlg, szPath, IDC_TARGET_SIZE, IDC_TARGET_DATE)) {
        EndDialog(hDlg, -1);
        return TRUE;
    }
    if (!BuildPath(szPath, pFile->pszSourceFolder, "", pFile->pszFileName) ||
        !ShowFileFacts(hDlg, szPath, IDC_SOURCE_SIZE, IDC_SOURCE_DATE)) {
        EndDialog(hDlg, -1);
        return TRUE;
    }
    CentreWindow(hDlg);
    return PlaceDefaultAnswer(hDlg, pFile->nDefaultAnswer);
}

/* Only Yes and No end the dialog; Escape's IDCANCEL is left unhandled. */
BOOL OnReplaceCommand(HWND hDlg, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDC_REPLACE_YES:
        EndDialog(hDlg, 1);
        return TRUE;
    case IDC_REPLACE_NO:
        EndDialog(hDlg, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int ShowFileFacts(HWND hDlg, LPCSTR pszPath, int nSizeId, int nDateId) {
    BY_HANDLE_FILE_INFORMATION info;
    char szText[64];

    if (!ExamineFile(pszPath, &info)) return 0;
    wsprintfA(szText, "%lu", (unsigned long)info.nFileSizeLow);
    SetDlgItemTextA(hDlg, nSizeId, szText);
    FormatFileDate(szText, &info.ftLastWriteTime);
    SetDlgItemTextA(hDlg, nDateId, szText);
    return 1;
}

INT_PTR CALLBACK ReplaceDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_INITDIALOG:
        return OnInitReplaceDialog(hDlg, (const FileRecord *)lParam);
    case WM_COMMAND:
        return OnReplaceCommand(hDlg, wParam);
    default:
        return FALSE;
    }
}

INT_PTR RunReplaceDialog(HWND hOwner, const FileRecord *pFile) {
    return DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_REPLACE_CONFIRM), hOwner, ReplaceDialogProc,
                           (LPARAM)pFile);
}
