/* paths.h - what every step of the deployment shares about files: the
 * bounded path builder and the one look at a file's information (size and
 * last-write time) that the replace and copy dialogs take. */
#ifndef SETUPORDANE_PATHS_H
#define SETUPORDANE_PATHS_H

#include <windows.h>

/* Paths are built in buffers of this size, terminator included. */
#define PATH_BUFFER_SIZE 512

/* "folder<separator>name" into a PATH_BUFFER_SIZE buffer; 0, and the buffer
 * emptied, when it would not fit. */
int BuildPath(LPSTR pszBuffer, LPCSTR pszFolder, LPCSTR pszSeparator, LPCSTR pszName);
/* Opens the file without access rights and reads its information: 1, or 0. */
int ExamineFile(LPCSTR pszPath, BY_HANDLE_FILE_INFORMATION *pInfo);

#endif /* SETUPORDANE_PATHS_H */
