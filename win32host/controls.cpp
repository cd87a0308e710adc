// controls.cpp - the predefined controls the program's dialogs hold: STATIC
// (text and icon), BUTTON (push, default push, group box, check states) and
// the common control msctls_progress32, each a window procedure with Windows'
// messages, results and notifications; LISTBOX is listbox.cpp. Here too what
// the controls share: their state, notifications, the focus from the mouse.
#include "controls.h"
#include "frontend.h"

#include <commctrl.h>

#include <algorithm>

namespace w32h {
namespace {

// ---- STATIC ----------------------------------------------------------------------

struct StaticState : ControlState {
    HICON icon = nullptr;
};

LRESULT CALLBACK static_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case STM_SETICON: {
        auto *s = control_of<StaticState>(hwnd);
        HICON old = s->icon;
        s->icon = reinterpret_cast<HICON>(wp);
        // An icon static takes the size of its icon, as on Windows.
        if ((style_of(hwnd) & SS_TYPEMASK) == SS_ICON && !(style_of(hwnd) & SS_CENTERIMAGE)) {
            RECT r = find_window(hwnd)->rect;
            MoveWindow(hwnd, r.left, r.top, 32, 32, TRUE);
        }
        frontend().invalidate();
        return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETICON:
        return reinterpret_cast<LRESULT>(control_of<StaticState>(hwnd)->icon);
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// ---- BUTTON ----------------------------------------------------------------------

struct ButtonState : ControlState {
    UINT state = 0;  // the check state (BST_CHECKED, BST_INDETERMINATE), BST_PUSHED, BST_FOCUS
};

constexpr UINT check_mask = BST_CHECKED | BST_INDETERMINATE;

DWORD button_type(HWND hwnd) { return style_of(hwnd) & BS_TYPEMASK; }

LRESULT button_dlg_code(HWND hwnd) {
    switch (button_type(hwnd)) {
    case BS_PUSHBUTTON:
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_DEFPUSHBUTTON:
        return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BS_GROUPBOX:
        return DLGC_STATIC;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return DLGC_BUTTON | DLGC_RADIOBUTTON;
    default:
        return DLGC_BUTTON;
    }
}

bool is_radio_button(HWND hwnd) {
    return button_type(hwnd) == BS_RADIOBUTTON || button_type(hwnd) == BS_AUTORADIOBUTTON;
}

// The highest check state of the button's type: none for push buttons and
// group boxes, indeterminate for three-state boxes.
UINT most_checked(HWND hwnd) {
    DWORD type = button_type(hwnd);
    if (type == BS_3STATE || type == BS_AUTO3STATE) return BST_INDETERMINATE;
    bool checkable = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || is_radio_button(hwnd);
    return checkable ? BST_CHECKED : BST_UNCHECKED;
}

// A radio button is a tab stop while it is checked, so that Tab and the
// dialog's first focus go to the checked button of a group (Wine's
// test_focus, on Windows).
// Limits: checking an auto radio button leaves the others of its group checked.
LRESULT set_check(HWND hwnd, WPARAM wp) {
    UINT check = std::min(static_cast<UINT>(wp), most_checked(hwnd));
    if (is_radio_button(hwnd)) {
        DWORD style = check ? style_of(hwnd) | WS_TABSTOP : style_of(hwnd) & ~WS_TABSTOP;
        SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(style));
    }
    auto *b = control_of<ButtonState>(hwnd);
    b->state = (b->state & ~check_mask) | check;
    frontend().invalidate();
    return 0;
}

void set_pushed(HWND hwnd, bool pushed) {
    auto *b = control_of<ButtonState>(hwnd);
    b->state = pushed ? (b->state | BST_PUSHED) : (b->state & ~BST_PUSHED);
    frontend().invalidate();
}

bool pushed(HWND hwnd) { return control_of<ButtonState>(hwnd)->state & BST_PUSHED; }

void release_and_click(HWND hwnd) {
    if (!pushed(hwnd)) return;
    set_pushed(hwnd, false);
    notify_parent(hwnd, BN_CLICKED);
}

LRESULT set_button_style(HWND hwnd, WPARAM wp) {
    DWORD style = (style_of(hwnd) & ~BS_TYPEMASK) | (static_cast<DWORD>(wp) & BS_TYPEMASK);
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(style));
    return 0;
}

LRESULT CALLBACK button_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    bool groupbox = button_type(hwnd) == BS_GROUPBOX;
    switch (msg) {
    case WM_GETDLGCODE:
        return button_dlg_code(hwnd);
    case BM_SETSTYLE:
        return set_button_style(hwnd, wp);
    case BM_GETCHECK:
        return control_of<ButtonState>(hwnd)->state & check_mask;
    case BM_SETCHECK:
        return set_check(hwnd, wp);
    case BM_GETSTATE:
        return control_of<ButtonState>(hwnd)->state;
    case BM_SETSTATE:
        set_pushed(hwnd, wp != 0);
        return 0;
    case BM_CLICK:
        SendMessageA(hwnd, WM_LBUTTONDOWN, 0, 0);
        SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
        return 0;
    case WM_LBUTTONDOWN:
        if (groupbox || !IsWindowEnabled(hwnd)) return 0;
        take_focus(hwnd);
        set_pushed(hwnd, true);
        return 0;
    case WM_LBUTTONUP:
        release_and_click(hwnd);
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_SPACE && !groupbox) set_pushed(hwnd, true);
        return 0;
    case WM_KEYUP:
        if (wp == VK_SPACE) release_and_click(hwnd);
        return 0;
    case WM_SETFOCUS:
        control_of<ButtonState>(hwnd)->state |= BST_FOCUS;
        frontend().invalidate();
        return 0;
    case WM_KILLFOCUS:
        control_of<ButtonState>(hwnd)->state &= ~(BST_FOCUS | BST_PUSHED);
        frontend().invalidate();
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// ---- msctls_progress32 -------------------------------------------------------------

struct ProgressState : ControlState {
    int low = 0;
    int high = 100;
    int pos = 0;
    int step = 10;
};

ProgressState &pb(HWND hwnd) { return *control_of<ProgressState>(hwnd); }

LRESULT set_range(HWND hwnd, int low, int high) {
    ProgressState &s = pb(hwnd);
    LRESULT old = MAKELRESULT(static_cast<WORD>(s.low), static_cast<WORD>(s.high));
    s.low = low;
    s.high = high;
    s.pos = std::clamp(s.pos, std::min(low, high), std::max(low, high));
    frontend().invalidate();
    return old;
}

// The position always stays within the range, as comctl32 keeps it.
LRESULT set_pos(HWND hwnd, long long pos) {
    ProgressState &s = pb(hwnd);
    int old = s.pos;
    s.pos = static_cast<int>(std::clamp<long long>(pos, std::min(s.low, s.high), std::max(s.low, s.high)));
    if (s.pos != old) frontend().invalidate();
    return old;
}

// Stepping past either end goes on from the other, modulo the range, as
// comctl32 does; an empty range holds the position on its minimum.
LRESULT step_it(HWND hwnd) {
    ProgressState &s = pb(hwnd);
    int old = s.pos;
    long long next = static_cast<long long>(s.pos) + s.step, span = static_cast<long long>(s.high) - s.low;
    if (span == 0) next = s.low;
    if (span != 0 && next > s.high) next = (next - s.low) % span + s.low;
    if (span != 0 && next < s.low) next = (next - s.low) % span + s.high;
    s.pos = static_cast<int>(next);
    if (s.pos != old) frontend().invalidate();
    return old;
}

LRESULT get_range(HWND hwnd, WPARAM wp, LPARAM lp) {
    ProgressState &s = pb(hwnd);
    if (auto *r = reinterpret_cast<PBRANGE *>(lp)) {
        r->iLow = s.low;
        r->iHigh = s.high;
    }
    return wp ? s.low : s.high;
}

// The 32-bit range came with common controls 4.70; older ones leave the
// messages to the default processing, which answers 0.
bool knows_32_bit_range() { return windows_traits().common_controls >= 470; }

LRESULT CALLBACK progress_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if ((msg == PBM_SETRANGE32 || msg == PBM_GETRANGE) && !knows_32_bit_range())
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case PBM_SETRANGE:
        return set_range(hwnd, LOWORD(lp), HIWORD(lp));
    case PBM_SETRANGE32:
        return set_range(hwnd, static_cast<int>(wp), static_cast<int>(lp));
    case PBM_GETRANGE:
        return get_range(hwnd, wp, lp);
    case PBM_SETPOS:
        return set_pos(hwnd, static_cast<int>(wp));
    case PBM_DELTAPOS:
        return set_pos(hwnd, static_cast<long long>(pb(hwnd).pos) + static_cast<int>(wp));
    case PBM_GETPOS:
        return pb(hwnd).pos;
    case PBM_SETSTEP: {
        int old = pb(hwnd).step;
        pb(hwnd).step = static_cast<int>(wp);
        return old;
    }
    case PBM_STEPIT:
        return step_it(hwnd);
    case WM_GETDLGCODE:
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

}  // namespace

