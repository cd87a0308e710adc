// focus.cpp - focus and activation: the one window with the keyboard focus,
// the active top-level window, and the foreground window. Moving the focus to
// a window of another top-level window activates that window first.
#include "api.h"
#include "frontend.h"
#include "window_manager.h"

namespace w32h {
void set_focus_raw(HWND hwnd) {
    HWND old = window_manager().focus;
    if (old == hwnd) return;
    window_manager().focus = hwnd;
    if (old && find_window(old)) SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && find_window(hwnd) && window_manager().focus == hwnd)
        SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    frontend().invalidate();
}

void activate(HWND hwnd) {
    HWND old = window_manager().active;
    if (old == hwnd) return;
    window_manager().active = hwnd;
    if (old && find_window(old)) SendMessageA(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
    if (hwnd && find_window(hwnd)) SendMessageA(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
}

}  // namespace w32h

using namespace w32h;

extern "C" {

HWND WINAPI SetFocus(HWND hWnd) {
    return entry_point<HWND>(nullptr, [&]() -> HWND {
        HWND old = window_manager().focus;
        if (hWnd) {
            window_or_fail(hWnd);
            HWND top = top_level_of(hWnd);
            if (top != window_manager().active) activate(top);
        }
        set_focus_raw(hWnd);
        return old;
    });
}

HWND WINAPI GetFocus(void) {
    return entry_point<HWND>(nullptr, [&]() -> HWND { return window_manager().focus; });
}

HWND WINAPI SetActiveWindow(HWND hWnd) {
    return entry_point<HWND>(nullptr, [&]() -> HWND {
        HWND old = window_manager().active;
        if (hWnd && is_child(window_or_fail(hWnd))) return nullptr;
        activate(hWnd);
        return old;
    });
}

HWND WINAPI GetActiveWindow(void) {
    return entry_point<HWND>(nullptr, [&]() -> HWND { return window_manager().active; });
}

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
    return entry_point(FALSE, [&]() -> BOOL {
        if (!find_window(hWnd)) return FALSE;
        HWND top = top_level_of(hWnd);
        window_manager().foreground = top;
        activate(top);
        return TRUE;
    });
}

HWND WINAPI GetForegroundWindow(void) {
    return entry_point<HWND>(nullptr, [&]() -> HWND {
        const WindowManager &wm = window_manager();
        return wm.foreground ? wm.foreground : wm.active;
    });
}

}  // extern "C"
