/* file_passes.cpp - the passes over one file list of a platform: the
 * deployment pass, which puts each file into its target folder by its
 * replace policy (backing up a file that is there), and the removal pass,
 * which deletes the files marked for removal; and the existence test. */
#include "file_passes.h"

#include "copy_dialog.h"
#include "handles.h"
#include "messages.h"
#include "paths.h"
#include "replace_dialog.h"
#include "resource.h"
#include "setup_ordane.h"
#include "target_folders.h"

namespace {

/* The list a selector names and its folder, made current; NULL when there
 * is none. A platform without lists walks an empty one. */
const FileRecord *SelectList(LONG nPlatform, int nList) {
    static const FileRecord aEmpty[] = {{NULL, NULL, 0, 0, 0}};
    const PlatformRecord *pPlatform;
    const FileRecord *pList;

    if (nPlatform < 0 || nPlatform >= PLATFORM_COUNT) return NULL;
    pPlatform = &g_PlatformTable[nPlatform];
    if (nList == LIST_SYSTEM_FOLDER) {
        g_pszCurrentTargetFolder = (LPCSTR)g_SystemFolder;
        pList = pPlatform->pSystemFolderFiles;
    } else if (nList == LIST_PRINTER_DRIVER_FOLDER) {
        g_pszCurrentTargetFolder = (LPCSTR)g_PrinterDriverFolder;
        pList = pPlatform->pPrinterDriverFolderFiles;
    } else {
        return NULL;
    }
    return pList ? pList : aEmpty;
}

/* A Yes/No question captioned with the file's name; 0 when answered No. */
int AskToContinue(HWND hOwner, const FileRecord *pFile, UINT nStringId) {
    char szText[256] = "";

    LoadStringA(g_hInstance, nStringId, szText, sizeof szText);
    return MessageBoxA(hOwner, szText, pFile->pszFileName, MB_YESNO) != IDNO;
}

/* Whether a file that is there is copied over, by its replace policy. */
int ShouldReplace(HWND hOwner, const FileRecord *pFile) {
    switch (pFile->nReplacePolicy) {
    case REPLACE_ALWAYS:
        return 1;
    case REPLACE_ASK:
        switch (RunReplaceDialog(hOwner, pFile)) {
        case 1:
            return 1;
        case 0:
            return 0;
        default:
            ShowMessageFormat(hOwner, NULL, IDS_ERR_FILE_PROPERTIES, pFile->pszFileName);
            return 0;
        }
    default:
        return 0; /* REPLACE_NEVER, and any policy the table does not know, keep the file */
    }
}

/* 1 only when the file was copied: a dialog that could not be made (-1)
 * copied nothing. */
int RunCopy(HWND hOwner, LONG nMode, const FileRecord *pFile) {
    CopyRequest request = {nMode, pFile, g_pszCurrentTargetFolder};

    return RunCopyDialog(hOwner, &request) == 1;
}

/* A copy cut short (the program ended during it) leaves its temporary file
 * beside the target: it goes with the file. Nothing is said when none is
 * there. The next copy to the same target overwrites it anyway. */
void DeleteTemporaryCopy(LPCSTR pszPath) {
    char szTemporary[PATH_BUFFER_SIZE];

    if (BuildPath(szTemporary, pszPath, "", TEMPORARY_SUFFIX)) DeleteFileA(szTemporary);
}

}  // namespace

/* Only a file that is not found is absent: one that another program holds,
 * or that cannot be opened for any other reason, still exists, so that it
 * is backed up before anything is copied over it. */
int TargetFileExists(LPCSTR pszPath) {
    unique_file file(CreateFileA(pszPath, 0, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    DWORD dwError = GetLastError();

    return file || (dwError != ERROR_FILE_NOT_FOUND && dwError != ERROR_PATH_NOT_FOUND);
}

int DeployFile(HWND hOwner, const FileRecord *pFile) {
    char szTarget[PATH_BUFFER_SIZE];
    /* A path that does not fit names no file; the copy then reports it. */
    int nFits = BuildPath(szTarget, g_pszCurrentTargetFolder, "\\", pFile->pszFileName);

    if (nFits && TargetFileExists(szTarget) && !ShouldReplace(hOwner, pFile)) return 1;
    /* After a failed backup, Yes still makes the install copy: the user was
     * told the failure would not disturb the next steps. */
    if (nFits && TargetFileExists(szTarget) && !RunCopy(hOwner, COPY_MODE_BACKUP, pFile) &&
        !AskToContinue(hOwner, pFile, IDS_BACKUP_FAILED_CONTINUE))
        return 0;
    if (!RunCopy(hOwner, COPY_MODE_INSTALL, pFile)) return AskToContinue(hOwner, pFile, IDS_COPY_FAILED_CONTINUE);
    return 1;
}

int RunDeploymentPass(HWND hOwner, LONG nPlatform, int nList) {
    const FileRecord *pFile = SelectList(nPlatform, nList);

    if (!pFile) return 0;
    for (; pFile->pszFileName; pFile++)
        if (!DeployFile(hOwner, pFile)) return 0;
    return 1;
}

void RunRemovalPass(HWND hOwner, LONG nPlatform, int nList) {
    char szPath[PATH_BUFFER_SIZE];
    const FileRecord *pFile = SelectList(nPlatform, nList);

    for (; pFile && pFile->pszFileName; pFile++) {
        if (!pFile->nRemoveFlag) continue;
        int nFits = BuildPath(szPath, g_pszCurrentTargetFolder, "\\", pFile->pszFileName);
        if (!nFits || !DeleteFileA(szPath)) ShowMessageString(hOwner, pFile->pszFileName, IDS_ERR_FILE_DELETE);
        if (nFits) DeleteTemporaryCopy(szPath);
    }
}
