// window_pos.cpp - where windows are and how they show, as Wine's winpos.c
// and sysparams.c hold it: ShowWindow and the activation it brings, window and
// client rectangles, the frame and caption around a client area, MoveWindow,
// and the system metrics those sizes come from.
#include "api.h"
#include "frontend.h"
#include "window_manager.h"

#include <algorithm>

namespace w32h {
namespace {

constexpr int caption_height = 19;  // SM_CYCAPTION of Windows 2000, its line included
constexpr int dialog_frame = 3;     // SM_CXDLGFRAME
constexpr int thick_frame = 4;      // SM_CXFRAME

// Applies a ShowWindow command to the style; returns whether it activates.
bool apply_show_command(Window &w, int cmd) {
    switch (cmd) {
    case SW_HIDE:
        w.style &= ~WS_VISIBLE;
        return false;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        w.style |= WS_VISIBLE | WS_MINIMIZE;
        return cmd == SW_SHOWMINIMIZED;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
    case SW_SHOWMAXIMIZED:
        w.style = (w.style | WS_VISIBLE) & ~WS_MINIMIZE;
        return true;
    default:  // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE
        w.style |= WS_VISIBLE;
        return cmd == SW_SHOW;
    }
}

BOOL show_window(Window &w, int cmd) {
    bool was_visible = (w.style & WS_VISIBLE) != 0;
    bool activates = apply_show_command(w, cmd);
    bool visible = (w.style & WS_VISIBLE) != 0;
    if (visible != was_visible) SendMessageA(w.handle, WM_SHOWWINDOW, visible, 0);
    if (activates && !is_child(w)) activate(w.handle);
    frontend().invalidate();
    return was_visible;
}

// Children are placed in their parent's client area; others on the screen.
RECT window_rect(const Window &w) {
    RECT rect = w.rect;
    if (!is_child(w)) return rect;
    if (Window *p = find_window(w.parent)) {
        RECT pc = client_rect_in_screen(*p);
        rect.left += pc.left;
        rect.right += pc.left;
        rect.top += pc.top;
        rect.bottom += pc.top;
    }
    return rect;
}

RECT client_rect(const Window &w) {
    RECT in = nonclient_insets(w.style, w.ex_style);
    LONG width = w.rect.right - w.rect.left - in.left - in.right;
    LONG height = w.rect.bottom - w.rect.top - in.top - in.bottom;
    return RECT{0, 0, std::max<LONG>(0, width), std::max<LONG>(0, height)};
}

int system_metric(int index) {
    switch (index) {
    case SM_CXSCREEN:
        return config().screen_width;
    case SM_CYSCREEN:
        return config().screen_height;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return 16;
    case SM_CYCAPTION:
        return caption_height;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return dialog_frame;
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    default:
        return 0;  // Limits: other metrics are not modelled.
    }
}

}  // namespace

RECT nonclient_insets(DWORD style, DWORD ex_style) {
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = thick_frame;
    else if ((style & WS_DLGFRAME) || (ex_style & WS_EX_DLGMODALFRAME))
        frame = dialog_frame;
    else if (style & WS_BORDER)
        frame = 1;
    if (ex_style & WS_EX_CLIENTEDGE) frame += 2;
    int caption = (style & WS_CAPTION) == WS_CAPTION ? caption_height : 0;
    return RECT{frame, frame + caption, frame, frame};
}

RECT client_rect_in_screen(const Window &w) {
    RECT r = window_rect(w);
    RECT in = nonclient_insets(w.style, w.ex_style);
    return RECT{r.left + in.left, r.top + in.top, r.right - in.right, r.bottom - in.bottom};
}

}  // namespace w32h

using namespace w32h;

extern "C" {

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    return entry_point(FALSE, [&]() -> BOOL { return show_window(window_or_fail(hWnd), nCmdShow); });
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    return entry_point(FALSE, [&]() -> BOOL {
        const Window &w = window_or_fail(hWnd);
        if (!lpRect) fail_with(ERROR_INVALID_PARAMETER);
        *lpRect = window_rect(w);
        return TRUE;
    });
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    return entry_point(FALSE, [&]() -> BOOL {
        const Window &w = window_or_fail(hWnd);
        if (!lpRect) fail_with(ERROR_INVALID_PARAMETER);
        *lpRect = client_rect(w);
        return TRUE;
    });
}

// Limits: bRepaint is not used; the front-end redraws what changed.
BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
    (void)bRepaint;
    return entry_point(FALSE, [&]() -> BOOL {
        Window &w = window_or_fail(hWnd);
        int cx = std::max(0, nWidth), cy = std::max(0, nHeight);
        w.rect = RECT{X, Y, X + cx, Y + cy};
        SendMessageA(hWnd, WM_MOVE, 0, MAKELPARAM(X, Y));
        SendMessageA(hWnd, WM_SIZE, 0, MAKELPARAM(cx, cy));
        frontend().invalidate();
        return TRUE;
    });
}

int WINAPI GetSystemMetrics(int nIndex) {
    return entry_point(0, [&]() -> int { return system_metric(nIndex); });
}

}  // extern "C"
