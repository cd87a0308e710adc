/* target_folders.h - the two target folders (the system folder and the
 * spooler's printer-driver folder, held in app's process-wide strings) and
 * the current one, which each file-list pass sets and the replace
 * confirmation dialog reads. */
#ifndef SETUPORDANE_TARGET_FOLDERS_H
#define SETUPORDANE_TARGET_FOLDERS_H

#include <windows.h>

extern LPCSTR g_pszCurrentTargetFolder;
/* Obtains both folder strings: 1, or 0 at the first step that fails. */
int SetUpTargetFolders(void);

#endif /* SETUPORDANE_TARGET_FOLDERS_H */
