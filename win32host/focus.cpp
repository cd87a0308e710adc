// focus.cpp - focus and activation: the one window with the keyboard focus,
// the active top-level window, and the foreground window. Moving the focus to
// a window of another top-level window activates that window first.
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

HWND WINAPI SetFocus(HWND hwnd) {
    HWND old = window_manager().focus;
    if (!hwnd) {
        set_focus_raw(nullptr);
        return old;
    }
    if (!find_window(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HWND top = top_level_of(hwnd);
    if (top != window_manager().active) activate(top);
    set_focus_raw(hwnd);
    return old;
}

HWND WINAPI GetFocus(void) { return window_manager().focus; }

HWND WINAPI SetActiveWindow(HWND hwnd) {
    HWND old = window_manager().active;
    Window *w = find_window(hwnd);
    if (hwnd && !w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (w && is_child(*w)) return nullptr;
    activate(hwnd);
    return old;
}

HWND WINAPI GetActiveWindow(void) { return window_manager().active; }

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
    if (!find_window(hwnd)) return FALSE;
    HWND top = top_level_of(hwnd);
    window_manager().foreground = top;
    activate(top);
    return TRUE;
}

HWND WINAPI GetForegroundWindow(void) {
    return window_manager().foreground ? window_manager().foreground : window_manager().active;
}

}  // extern "C"
