/* port_dialog.cpp - the port selection dialog (template 608): lists the
 * spooler's ports as "NAME  (DESCRIPTION)" and puts the chosen port's name,
 * the entry cut at its first blank, into the port name buffer. */
#include <windows.h>
#include <winspool.h>

#include "centre_window.h"
#include "handles.h"
#include "resource.h"
#include "setup_ordane.h"
#include "spooler.h"
#include "spooler_calls.h"

char g_szPortName[PORT_NAME_SIZE];

namespace {

/* The count the second EnumPortsA call returns. */
struct PortQuery {
    DWORD nCount;
};

BOOL FillPorts(LPVOID pContext, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbNeeded) {
    PortQuery *pQuery = (PortQuery *)pContext;
    return SpoolerEnumPorts(pBuffer, cbBuf, pcbNeeded, &pQuery->nCount);
}

void FillPortList(HWND hDlg) {
    PortQuery query = {0};
    char szEntry[PORT_NAME_SIZE];
    unique_global buffer((HGLOBAL)QuerySpooler(FillPorts, &query));
    const PORT_INFO_2A *pPorts = (const PORT_INFO_2A *)buffer.get();

    if (!pPorts) return;
    for (DWORD i = 0; i < query.nCount; i++)
        if (FormatPortEntry(szEntry, pPorts[i].pPortName, pPorts[i].pDescription))
            SendDlgItemMessageA(hDlg, IDC_PORT_LIST, LB_ADDSTRING, 0, (LPARAM)szEntry);
}

void OnInitDialog(HWND hDlg) {
    FillPortList(hDlg);
    CentreWindow(hDlg);
    SetActiveWindow(hDlg);
}

/* OK: the selected entry up to its first blank becomes the port name. */
void OnOk(HWND hDlg) {
    LRESULT nSelection = SendDlgItemMessageA(hDlg, IDC_PORT_LIST, LB_GETCURSEL, 0, 0);
    LRESULT nLength;

    if (nSelection == LB_ERR) return;
    /* LB_GETTEXT writes the whole entry: never let it pass the buffer. */
    nLength = SendDlgItemMessageA(hDlg, IDC_PORT_LIST, LB_GETTEXTLEN, (WPARAM)nSelection, 0);
    if (nLength == LB_ERR || nLength >= PORT_NAME_SIZE) return;
    SendDlgItemMessageA(hDlg, IDC_PORT_LIST, LB_GETTEXT, (WPARAM)nSelection, (LPARAM)g_szPortName);
    for (LPSTR p = g_szPortName; *p; p++)
        if (*p == ' ') {
            *p = '\0';
            break;
        }
    EndDialog(hDlg, 1);
}

INT_PTR CALLBACK PortDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (uMsg) {
    case WM_INITDIALOG:
        OnInitDialog(hDlg);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            OnOk(hDlg);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(hDlg, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

/* A port whose name leaves no room for "  ()" in the entry is left out: its
 * name could only be handed on cut off, and a cut-off name may be another
 * port's. Otherwise an overlong description is shortened to fit. */
int FormatPortEntry(LPSTR pszEntry, LPCSTR pszPortName, LPCSTR pszDescription) {
    char szDescription[PORT_NAME_SIZE];
    int nRoom;

    if (!pszPortName) return 0;
    if (!pszDescription) pszDescription = "";
    nRoom = PORT_NAME_SIZE - 1 - lstrlenA(pszPortName) - 4;
    if (nRoom < 0) return 0;
    lstrcpynA(szDescription, pszDescription, nRoom + 1);
    wsprintfA(pszEntry, "%s  (%s)", pszPortName, szDescription);
    return 1;
}

/* 1 chosen, 0 cancelled, -1 when the dialog could not be made. */
int RunPortSelectionDialog(HWND hOwner) {
    return (int)DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_PORT_SELECT), hOwner, PortDialogProc, 0);
}
