// dialog_navigation.cpp - how the keyboard moves about a dialog, or any
// window given to IsDialogMessageA: the walk over tab stops and groups
// (GetNextDlgTabItem, GetNextDlgGroupItem), and what Tab, the arrows, Enter
// and Escape do there.
#include "api.h"
#include "window_model.h"

#include <algorithm>

namespace w32h {
namespace {

// ---- tab and group order -------------------------------------------------------
// Windows walks the controls in creation order (its Z order) and, as Wine's
// test_GetNextDlgItem pins it, enters the children of a visible, enabled
// WS_EX_CONTROLPARENT control as if they stood in its place; a dialog within
// the dialog (DS_CONTROL alone) is one control.

bool reachable(HWND hwnd) {
    Window *w = find_window(hwnd);
    return w && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED);
}

bool has_style(HWND hwnd, DWORD style) {
    Window *w = find_window(hwnd);
    return w && (w->style & style);
}

bool tab_stop(HWND hwnd) { return reachable(hwnd) && has_style(hwnd, WS_TABSTOP); }

bool control_parent(HWND hwnd) {
    Window *w = find_window(hwnd);
    return w && reachable(hwnd) && (w->ex_style & WS_EX_CONTROLPARENT);
}

HWND parent_of(HWND hwnd) {
    Window *w = find_window(hwnd);
    return w && (w->style & WS_CHILD) ? w->parent : nullptr;
}

// The first (or, going backwards, the last) child.
HWND edge_child(HWND parent, bool backwards) {
    Window *w = find_window(parent);
    if (!w || w->children.empty()) return nullptr;
    return backwards ? w->children.back() : w->children.front();
}

HWND sibling(HWND hwnd, bool backwards) {
    Window *p = find_window(parent_of(hwnd));
    if (!p) return nullptr;
    auto it = std::find(p->children.begin(), p->children.end(), hwnd);
    if (backwards) return it == p->children.begin() ? nullptr : *(it - 1);
    return it + 1 < p->children.end() ? *(it + 1) : nullptr;
}

// The first tab stop at or after hwnd among its siblings (at or before it,
// going backwards), control parents entered on the way.
HWND tab_stop_from(HWND hwnd, bool backwards) {
    for (; hwnd; hwnd = sibling(hwnd, backwards)) {
        if (control_parent(hwnd)) {
            if (HWND inner = tab_stop_from(edge_child(hwnd, backwards), backwards)) return inner;
        } else if (tab_stop(hwnd)) {
            return hwnd;
        }
    }
    return nullptr;
}

// The next control of a forward walk round the whole dialog: the next
// sibling, else that of the nearest ancestor that has one; past the last
// control the walk starts again at the first, once. Control parents are
// entered down to their first leaf.
struct GroupWalk {
    HWND dialog;
    bool wrapped = false;

