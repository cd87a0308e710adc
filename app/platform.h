/* platform.h - the platform table: for each Windows platform the command-line
 * keyword, the name shown to the user, the files deployed into each target
 * folder and the driver set registered with the spooler; and the operations
 * that select the platform and ask for confirmation. */
#ifndef SETUPORDANE_PLATFORM_H
#define SETUPORDANE_PLATFORM_H

#include <windows.h>

#define PLATFORM_WIN95 0
#define PLATFORM_WIN98 1
#define PLATFORM_WINNT351 2
#define PLATFORM_WINNT40 3
#define PLATFORM_WINNT50 4
#define PLATFORM_WIN32S 5
#define PLATFORM_COUNT 6
#define PLATFORM_NONE 6 /* not given, not found, not detected */

/* Replace policies of a file that already exists in its target folder */
#define REPLACE_ALWAYS 0
#define REPLACE_NEVER 1
#define REPLACE_ASK 2

/* Default answers of the replace confirmation */
#define ANSWER_NONE 0
#define ANSWER_YES 1
#define ANSWER_NO 2

struct FileRecord {
    LPCSTR pszFileName;     /* NULL in the record that ends a list */
    LPCSTR pszSourceFolder; /* relative to the medium, ending in a backslash */
    LONG nReplacePolicy;
    LONG nDefaultAnswer;
    LONG nRemoveFlag;
};

struct PlatformRecord {
    LPCSTR pszKeyword;
    LPCSTR pszDisplayName;
    const FileRecord *pSystemFolderFiles;
    const FileRecord *pPrinterDriverFolderFiles;
    LONG nSupported;
    DWORD dwDriverVersion;
    LPCSTR pszDriverFile;
    LPCSTR pszDataFile;
    LPCSTR pszConfigFile;
};

extern const PlatformRecord g_PlatformTable[PLATFORM_COUNT];

/* The Windows 95 family: rows 0 and 1; every other row is of the NT family. */
int IsWindows9xPlatform(LONG nPlatform);
int FindPlatform(LPCSTR pszText);
int DetectPlatform(HWND hOwner);
int PlatformFromVersion(DWORD dwPlatformId, DWORD dwMajor, DWORD dwMinor);
void ShowSyntax(HWND hOwner);
struct RunRequest; /* setup_ordane.h */
int ConfirmRun(HWND hOwner, const RunRequest *pRequest);

#endif /* SETUPORDANE_PLATFORM_H */
