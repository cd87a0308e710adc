/* setup_ordane.h - the application shell: the process-wide state that several
 * parts of SetupOrdane share (instance, main window, run request, target
 * folders) and the start-up, command-line and dispatch operations. */
#ifndef SETUPORDANE_SETUP_ORDANE_H
#define SETUPORDANE_SETUP_ORDANE_H

#include <windows.h>

#include "handles.h"

/* Operating modes of the run request */
#define MODE_SHOW_SYNTAX 0
#define MODE_COMPLETE_SETUP 1
#define MODE_SIMPLE_DELETION 2
#define MODE_SIMPLE_SETUP 3
#define MODE_COMPLETE_DELETION 4
#define MODE_COUNT 5

#define DISPATCH_TIMER_ID 1
#define DISPATCH_DELAY_MS 500
#define MAIN_WINDOW_CLASS "SetupOrdaneClass"

struct RunRequest {
    LONG nMode;
    LONG nPlatform; /* a row of the platform table, or PLATFORM_NONE */
};

/* What the dispatch starts for a mode: an operation, called with the main
 * window, the platform index and the complete flag. The operations define
 * the table (operations/modes.cpp); the dispatch only reads it. */
typedef int (*OPERATIONPROC)(HWND hMainWindow, LONG nPlatform, int nComplete);
struct ModeOperation {
    OPERATIONPROC pfnOperation; /* NULL: no operation */
    int nComplete;
};
extern const ModeOperation g_ModeOperations[MODE_COUNT];

extern HINSTANCE g_hInstance;
extern HWND g_hMainWindow;
extern RunRequest g_RunRequest;
/* The target folders, ANSI strings in global-heap blocks, NULL until made;
 * ShutDown frees them. Plain handles: a global with a destructor would need
 * the C runtime that the Windows build does without. */
extern HGLOBAL g_SystemFolder;
extern HGLOBAL g_PrinterDriverFolder;

int CreateMainWindow(void);
int ParseOptions(LPSTR pszCommandTail, RunRequest *pRequest);
void SplitCommandLine(LPSTR pszText, LPSTR *ppszVector, int *pnCount);
void UpperCaseAscii(LPSTR pszText);
int MatchPrefix(LPCSTR pszText, LPCSTR pszPrefix, UINT nLength);
LRESULT CALLBACK MainWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
VOID CALLBACK DispatchTimerProc(HWND hWnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);
void ShutDown(HWND hWnd);
/* Frees both target folders and sets them to NULL. */
void FreeTargetFolders(void);

#endif /* SETUPORDANE_SETUP_ORDANE_H */
