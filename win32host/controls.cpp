// controls.cpp - the predefined controls the program's dialogs hold: STATIC
// (text and icon), BUTTON (push, default push, group box, check states),
// LISTBOX (with LBS_SORT and LBS_NOTIFY) and the common control
// msctls_progress32, each a window procedure with Windows' messages, results
// and notifications.
#include "frontend.h"
#include "window_model.h"

#include <commctrl.h>
#include <strings.h>

#include <algorithm>
#include <cstring>

namespace w32h {
namespace {

constexpr int item_height = 13;  // a list box line in the dialog font

template <class T>
T *control_of(HWND hwnd) {
    Window *w = find_window(hwnd);
    if (!w) return nullptr;
    if (!w->control) w->control = std::make_unique<T>();
    return dynamic_cast<T *>(w->control.get());
}

DWORD style_of(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

void notify_parent(HWND hwnd, WORD code) {
    HWND parent = GetParent(hwnd);
    if (parent) SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

// A control that takes the focus from the mouse goes through the dialog
// manager, so that the default button follows it as it does on Windows.
void take_focus(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    if (parent && dialog_state(parent))
        dialog_focus_control(parent, hwnd);
    else
        SetFocus(hwnd);
}

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

bool is_radio_button(HWND hwnd) { return button_type(hwnd) == BS_RADIOBUTTON || button_type(hwnd) == BS_AUTORADIOBUTTON; }

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

// ---- LISTBOX ---------------------------------------------------------------------

struct ListBoxItem {
    std::string text;
    LPARAM data = 0;
};

struct ListBoxState : ControlState {
    std::vector<ListBoxItem> items;
    int selected = LB_ERR;
    int caret = 0;  // the item with the focus rectangle
    int top = 0;
};

ListBoxState &lb(HWND hwnd) { return *control_of<ListBoxState>(hwnd); }

int visible_rows(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    return std::max<int>(1, (r.bottom - r.top) / item_height);
}

int count(HWND hwnd) { return static_cast<int>(lb(hwnd).items.size()); }

void ensure_visible(HWND hwnd, int index) {
    ListBoxState &s = lb(hwnd);
    int rows = visible_rows(hwnd);
    if (index < s.top) s.top = index;
    if (index >= s.top + rows) s.top = index - rows + 1;
    s.top = std::max(0, s.top);
}

// Windows sorts list boxes with the user's collation, as lstrcmpi does; an
// entry goes after those that compare equal to it.
int sorted_position(HWND hwnd, const char *text) {
    const auto &items = lb(hwnd).items;
    auto it = std::upper_bound(items.begin(), items.end(), text, [](const char *t, const ListBoxItem &item) {
        return lstrcmpiA(t, item.text.c_str()) < 0;
    });
    return static_cast<int>(it - items.begin());
}

LRESULT insert_item(HWND hwnd, int index, LPARAM text) {
    const char *t = reinterpret_cast<const char *>(text);
    ListBoxState &s = lb(hwnd);
    if (index < 0 || index > count(hwnd)) index = count(hwnd);
    s.items.insert(s.items.begin() + index, ListBoxItem{t ? t : "", 0});
    if (s.selected >= index) ++s.selected;
    frontend().invalidate();
    return index;
}

LRESULT add_string(HWND hwnd, LPARAM text) {
    int index = (style_of(hwnd) & LBS_SORT) ? sorted_position(hwnd, reinterpret_cast<const char *>(text)) : count(hwnd);
    return insert_item(hwnd, index, text);
}

LRESULT delete_item(HWND hwnd, WPARAM wp) {
    ListBoxState &s = lb(hwnd);
    int index = static_cast<int>(wp);
    if (index < 0 || index >= count(hwnd)) return LB_ERR;
    s.items.erase(s.items.begin() + index);
    if (s.selected == index) s.selected = LB_ERR;
    if (s.selected > index) --s.selected;
    frontend().invalidate();
    return count(hwnd);
}

bool select_item(HWND hwnd, int index) {
    ListBoxState &s = lb(hwnd);
    bool changed = s.selected != index;
    s.selected = index;
    if (index >= 0) {
        s.caret = index;
        ensure_visible(hwnd, index);
    }
    frontend().invalidate();
    return changed;
}

LRESULT set_cur_sel(HWND hwnd, WPARAM wp) {
    int index = static_cast<int>(static_cast<INT_PTR>(wp));
    if (index < -1 || index >= count(hwnd)) return LB_ERR;
    select_item(hwnd, index);
    return index == -1 ? LB_ERR : index;  // -1 clears the selection and still answers LB_ERR
}

LRESULT get_text(HWND hwnd, WPARAM wp, LPARAM lp) {
    int index = static_cast<int>(wp);
    if (index < 0 || index >= count(hwnd) || !lp) return LB_ERR;
    const std::string &t = lb(hwnd).items[static_cast<size_t>(index)].text;
    std::memcpy(reinterpret_cast<char *>(lp), t.c_str(), t.size() + 1);  // unbounded, as on Windows
    return static_cast<LRESULT>(t.size());
}

LRESULT get_text_len(HWND hwnd, WPARAM wp) {
    int index = static_cast<int>(wp);
    if (index < 0 || index >= count(hwnd)) return LB_ERR;
    return static_cast<LRESULT>(lb(hwnd).items[static_cast<size_t>(index)].text.size());
}

// Windows compares the entry's first characters with the user's collation,
// case ignored, as lstrcmpi does: "ABC\xED" (í) begins "abc\xCDzz" (Í).
bool prefix_of(const std::string &item, const char *prefix) {
    size_t n = std::strlen(prefix);
    return item.size() >= n && lstrcmpiA(item.substr(0, n).c_str(), prefix) == 0;
}

LRESULT find_string(HWND hwnd, WPARAM wp, LPARAM lp, bool exact) {
    const char *t = reinterpret_cast<const char *>(lp);
    int n = count(hwnd);
    if (!t || n == 0) return LB_ERR;
    int start = static_cast<int>(static_cast<INT_PTR>(wp));
    if (start < -1 || start >= n) start = -1;
    for (int step = 1; step <= n; ++step) {
        int i = (start + step) % n;
        const std::string &item = lb(hwnd).items[static_cast<size_t>(i)].text;
        if (exact ? lstrcmpiA(item.c_str(), t) == 0 : prefix_of(item, t)) return i;
    }
    return LB_ERR;
}

// A selection made by the user is announced with LBN_SELCHANGE when the list
// box has LBS_NOTIFY; one made by a message is not.
void user_select_item(HWND hwnd, int index) {
    if (index < 0 || index >= count(hwnd)) return;
    if (select_item(hwnd, index) && (style_of(hwnd) & LBS_NOTIFY)) notify_parent(hwnd, LBN_SELCHANGE);
}

void key_down(HWND hwnd, WPARAM key) {
    int n = count(hwnd);
    if (n == 0) return;
    int caret = lb(hwnd).caret, page = visible_rows(hwnd);
    int target = caret;
    if (key == VK_UP) target = caret - 1;
    if (key == VK_DOWN) target = caret + 1;  // from the focus rectangle, which starts on the first entry
    if (key == VK_HOME) target = 0;
    if (key == VK_END) target = n - 1;
    if (key == VK_PRIOR) target = caret - page + 1;
    if (key == VK_NEXT) target = caret + page - 1;
    if (key != VK_UP && key != VK_DOWN && key != VK_HOME && key != VK_END && key != VK_PRIOR && key != VK_NEXT) return;
    user_select_item(hwnd, std::clamp(target, 0, n - 1));
}

void type_ahead(HWND hwnd, WPARAM ch) {
    char prefix[2] = {static_cast<char>(ch), '\0'};
    LRESULT found = find_string(hwnd, static_cast<WPARAM>(lb(hwnd).caret), reinterpret_cast<LPARAM>(prefix), false);
    if (found != LB_ERR) user_select_item(hwnd, static_cast<int>(found));
}

LRESULT list_item_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    int index = static_cast<int>(wp);
    bool valid = index >= 0 && index < count(hwnd);
    switch (msg) {
    case LB_GETITEMDATA:
        return valid ? lb(hwnd).items[static_cast<size_t>(index)].data : LB_ERR;
    case LB_SETITEMDATA:
        if (!valid) return LB_ERR;
        lb(hwnd).items[static_cast<size_t>(index)].data = lp;
        return TRUE;
    case LB_GETSEL:
        return valid ? lb(hwnd).selected == index : LB_ERR;
    default:  // LB_SETSEL: Limits: single-selection list boxes only.
        return LB_ERR;
    }
}

LRESULT CALLBACK listbox_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        if (!(style_of(hwnd) & LBS_NOINTEGRALHEIGHT)) {  // Windows trims the height to whole lines
            Window *w = find_window(hwnd);
            RECT r = w->rect, in = nonclient_insets(w->style, w->ex_style);
            int client = r.bottom - r.top - in.top - in.bottom;
            find_window(hwnd)->rect.bottom -= client % item_height;
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case LB_ADDSTRING:
        return add_string(hwnd, lp);
    case LB_INSERTSTRING:
        return insert_item(hwnd, static_cast<int>(static_cast<INT_PTR>(wp)), lp);
    case LB_DELETESTRING:
        return delete_item(hwnd, wp);
    case LB_RESETCONTENT:
        lb(hwnd) = ListBoxState{};
        frontend().invalidate();
        return 0;
    case LB_GETCOUNT:
        return count(hwnd);
    case LB_SETCURSEL:
        return set_cur_sel(hwnd, wp);
    case LB_GETCURSEL:
        return lb(hwnd).selected;
    case LB_GETTEXT:
        return get_text(hwnd, wp, lp);
    case LB_GETTEXTLEN:
        return get_text_len(hwnd, wp);
    case LB_FINDSTRING:
        return find_string(hwnd, wp, lp, false);
    case LB_FINDSTRINGEXACT:
        return find_string(hwnd, wp, lp, true);
    case LB_SELECTSTRING: {
        LRESULT found = find_string(hwnd, wp, lp, false);
        if (found != LB_ERR) select_item(hwnd, static_cast<int>(found));
        return found;
    }
    case LB_GETTOPINDEX:
        return lb(hwnd).top;
    case LB_SETTOPINDEX:
        if (static_cast<int>(wp) >= count(hwnd)) return LB_ERR;
        lb(hwnd).top = static_cast<int>(wp);
        frontend().invalidate();
        return 0;
    case LB_GETITEMDATA:
    case LB_SETITEMDATA:
    case LB_GETSEL:
    case LB_SETSEL:
        return list_item_message(hwnd, msg, wp, lp);
    case WM_LBUTTONDOWN:
        take_focus(hwnd);  // Limits: a click selects no entry; entries are picked by WM_HOST_PICKITEM
        return 0;
    case WM_HOST_PICKITEM:
        take_focus(hwnd);
        user_select_item(hwnd, static_cast<int>(wp));
        return 0;
    case WM_KEYDOWN:
        key_down(hwnd, wp);
        return 0;
    case WM_CHAR:
        if (wp > ' ') type_ahead(hwnd, wp);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        frontend().invalidate();
        if (style_of(hwnd) & LBS_NOTIFY) notify_parent(hwnd, msg == WM_SETFOCUS ? LBN_SETFOCUS : LBN_KILLFOCUS);
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
    if ((msg == PBM_SETRANGE32 || msg == PBM_GETRANGE) && !knows_32_bit_range()) return DefWindowProcA(hwnd, msg, wp, lp);
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

}  // namespace

void register_control_classes() {
    register_system_class(system_class("Button", button_proc, 0x0080));
    register_system_class(system_class("Static", static_proc, 0x0082));
    register_system_class(system_class("ListBox", listbox_proc, 0x0083));
}

void register_common_control_classes() { register_system_class(system_class(PROGRESS_CLASSA, progress_proc, 0)); }

std::optional<std::vector<std::string>> listbox_items(HWND hwnd) {
    if (!has_class(hwnd, listbox_proc)) return std::nullopt;
    std::vector<std::string> out;
    for (const auto &item : lb(hwnd).items) out.push_back(item.text);
    return out;
}

int listbox_selection(HWND hwnd) { return has_class(hwnd, listbox_proc) ? lb(hwnd).selected : LB_ERR; }

int listbox_top_index(HWND hwnd) { return has_class(hwnd, listbox_proc) ? lb(hwnd).top : 0; }

int listbox_caret(HWND hwnd) { return has_class(hwnd, listbox_proc) ? lb(hwnd).caret : 0; }

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
