/* winmain.cpp - start-up, the minimised main window and the dispatch. WinMain
 * creates the window, parses the command line and arms a one-shot timer; the
 * timer's callback runs the whole job inside the message loop, then shuts the
 * program down. Exit code 0 after a start-up failure, 1 otherwise. */
#include <windows.h>
#include <commctrl.h>

#include "messages.h"
#include "platform.h"
#include "resource.h"
#include "setup_ordane.h"

HINSTANCE g_hInstance = NULL;
HWND g_hMainWindow = NULL;
RunRequest g_RunRequest = {MODE_COMPLETE_SETUP, PLATFORM_NONE};
HGLOBAL g_SystemFolder = NULL;
HGLOBAL g_PrinterDriverFolder = NULL;

namespace {

/* Confirms, checks the platform and runs the operation of the mode. */
void RunRequestedOperation(HWND hWnd) {
    if (g_RunRequest.nPlatform == PLATFORM_NONE) {
        g_RunRequest.nPlatform = DetectPlatform(hWnd);
        if (g_RunRequest.nPlatform == PLATFORM_NONE) return;
    }
    if (!ConfirmRun(hWnd, &g_RunRequest)) return;
    if (!g_PlatformTable[g_RunRequest.nPlatform].nSupported) {
        ShowMessageString(g_hMainWindow, NULL, IDS_ERR_UNSUPPORTED);
        return;
    }
    const ModeOperation &operation = g_ModeOperations[g_RunRequest.nMode];
    if (operation.pfnOperation) operation.pfnOperation(g_hMainWindow, g_RunRequest.nPlatform, operation.nComplete);
}

/* Only Close stays enabled in the window menu of the minimised window. */
LRESULT OnInitMenuPopup(HMENU hMenu, LPARAM lParam) {
    static const UINT aGrayed[] = {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE};

    if (HIWORD(lParam) == 0) return 1;
    for (UINT nCommand : aGrayed) EnableMenuItem(hMenu, nCommand, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(hMenu, SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    return 0;
}

}  // namespace

int CreateMainWindow(void) {
    WNDCLASSA wc = {};
    char szTitle[64] = "";
    HWND hWnd;

    wc.style = CS_VREDRAW | CS_HREDRAW | CS_BYTEALIGNCLIENT | CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = g_hInstance;
    wc.hIcon = LoadIconA(g_hInstance, MAKEINTRESOURCEA(IDI_ORDANE));
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = MAIN_WINDOW_CLASS;
    if (!RegisterClassA(&wc)) {
        ShowMessageString(NULL, NULL, IDS_ERR_CLASS);
        return 0;
    }
    LoadStringA(g_hInstance, IDS_APP_TITLE, szTitle, sizeof szTitle);
    hWnd = CreateWindowExA(0, MAIN_WINDOW_CLASS, szTitle, WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, g_hInstance, NULL);
    if (!hWnd) {
        ShowMessageString(NULL, NULL, IDS_ERR_WINDOW);
        return 0;
    }
    g_hMainWindow = hWnd;
    UpdateWindow(hWnd);
    ShowWindow(hWnd, SW_SHOWMINIMIZED);
    return 1;
}

LRESULT CALLBACK MainWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_DESTROY:
        PostQuitMessage(1);
        return 0;
    case WM_QUERYOPEN:
        return 0; /* the window stays minimised */
    case WM_INITMENUPOPUP:
        return OnInitMenuPopup((HMENU)wParam, lParam);
    default:
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    }
}

VOID CALLBACK DispatchTimerProc(HWND hWnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime) {
    static BOOL s_bStarted = FALSE;

    (void)uMsg;
    (void)dwTime;
    KillTimer(hWnd, idEvent);
    /* Should the timer outlive KillTimer, its next ticks arrive inside the
     * job's own dialogs: the job still runs once. */
    if (s_bStarted) return;
    s_bStarted = TRUE;
    if (g_RunRequest.nMode == MODE_SHOW_SYNTAX)
        ShowSyntax(hWnd);
    else if (g_RunRequest.nMode >= MODE_COMPLETE_SETUP && g_RunRequest.nMode <= MODE_COMPLETE_DELETION)
        RunRequestedOperation(hWnd);
    ShutDown(hWnd);
}

void FreeTargetFolders(void) {
    if (g_SystemFolder) GlobalFree(g_SystemFolder);
    if (g_PrinterDriverFolder) GlobalFree(g_PrinterDriverFolder);
    g_SystemFolder = NULL;
    g_PrinterDriverFolder = NULL;
}

void ShutDown(HWND hWnd) {
    FreeTargetFolders();
    /* The window procedure posts the quit message; the window itself stays. */
    SendMessageA(hWnd, WM_DESTROY, 0, 0);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd) {
    MSG msg = {};

    (void)hPrevInstance;
    (void)nShowCmd; /* always minimised */
    g_hInstance = hInstance;
    if (!CreateMainWindow()) return 0;
    if (!ParseOptions(lpCmdLine, &g_RunRequest)) return 0;
    InitCommonControls();
    SetTimer(g_hMainWindow, DISPATCH_TIMER_ID, DISPATCH_DELAY_MS, DispatchTimerProc);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
