// defdlg.cpp - the default dialog procedure, DefDlgProcA: what a dialog does
// with the messages its own procedure leaves, namely the default button
// (DM_SETDEFID, DM_GETDEFID, the style that follows the focus), the focus saved
// on deactivation and given back, WM_NEXTDLGCTL and WM_CLOSE.
#include "api.h"
#include "dialog_template.h"

namespace w32h {
namespace {

HWND find_styled_default(HWND dialog) {
    Window *w = find_window(dialog);
    if (!w) return nullptr;
    for (HWND child : w->children)
        if (dialog_code(child) & DLGC_DEFPUSHBUTTON) return child;
    return nullptr;
}

// The one button that looks like the default: target takes the style when it
// is a push button, any other button that had it loses it.
void restyle_default_button(HWND dialog, HWND target) {
    HWND old = find_styled_default(dialog);
    if (old && old != target) SendMessageA(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    if (target && (dialog_code(target) & DLGC_UNDEFPUSHBUTTON))
        SendMessageA(target, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

// When the focus moves to a push button it takes the default style; when it
// moves to any other control the dialog's own default button gets it back.
void move_default_style(HWND dialog, HWND focus) {
    if (dialog_code(focus) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
        restyle_default_button(dialog, focus);
        return;
    }
    DialogState *d = dialog_state(dialog);
    restyle_default_button(dialog, d && d->default_id ? GetDlgItem(dialog, d->default_id) : nullptr);
}

LRESULT set_default_id(HWND dialog, DialogState &d, WPARAM id) {
    if (d.ended) return FALSE;
    restyle_default_button(dialog, GetDlgItem(dialog, static_cast<int>(id)));
    d.default_id = static_cast<WORD>(id);
    return TRUE;
}

LRESULT get_default_id(HWND dialog, const DialogState &d) {
    if (d.ended) return 0;
    if (d.default_id) return MAKELRESULT(d.default_id, DC_HASDEFID);
    if (HWND styled = find_styled_default(dialog)) return MAKELRESULT(GetDlgCtrlID(styled), DC_HASDEFID);
    return MAKELRESULT(IDOK, DC_HASDEFID);  // Windows' default id, button or not
}

// ---- saved focus ---------------------------------------------------------------

void save_focus(HWND dialog, DialogState &d) {
    HWND focus = GetFocus();
    if (focus && IsChild(dialog, focus)) d.saved_focus = focus;
}

// On activation the dialog gives the focus back to the control that had it;
// when it is asked to take the focus itself it falls back on the first tab stop.
void restore_focus(HWND dialog, DialogState &d, bool just_activated) {
    if (IsIconic(dialog) || d.ended) return;
    HWND target = d.saved_focus;
    if (!IsWindow(target) || !IsChild(dialog, target)) {
        if (just_activated) return;
        target = first_dialog_control(dialog);
        if (!target) return;
    }
    d.saved_focus = nullptr;
    SetFocus(target);
}

LRESULT next_control(HWND dialog, WPARAM wp, LPARAM lp) {
    HWND target = LOWORD(lp) ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(dialog, GetFocus(), wp != 0);
    if (target) dialog_focus_control(dialog, target);
    return 0;
}

// The close box posts IDCANCEL, unless a Cancel button is there and disabled.
LRESULT close_dialog(HWND dialog) {
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    if (!cancel || IsWindowEnabled(cancel))
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
    return 0;
}

LRESULT default_dialog_message(HWND hwnd, DialogState &d, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE)
            save_focus(hwnd, d);
        else
            restore_focus(hwnd, d, true);
        return 0;
    case WM_SHOWWINDOW:
        if (!wp) save_focus(hwnd, d);
        return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_SETFOCUS:
        restore_focus(hwnd, d, false);
        return 0;
    case DM_SETDEFID:
        return set_default_id(hwnd, d, wp);
    case DM_GETDEFID:
        return get_default_id(hwnd, d);
    case WM_NEXTDLGCTL:
        return next_control(hwnd, wp, lp);
    case WM_CLOSE:
        return close_dialog(hwnd);
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// Messages whose result a dialog procedure returns itself rather than through
// DWLP_MSGRESULT.
bool returns_directly(UINT msg) {
    return msg == WM_INITDIALOG || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_VKEYTOITEM ||
           msg == WM_CHARTOITEM || msg == WM_QUERYDRAGICON || msg == WM_COMPAREITEM;
}

LRESULT dialog_message(HWND hwnd, DialogState *d, UINT msg, WPARAM wp, LPARAM lp) {
    d->msg_result = 0;
    INT_PTR handled = d->proc ? d->proc(hwnd, msg, wp, lp) : 0;
    d = dialog_state(hwnd);
    if (!d) return handled;
    if (handled) return returns_directly(msg) ? handled : d->msg_result;
    return default_dialog_message(hwnd, *d, msg, wp, lp);
}

}  // namespace

UINT dialog_code(HWND hwnd) { return hwnd ? static_cast<UINT>(SendMessageA(hwnd, WM_GETDLGCODE, 0, 0)) : 0; }

void dialog_focus_control(HWND dialog, HWND control) {
    SetFocus(control);
    move_default_style(dialog, control);
}

}  // namespace w32h

using namespace w32h;

extern "C" {

LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return entry_point<LRESULT>(0, [&]() -> LRESULT {
        window_or_fail(hDlg);
        DialogState *d = dialog_state(hDlg);
        if (!d) return DefWindowProcA(hDlg, Msg, wParam, lParam);
        return dialog_message(hDlg, d, Msg, wParam, lParam);
    });
}

}  // extern "C"
