/* commctrl.h - the common controls SetupOrdane uses: initialisation and the
 * progress bar, with Windows' names and values, implemented by win32host.
 * Under RC_INVOKED only the #defines show. */
#ifndef WIN32HOST_COMMCTRL_H
#define WIN32HOST_COMMCTRL_H

#include <windows.h>

#define PROGRESS_CLASSA "msctls_progress32"
#define PROGRESS_CLASS PROGRESS_CLASSA
#define PBS_SMOOTH 0x01
#define PBS_VERTICAL 0x04

#define ICC_PROGRESS_CLASS 0x00000020

#ifndef RC_INVOKED
#ifdef __cplusplus
extern "C" {
#endif

#define PBM_SETRANGE (WM_USER + 1)
#define PBM_SETPOS (WM_USER + 2)
#define PBM_DELTAPOS (WM_USER + 3)
#define PBM_SETSTEP (WM_USER + 4)
#define PBM_STEPIT (WM_USER + 5)
#define PBM_SETRANGE32 (WM_USER + 6)
#define PBM_GETRANGE (WM_USER + 7)
#define PBM_GETPOS (WM_USER + 8)

typedef struct {
    int iLow;
    int iHigh;
} PBRANGE, *PPBRANGE;

typedef struct tagINITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
} INITCOMMONCONTROLSEX, *LPINITCOMMONCONTROLSEX;

void WINAPI InitCommonControls(void);
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX *picce);

#ifdef __cplusplus
}
#endif
#endif /* RC_INVOKED */
#endif /* WIN32HOST_COMMCTRL_H */
