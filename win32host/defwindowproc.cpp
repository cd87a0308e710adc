// defwindowproc.cpp - the default window procedure: window texts, closing,
// the window menu's commands, and activation moving the focus, for messages a
// window procedure leaves to Windows.
#include "api.h"
#include "frontend.h"
#include "window_manager.h"

#include <algorithm>
#include <cstring>

namespace w32h {
namespace {

void set_text_raw(Window &w, const char *text) {
    w.text = text ? text : "";
    if (w.handle == window_manager().main) transcript_title(w.text);
    frontend().invalidate();
}

LRESULT default_syscommand(HWND hwnd, WPARAM wp) {
    switch (wp & 0xFFF0) {
    case SC_CLOSE:
        return SendMessageA(hwnd, WM_CLOSE, 0, 0);
    case SC_RESTORE:
        if (IsIconic(hwnd) && !SendMessageA(hwnd, WM_QUERYOPEN, 0, 0)) return 0;
        ShowWindow(hwnd, SW_RESTORE);
        return 0;
    case SC_MINIMIZE:
        ShowWindow(hwnd, SW_MINIMIZE);
        return 0;
    default:
        return 0;  // Limits: moving, sizing and maximising are not modelled.
    }
}

LRESULT default_gettext(Window &w, WPARAM wp, LPARAM lp) {
    char *buf = reinterpret_cast<char *>(lp);
    if (!buf || wp == 0) return 0;
    size_t n = std::min<size_t>(w.text.size(), wp - 1);
    std::memcpy(buf, w.text.data(), n);
    buf[n] = '\0';
    return static_cast<LRESULT>(n);
}

LRESULT default_message(Window &w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCREATE: {
        auto *cs = reinterpret_cast<CREATESTRUCTA *>(lp);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) set_text_raw(w, cs->lpszName);
        return TRUE;
    }
    case WM_SETTEXT:
        set_text_raw(w, reinterpret_cast<const char *>(lp));
        return TRUE;
    case WM_GETTEXT:
        return default_gettext(w, wp, lp);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w.text.size());
    case WM_CLOSE:
        DestroyWindow(w.handle);
        return 0;
    case WM_SYSCOMMAND:
        return default_syscommand(w.handle, wp);
    case WM_QUERYOPEN:
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && !IsIconic(w.handle)) SetFocus(w.handle);
        return 0;
    default:
        return 0;
    }
}

}  // namespace

}  // namespace w32h

using namespace w32h;

extern "C" {

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return entry_point<LRESULT>(0, [&]() -> LRESULT {
        Window *w = find_window(hWnd);
        return w ? default_message(*w, Msg, wParam, lParam) : 0;
    });
}

}  // extern "C"
