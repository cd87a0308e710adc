// tty_probe.cpp - a small Win32 program over win32host that shows one of
// SetupOrdane's dialog templates with sample texts, so that the terminal
// front-end's tests can look at every dialog as a person would, whichever
// of them the program's own flows reach. "tty_probe 608" shows the port
// selection; a double click on an entry ends it with 1000 + the entry.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "resource.h"

namespace {

const char *const aPorts[] = {"COM1:", "COM2:", "FILE:", "LPT1:", "LPT2:", "LPT3:"};

void FillSamples(HWND hDlg) {
    HWND hList = GetDlgItem(hDlg, IDC_PORT_LIST);
    if (hList)
        for (const char *pszPort : aPorts) SendMessageA(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszPort));
    SetDlgItemTextA(hDlg, IDC_FILE_NAME, "ORDANE.DRV");
    SetDlgItemTextA(hDlg, IDC_TARGET_SIZE, "123456");
    SetDlgItemTextA(hDlg, IDC_SOURCE_SIZE, "123789");
    SetDlgItemTextA(hDlg, IDC_TARGET_DATE, "01/02/1999 10:11");
    SetDlgItemTextA(hDlg, IDC_SOURCE_DATE, "03/04/1999 12:13");
    SetDlgItemTextA(hDlg, IDC_COPY_FROM, "A:\\NT4.0\\ORDANE.DRV");
    SetDlgItemTextA(hDlg, IDC_COPY_TO, "C:\\WINNT\\system32\\spool\\drivers\\w32x86");
}

INT_PTR CALLBACK ProbeProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM) {
    switch (uMsg) {
    case WM_INITDIALOG:
        FillSamples(hDlg);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_PORT_LIST) {
            if (HIWORD(wParam) == LBN_DBLCLK)
                EndDialog(hDlg, 1000 + SendDlgItemMessageA(hDlg, IDC_PORT_LIST, LB_GETCURSEL, 0, 0));
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK && GetDlgItem(hDlg, IDC_PORT_LIST)) {
            EndDialog(hDlg, 2000 + SendDlgItemMessageA(hDlg, IDC_PORT_LIST, LB_GETCURSEL, 0, 0));
            return TRUE;
        }
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
    int nTemplate = std::atoi(lpCmdLine);
    InitCommonControls();
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(nTemplate), NULL, ProbeProc, 0);
    return 0;
}