DWORD style_of(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

void notify_parent(HWND hwnd, WORD code) {
    HWND parent = GetParent(hwnd);
    if (parent) SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

void take_focus(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    if (parent && dialog_state(parent))
        dialog_focus_control(parent, hwnd);
    else
        SetFocus(hwnd);
}

WindowClass system_class(const char *name, WNDPROC proc, ATOM atom) {
    WindowClass cls;
    cls.name = name;
    cls.proc = proc;
    cls.atom = atom;
    return cls;
}

bool has_class(HWND hwnd, WNDPROC proc) {
    Window *w = find_window(hwnd);
    return w && w->cls && w->cls->proc == proc;
}

void register_control_classes() {
    register_system_class(system_class("Button", button_proc, 0x0080));
    register_system_class(system_class("Static", static_proc, 0x0082));
    register_system_class(system_class("ListBox", listbox_proc, 0x0083));
}

void register_common_control_classes() { register_system_class(system_class(PROGRESS_CLASSA, progress_proc, 0)); }

std::optional<std::pair<int, int>> progress_state(HWND hwnd) {
    if (!has_class(hwnd, progress_proc)) return std::nullopt;
    return std::make_pair(pb(hwnd).pos, pb(hwnd).high);
}

std::optional<std::pair<int, int>> progress_range(HWND hwnd) {
    if (!has_class(hwnd, progress_proc)) return std::nullopt;
    return std::make_pair(pb(hwnd).low, pb(hwnd).high);
}

std::optional<WORD> static_icon_id(HWND hwnd) {
    if (!has_class(hwnd, static_proc)) return std::nullopt;
    return icon_resource_id(control_of<StaticState>(hwnd)->icon);
}

}  // namespace w32h
