/* paths.cpp - the bounded path builder, and the look at a file's information
 * that the replace and copy dialogs share: the file is opened without access
 * rights, so that another program's share mode does not hide it. */
#include "paths.h"

#include "handles.h"

int BuildPath(LPSTR pszBuffer, LPCSTR pszFolder, LPCSTR pszSeparator, LPCSTR pszName) {
    pszBuffer[0] = '\0';
    if (!pszFolder || !pszName) return 0;
    if (lstrlenA(pszFolder) + lstrlenA(pszSeparator) + lstrlenA(pszName) >= PATH_BUFFER_SIZE) return 0;
    wsprintfA(pszBuffer, "%s%s%s", pszFolder, pszSeparator, pszName);
    return 1;
}

int ExamineFile(LPCSTR pszPath, BY_HANDLE_FILE_INFORMATION *pInfo) {
    unique_file file(CreateFileA(pszPath, 0, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));

    return file && GetFileInformationByHandle(file.get(), pInfo) != 0;
}
