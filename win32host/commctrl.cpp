// commctrl.cpp - the common controls library: initialising it registers the
// progress bar class, which is why a program must call InitCommonControls
// before a dialog with a progress bar can be created.
#include "api.h"
#include "window_model.h"

#include <commctrl.h>

extern "C" {

void WINAPI InitCommonControls(void) {
    w32h::entry_point_void([] { w32h::register_common_control_classes(); });
}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX *picce) {
    return w32h::entry_point(FALSE, [&]() -> BOOL {
        if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
        w32h::register_common_control_classes();
        return TRUE;
    });
}

}  // extern "C"