    HWND step(HWND hwnd) {
        HWND next = sibling(hwnd, false);
        while (!next) {
            if (parent_of(hwnd) == dialog) {
                if (wrapped) return nullptr;
                wrapped = true;
                next = edge_child(dialog, false);
            } else {
                hwnd = parent_of(hwnd);
                next = sibling(hwnd, false);
            }
        }
        while (control_parent(next) && edge_child(next, false)) next = edge_child(next, false);
        return next;
    }
};

// Windows' group walk goes forward round the dialog from ctl, skipping from
// each WS_GROUP control on until it meets ctl again, then walks ctl's group
// from its WS_GROUP control: forwards the first reachable control after ctl,
// backwards the last one before it. ctl when there is none.
HWND walk_group(HWND dialog, HWND ctl, bool backwards) {
    GroupWalk walk{dialog};
    HWND found = ctl, group = nullptr;
    bool skipping = false;
    for (HWND hwnd = walk.step(ctl); hwnd; hwnd = walk.step(hwnd)) {
        if (has_style(hwnd, WS_GROUP)) {
            group = hwnd;
            skipping = true;
        }
        if (hwnd == ctl) {
            if (!skipping || group == hwnd) break;
            hwnd = group;
            skipping = walk.wrapped = false;
        }
        if (skipping || !reachable(hwnd)) continue;
        found = hwnd;
        if (!backwards) break;
    }
    return found;
}

// ---- keyboard ----------------------------------------------------------------------

void press_enter(HWND dialog) {
    HWND focus = GetFocus();
    if (IsChild(dialog, focus) && (dialog_code(focus) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED), reinterpret_cast<LPARAM>(focus));
        return;
    }
    LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    if (HIWORD(def) == DC_HASDEFID) {
        HWND button = GetDlgItem(dialog, LOWORD(def));
        if (!button || IsWindowEnabled(button))
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(LOWORD(def), BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return;
    }
    SendMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

bool move_in_group(HWND dialog, WPARAM key) {
    HWND focus = GetFocus();
    if (!IsChild(dialog, focus)) return false;
    HWND next = GetNextDlgGroupItem(dialog, focus, key == VK_LEFT || key == VK_UP);
    if (next && next != focus) dialog_focus_control(dialog, next);
    return true;
}

// A dialog moves its focus itself, on WM_NEXTDLGCTL. For any other window the
// dialog manager moves it, as Windows does (Wine's test_IsDialogMessage), and
// leaves the key alone when no control can take it.
bool tab_to_next_control(HWND dialog) {
    if (dialog_state(dialog)) {
        SendMessageA(dialog, WM_NEXTDLGCTL, shift_down(), 0);
        return true;
    }
    HWND focus = GetFocus();
    HWND next = GetNextDlgTabItem(dialog, focus == dialog ? nullptr : focus, shift_down());
    if (!next) return false;
    dialog_focus_control(dialog, next);
    return true;
}

bool handle_key(HWND dialog, const MSG &msg, UINT code) {
    switch (msg.wParam) {
    case VK_TAB:
        if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
        return tab_to_next_control(dialog);
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        if (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)) return false;
        return move_in_group(dialog, msg.wParam);
    case VK_ESCAPE:
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return true;
    case VK_RETURN:
        if (code & DLGC_WANTALLKEYS) return false;
        press_enter(dialog);
        return true;
    default:
        return false;
    }
}

BOOL dialog_message_of(HWND dialog, MSG &msg) {
    if (msg.hwnd != dialog && !IsChild(dialog, msg.hwnd)) return FALSE;
    UINT code = static_cast<UINT>(SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
    if (!(code & DLGC_WANTMESSAGE) && msg.message == WM_KEYDOWN && handle_key(dialog, msg, code)) return TRUE;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return TRUE;
}

// Windows takes the dialog itself for no control; from no control a
// backward walk finds nothing, a forward one the first tab stop. From a
// control the walk goes on among its siblings, then its ancestors'; from the
// last control, or one that is not the dialog's, it starts again at the
// first. ctl when there is no other tab stop.
HWND next_tab_item(const Window &d, HWND ctl, bool backwards) {
    if (ctl == d.handle) ctl = nullptr;
    if (!ctl) return backwards ? nullptr : tab_stop_from(edge_child(d.handle, false), false);
    if (IsChild(d.handle, ctl))
        for (HWND at = ctl; at != d.handle; at = parent_of(at))
            if (HWND found = tab_stop_from(sibling(at, backwards), backwards)) return found;
    HWND found = tab_stop_from(edge_child(d.handle, backwards), backwards);
    return found ? found : ctl;
}

// The next (or previous) visible, enabled control of ctl's group, else ctl;
// nothing for a control that is not the dialog's. From no control, the first
// control when it is reachable, else the walk from there.
HWND next_group_item(const Window &d, HWND ctl, bool backwards) {
    if (ctl == d.handle) ctl = nullptr;
    if (!ctl && backwards) return nullptr;
    if (ctl && !IsChild(d.handle, ctl)) return nullptr;
    if (!ctl) {
        ctl = edge_child(d.handle, false);
        if (!ctl || reachable(ctl)) return ctl;
    }
    return walk_group(d.handle, ctl, backwards);
}

}  // namespace
}  // namespace w32h

using namespace w32h;

extern "C" {

BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
    return entry_point(FALSE, [&]() -> BOOL {
        window_or_fail(hDlg);
        if (!lpMsg) return FALSE;
        return dialog_message_of(hDlg, *lpMsg);
    });
}

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    return entry_point<HWND>(nullptr,
                             [&]() -> HWND { return next_tab_item(window_or_fail(hDlg), hCtl, bPrevious != 0); });
}

HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    return entry_point<HWND>(nullptr,
                             [&]() -> HWND { return next_group_item(window_or_fail(hDlg), hCtl, bPrevious != 0); });
}

}  // extern "C"
