/* file_passes.h - the passes over one file list of a platform: the
 * deployment pass and the removal pass, with the per-file procedure and the
 * existence test they rest on. */
#ifndef SETUPORDANE_FILE_PASSES_H
#define SETUPORDANE_FILE_PASSES_H

#include <windows.h>

#include "platform.h"

/* List selectors of the passes */
#define LIST_SYSTEM_FOLDER 0
#define LIST_PRINTER_DRIVER_FOLDER 1

/* 1 when every file was deployed or skipped, 0 when the user stopped. */
int RunDeploymentPass(HWND hOwner, LONG nPlatform, int nList);
int DeployFile(HWND hOwner, const FileRecord *pFile);
int TargetFileExists(LPCSTR pszPath);
void RunRemovalPass(HWND hOwner, LONG nPlatform, int nList);

#endif /* SETUPORDANE_FILE_PASSES_H */
