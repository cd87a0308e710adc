// dialogs.cpp - dialogs built from binary templates: the template reader,
// creation of the dialog and its controls in dialog units, WM_INITDIALOG and
// its focus rule, the modal loop that shows the dialog when it first goes
// idle, the default dialog procedure and the dialog manager's keyboard.
#include "api.h"
#include "binary_reader.h"
#include "dialog_template.h"
#include "frontend.h"

#include <algorithm>
#include <cstring>

namespace w32h {
namespace {

// ---- template reader -----------------------------------------------------------

using Reader = LittleEndianReader;

// A name or an ordinal: 0 (none), 0xFFFF followed by a number, or a string.
void name_or_ordinal(Reader &r, std::string &text, std::optional<WORD> &ordinal) {
    WORD first = r.word();
    if (first == 0xFFFF) {
        ordinal = r.word();
        return;
    }
    if (first == 0) return;
    std::u16string s(1, static_cast<char16_t>(first));
    s += r.wide_string();
    text = utf16_to_cp1252(s.data(), s.size());
}

const char *predefined_class(WORD atom) {
    switch (atom) {
    case 0x0080:
        return "Button";
    case 0x0081:
        return "Edit";
    case 0x0082:
        return "Static";
    case 0x0083:
        return "ListBox";
    case 0x0084:
        return "ScrollBar";
    case 0x0085:
        return "ComboBox";
    default:
        return nullptr;
    }
}

bool read_item(Reader &r, bool extended, DialogItemLayout &item) {
    r.align(4);
    if (extended) {
        r.dword();  // help id
        item.ex_style = r.dword();
        item.style = r.dword();
    } else {
        item.style = r.dword();
        item.ex_style = r.dword();
    }
    item.x = r.sword();
    item.y = r.sword();
    item.cx = r.sword();
    item.cy = r.sword();
    item.id = extended ? static_cast<INT_PTR>(static_cast<LONG>(r.dword())) : r.word();
    std::optional<WORD> atom;
    name_or_ordinal(r, item.class_name, atom);
    if (atom) {
        const char *name = predefined_class(*atom);
        item.class_name = name ? name : "#" + std::to_string(*atom);
    }
    name_or_ordinal(r, item.text, item.text_ordinal);
    // Windows hands a control its creation data from the size word on.
    WORD extra = r.word();
    if (extra) {
        item.creation_data = {LOBYTE(extra), HIBYTE(extra)};
        std::vector<BYTE> data = r.bytes(extra);
        item.creation_data.insert(item.creation_data.end(), data.begin(), data.end());
    }
    return r.ok();
}

// ---- creation ------------------------------------------------------------------

void base_units(const DialogLayout &layout, int &x, int &y) {
    x = 8;  // the system font, without DS_SETFONT
    y = 16;
    if (!(layout.style & DS_SETFONT)) return;
    // "MS Sans Serif" and "MS Shell Dlg" at 8 points give Windows' classic
    // 6 x 13; other sizes scale with the point size.
    x = std::max(1, (layout.point_size * 6 + 4) / 8);
    y = std::max(1, (layout.point_size * 13 + 4) / 8);
}

RECT item_rect(const DialogItemLayout &item, int bx, int by) {
    int x = MulDiv(item.x, bx, 4), y = MulDiv(item.y, by, 8);
    return RECT{x, y, x + MulDiv(item.cx, bx, 4), y + MulDiv(item.cy, by, 8)};
}

POINT initial_position(const DialogLayout &layout, HWND owner, int bx, int by, SIZE_T width, SIZE_T height) {
    const Config &cfg = config();
    LONG x = MulDiv(layout.x, bx, 4), y = MulDiv(layout.y, by, 8);
    if (layout.style & DS_CENTER) {
        x = (cfg.screen_width - static_cast<LONG>(width)) / 2;
        y = (cfg.screen_height - static_cast<LONG>(height)) / 2;
    } else if (owner && !(layout.style & DS_ABSALIGN) && !IsIconic(owner)) {
        if (Window *o = find_window(owner)) {
            RECT c = client_rect_in_screen(*o);
            x += c.left;
            y += c.top;
        }
    }
    // Like Windows, keep a new dialog on the screen.
    x = std::max<LONG>(0, std::min<LONG>(x, cfg.screen_width - static_cast<LONG>(width)));
    y = std::max<LONG>(0, std::min<LONG>(y, cfg.screen_height - static_cast<LONG>(height)));
    return POINT{x, y};
}

HWND create_dialog_window(const ModalRequest &r, int bx, int by) {
    const DialogLayout &layout = *r.layout;
    DWORD ex = layout.ex_style | ((layout.style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
    RECT in = nonclient_insets(layout.style, ex);
    // Sizes in pixels of at most 32767 dialog units: the int sums cannot overflow.
    // NOLINTBEGIN(bugprone-misplaced-widening-cast)
    SIZE_T width = static_cast<SIZE_T>(MulDiv(layout.cx, bx, 4) + in.left + in.right);
    SIZE_T height = static_cast<SIZE_T>(MulDiv(layout.cy, by, 8) + in.top + in.bottom);
    // NOLINTEND(bugprone-misplaced-widening-cast)
    POINT pos = initial_position(layout, r.owner, bx, by, width, height);
    const char *cls = layout.class_name.empty() ? "#32770" : layout.class_name.c_str();
    return CreateWindowExA(ex, cls, layout.title.c_str(), layout.style & ~WS_VISIBLE, pos.x, pos.y,
                           static_cast<int>(width), static_cast<int>(height), r.owner, nullptr, r.instance, nullptr);
}

void attach_state(HWND hwnd, const ModalRequest &r, int bx, int by) {
    auto d = std::make_unique<DialogState>();
    d->proc = r.proc;
    d->template_id = r.template_id;
    d->template_name = r.template_name;
    d->base_x = bx;
    d->base_y = by;
    d->message_box = r.message_box;
    d->box_type = r.box_type;
    find_window(hwnd)->dialog = std::move(d);
}

// A dialog's control is always a child, and its border is drawn as a client
// edge, whatever the template says.
void fix_control_styles(DWORD &style, DWORD &ex_style) {
    style = (style & ~WS_POPUP) | WS_CHILD;
    if (style & WS_BORDER) {
        style &= ~WS_BORDER;
        ex_style |= WS_EX_CLIENTEDGE;
    }
    ex_style |= WS_EX_NOPARENTNOTIFY;
}

bool create_control(HWND dialog, const ModalRequest &r, const DialogItemLayout &item) {
    DialogState *d = dialog_state(dialog);
    RECT rc = item_rect(item, d->base_x, d->base_y);
    const char *text = item.text_ordinal ? "" : item.text.c_str();
    LPVOID data = item.creation_data.empty() ? nullptr : const_cast<BYTE *>(item.creation_data.data());
    DWORD style = item.style, ex_style = item.ex_style;
    fix_control_styles(style, ex_style);
    HWND ctl = CreateWindowExA(ex_style, item.class_name.c_str(), text, style, rc.left, rc.top, rc.right - rc.left,
                               rc.bottom - rc.top, dialog, reinterpret_cast<HMENU>(item.id), r.instance, data);
    if (!ctl) return false;
    if (item.text_ordinal && (item.style & SS_TYPEMASK) == SS_ICON)
        SendMessageA(ctl, STM_SETICON,
                     reinterpret_cast<WPARAM>(LoadIconA(r.instance, MAKEINTRESOURCEA(*item.text_ordinal))), 0);
    if (SendMessageA(ctl, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
        if (DialogState *ds = dialog_state(dialog)) ds->default_id = static_cast<WORD>(item.id);
    return true;
}

HWND create_dialog(const ModalRequest &r) {
    int bx, by;
    base_units(*r.layout, bx, by);
    HWND hwnd = create_dialog_window(r, bx, by);
    if (!hwnd) return nullptr;
    attach_state(hwnd, r, bx, by);
    for (const DialogItemLayout &item : r.layout->items) {
        if (create_control(hwnd, r, item) || (r.layout->style & DS_NOFAILCREATE)) continue;
        DestroyWindow(hwnd);
        return nullptr;
    }
    return hwnd;
}

// After WM_INITDIALOG returns TRUE the dialog manager focuses the first tab
// stop, found again since the dialog procedure may have changed the order.
void initialise(HWND hwnd, LPARAM param) {
    HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    if (!SendMessageA(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) || !IsWindow(hwnd)) return;
    DialogState *d = dialog_state(hwnd);
    if (!d || d->ended) return;
    first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    if (!first) first = GetNextDlgGroupItem(hwnd, nullptr, FALSE);
    if (first) SetFocus(first);
}

void show_first_time(HWND hwnd) {
    DialogState *d = dialog_state(hwnd);
    d->shown = true;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    if (!d->message_box) transcript_dialog_shown(hwnd);
}

// Windows shows a modal dialog the first time its queue is empty, or right
// after the first WM_TIMER it dispatches, whichever comes first: messages
// posted during WM_INITDIALOG are handled while it is still hidden.
void modal_loop(HWND hwnd) {
    MSG msg;
    for (;;) {
        DialogState *d = dialog_state(hwnd);
        if (!d || d->ended) return;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!d->shown) {
                show_first_time(hwnd);
                continue;
            }
            if (!GetMessageA(&msg, nullptr, 0, 0)) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
        } else if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!IsWindow(hwnd) || !IsDialogMessageA(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        d = dialog_state(hwnd);
        if (d && !d->ended && !d->shown && msg.message == WM_TIMER) show_first_time(hwnd);
    }
}

// ---- default-button tracking ---------------------------------------------------

UINT dlg_code(HWND hwnd) { return hwnd ? static_cast<UINT>(SendMessageA(hwnd, WM_GETDLGCODE, 0, 0)) : 0; }

HWND find_styled_default(HWND dialog) {
    Window *w = find_window(dialog);
    if (!w) return nullptr;
    for (HWND child : w->children)
        if (dlg_code(child) & DLGC_DEFPUSHBUTTON) return child;
    return nullptr;
}

// When the focus moves to a push button it takes the default style; when it
// moves to any other control the dialog's own default button gets it back.
void move_default_style(HWND dialog, HWND focus) {
    DialogState *d = dialog_state(dialog);
    HWND target = focus;
    UINT code = dlg_code(target);
    if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        target = d && d->default_id ? GetDlgItem(dialog, d->default_id) : nullptr;
        code = dlg_code(target);
    }
    HWND old = find_styled_default(dialog);
    if (old && old != target) SendMessageA(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    if (target && (code & DLGC_UNDEFPUSHBUTTON)) SendMessageA(target, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

LRESULT set_default_id(HWND dialog, DialogState &d, WPARAM id) {
    if (d.ended) return FALSE;
    HWND old = find_styled_default(dialog);
    HWND target = GetDlgItem(dialog, static_cast<int>(id));
    if (old && old != target) SendMessageA(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    if (target && (dlg_code(target) & DLGC_UNDEFPUSHBUTTON)) SendMessageA(target, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
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
        target = GetNextDlgTabItem(dialog, nullptr, FALSE);
        if (!target) target = GetNextDlgGroupItem(dialog, nullptr, FALSE);
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
    case WM_CLOSE: {
        HWND cancel = GetDlgItem(hwnd, IDCANCEL);
        if (!cancel || IsWindowEnabled(cancel))
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// Messages whose result a dialog procedure returns itself rather than through
// DWLP_MSGRESULT: WM_INITDIALOG, the colour messages, WM_VKEYTOITEM,
// WM_CHARTOITEM, WM_QUERYDRAGICON and WM_COMPAREITEM.
bool returns_directly(UINT msg) {
    return msg == WM_INITDIALOG || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == 0x002E ||
           msg == 0x002F || msg == 0x0037 || msg == 0x0039;
}

// ---- tab and group order -------------------------------------------------------

bool reachable(HWND hwnd) {
    Window *w = find_window(hwnd);
    return w && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED);
}

bool tab_stop(HWND hwnd) { return reachable(hwnd) && (find_window(hwnd)->style & WS_TABSTOP); }

bool group_start(HWND hwnd) { return (find_window(hwnd)->style & WS_GROUP) != 0; }

// The controls of ctl's group in a walk from ctl, ctl excluded, backwards or
// forwards. A group runs from a WS_GROUP control to the next one; the
// controls before the first WS_GROUP belong to the last group, as Windows
// wraps round the list of controls.
std::vector<HWND> group_walk(const std::vector<HWND> &kids, size_t at, bool backwards) {
    size_t n = kids.size(), start = at;
    for (size_t step = 0; step < n && !group_start(kids[start]); ++step) start = (start + n - 1) % n;
    std::vector<HWND> group{kids[start]};
    // n > 0, as at indexes kids; the analyser loses that on the way round.
    // NOLINTNEXTLINE(clang-analyzer-core.DivideZero)
    for (size_t i = (start + 1) % n; i != start && !group_start(kids[i]); i = (i + 1) % n) group.push_back(kids[i]);
    auto it = std::find(group.begin(), group.end(), kids[at]);
    std::vector<HWND> walk;
    size_t m = group.size(), pos = static_cast<size_t>(it - group.begin());
    for (size_t step = 1; step < m; ++step) walk.push_back(group[backwards ? (pos + m - step) % m : (pos + step) % m]);
    return walk;
}

// The other children in a walk from the one at index at, wrapping round.
std::vector<HWND> sibling_walk(const std::vector<HWND> &kids, size_t at, bool backwards) {
    size_t n = kids.size();
    std::vector<HWND> walk;
    for (size_t step = 1; step < n; ++step) walk.push_back(kids[backwards ? (at + n - step) % n : (at + step) % n]);
    return walk;
}

// ---- keyboard ----------------------------------------------------------------------

void press_enter(HWND dialog) {
    HWND focus = GetFocus();
    if (IsChild(dialog, focus) && (dlg_code(focus) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
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

bool handle_key(HWND dialog, const MSG &msg, UINT code) {
    switch (msg.wParam) {
    case VK_TAB:
        if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
        SendMessageA(dialog, WM_NEXTDLGCTL, shift_down(), 0);
        return true;
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

}  // namespace

std::optional<DialogLayout> parse_dialog_template(const BYTE *data, size_t size) {
    if (!data) return std::nullopt;
    Reader r(data, size);
    DialogLayout layout;
    DWORD first = r.dword();
    bool extended = first == 0xFFFF0001;
    if (extended) {
        r.dword();  // help id
        layout.ex_style = r.dword();
        layout.style = r.dword();
    } else {
        layout.style = first;
        layout.ex_style = r.dword();
    }
    WORD count = r.word();
    layout.x = r.sword();
    layout.y = r.sword();
    layout.cx = r.sword();
    layout.cy = r.sword();
    std::string menu;
    std::optional<WORD> ordinal;
    name_or_ordinal(r, menu, ordinal);
    ordinal.reset();
    name_or_ordinal(r, layout.class_name, ordinal);
    if (ordinal) layout.class_name = "#" + std::to_string(*ordinal);
    std::u16string title = r.wide_string();
    layout.title = utf16_to_cp1252(title.data(), title.size());
    if (layout.style & DS_SETFONT) {
        layout.point_size = r.word();
        if (extended) {
            r.word();  // weight
            r.word();  // italic and character set, a byte each
        }
        std::u16string font = r.wide_string();
        layout.font = utf16_to_cp1252(font.data(), font.size());
    }
    // Items are kept as they are read: the count alone must not make a short
    // template cost the memory of 65535 items.
    for (WORD i = 0; i < count; ++i) {
        DialogItemLayout item;
        if (!read_item(r, extended, item)) return std::nullopt;
        layout.items.push_back(std::move(item));
    }
    if (!r.ok()) return std::nullopt;
    return layout;
}

INT_PTR run_modal_dialog(const ModalRequest &request) {
    ModalRequest r = request;
    if (r.owner == GetDesktopWindow()) r.owner = nullptr;  // the desktop owns nothing and is never disabled
    if (r.owner) {
        Window *o = find_window(r.owner);
        while (o && (o->style & WS_CHILD) && find_window(o->parent)) o = find_window(o->parent);
        r.owner = o ? o->handle : nullptr;
    }
    HWND hwnd = create_dialog(r);
    if (!hwnd) return -1;
    bool disabled_owner = r.owner && IsWindowEnabled(r.owner);
    if (disabled_owner) EnableWindow(r.owner, FALSE);
    push_modal(hwnd);
    initialise(hwnd, r.param);
    // A dialog destroyed before its loop runs has no result: -1, as Windows.
    bool destroyed_early = !IsWindow(hwnd);
    if (!destroyed_early) modal_loop(hwnd);
    DialogState *d = dialog_state(hwnd);
    INT_PTR result = d ? d->result : 0;
    if (d && !d->message_box) transcript_dialog_ended(hwnd, result);
    pop_modal(hwnd);
    if (disabled_owner && IsWindow(r.owner)) EnableWindow(r.owner, TRUE);
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    if (destroyed_early) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    return result;
}

DialogState *dialog_state(HWND hwnd) {
    Window *w = find_window(hwnd);
    return w ? w->dialog.get() : nullptr;
}

std::string window_label(HWND hwnd) {
    if (!hwnd) return "none";
    if (hwnd == main_window()) return "main";
    DialogState *d = dialog_state(hwnd);
    if (!d) return "window";
    if (d->message_box) return "messagebox";
    if (d->template_id) return "dialog " + std::to_string(*d->template_id);
    return "dialog " + d->template_name;
}

void dialog_focus_control(HWND dialog, HWND control) {
    SetFocus(control);
    move_default_style(dialog, control);
}

// The modal dialog of a template; name is the resource's name or number, or
// null for a template in memory.
static INT_PTR run_template(HINSTANCE instance, const DialogLayout &layout, HWND owner, DLGPROC proc, LPARAM param,
                            LPCSTR name) {
    ModalRequest r;
    r.instance = instance;
    r.layout = &layout;
    r.owner = owner;
    r.proc = proc;
    r.param = param;
    if (name && IS_INTRESOURCE(name)) r.template_id = LOWORD(name);
    if (name && !IS_INTRESOURCE(name)) r.template_name = name;
    return run_modal_dialog(r);
}

namespace {

// The modal dialog of a template in the program's resources.
INT_PTR run_resource_template(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
    HRSRC res = FindResourceA(instance, name, RT_DIALOG);
    if (!res) return -1;
    const auto *data = static_cast<const BYTE *>(LockResource(LoadResource(instance, res)));
    auto layout = parse_dialog_template(data, SizeofResource(instance, res));
    if (!layout) fail_with(ERROR_RESOURCE_DATA_NOT_FOUND);
    return run_template(instance, *layout, owner, proc, param, name);
}

void end_dialog(HWND hwnd, DialogState &d, INT_PTR result) {
    d.result = result;
    d.ended = true;
    HWND owner = GetWindow(hwnd, GW_OWNER);
    if (owner) EnableWindow(owner, TRUE);
    if (IsChild(hwnd, GetFocus())) SetFocus(hwnd);
    ShowWindow(hwnd, SW_HIDE);
    // Wakes the modal loop, which then sees the dialog ended.
    PostMessageA(hwnd, WM_NULL, 0, 0);
}

LRESULT dialog_message(HWND hwnd, DialogState *d, UINT msg, WPARAM wp, LPARAM lp) {
    d->msg_result = 0;
    INT_PTR handled = d->proc ? d->proc(hwnd, msg, wp, lp) : 0;
    d = dialog_state(hwnd);
    if (!d) return handled;
    if (handled) return returns_directly(msg) ? handled : d->msg_result;
    return default_dialog_message(hwnd, *d, msg, wp, lp);
}

BOOL dialog_message_of(HWND dialog, MSG &msg) {
    if (msg.hwnd != dialog && !IsChild(dialog, msg.hwnd)) return FALSE;
    UINT code = static_cast<UINT>(SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
    if (!(code & DLGC_WANTMESSAGE) && msg.message == WM_KEYDOWN && handle_key(dialog, msg, code)) return TRUE;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return TRUE;
}

HWND dialog_item(const Window &dialog, int id) {
    for (HWND child : dialog.children)
        if (Window *c = find_window(child); c && static_cast<WORD>(c->id) == static_cast<WORD>(id)) return child;
    fail_with(ERROR_CONTROL_ID_NOT_FOUND);
}

// Windows takes the dialog itself for no control; from no control a
// backward walk finds nothing, a forward one the first control that fits.
// Limits: controls inside WS_EX_CONTROLPARENT children are not walked into.
HWND next_tab_item(const Window &d, HWND ctl, BOOL previous) {
    if (ctl == d.handle) ctl = nullptr;
    if (!ctl && previous) return nullptr;
    const auto &kids = d.children;
    if (!ctl) {
        for (HWND h : kids)
            if (tab_stop(h)) return h;
        return nullptr;
    }
    auto it = std::find(kids.begin(), kids.end(), ctl);
    if (it == kids.end()) {  // not one of the dialog's controls: a walk over all of them
        for (size_t i = 0; i < kids.size(); ++i)
            if (HWND h = kids[previous ? kids.size() - 1 - i : i]; tab_stop(h)) return h;
        return ctl;
    }
    for (HWND h : sibling_walk(kids, static_cast<size_t>(it - kids.begin()), previous))
        if (tab_stop(h)) return h;
    return ctl;
}

// The next (or previous) visible, enabled control of ctl's group, else ctl.
HWND next_group_item(const Window &d, HWND ctl, BOOL previous) {
    if (ctl == d.handle) ctl = nullptr;
    if (!ctl && previous) return nullptr;
    const auto &kids = d.children;
    if (kids.empty()) return nullptr;
    if (!ctl) {
        if (reachable(kids.front())) return kids.front();
        ctl = kids.front();
    }
    auto it = std::find(kids.begin(), kids.end(), ctl);
    if (it == kids.end()) return nullptr;
    for (HWND h : group_walk(kids, static_cast<size_t>(it - kids.begin()), previous))
        if (reachable(h)) return h;
    return ctl;
}

void map_dialog_rect(const DialogState &d, RECT &rect) {
    rect.left = MulDiv(rect.left, d.base_x, 4);
    rect.right = MulDiv(rect.right, d.base_x, 4);
    rect.top = MulDiv(rect.top, d.base_y, 8);
    rect.bottom = MulDiv(rect.bottom, d.base_y, 8);
}

}  // namespace

void register_dialog_class() {
    WindowClass cls;
    cls.name = "#32770";
    cls.proc = DefDlgProcA;
    cls.window_extra = DLGWINDOWEXTRA;
    cls.atom = 0x8002;
    register_system_class(cls);
}

}  // namespace w32h

using namespace w32h;

extern "C" {

// Limits: the template's size is not known here; it is read up to 64 KiB.
INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return entry_point<INT_PTR>(-1, [&]() -> INT_PTR {
        if (injected_failure("DialogBoxIndirectParamA", ERROR_NOT_ENOUGH_MEMORY)) return -1;
        auto layout = parse_dialog_template(reinterpret_cast<const BYTE *>(hDialogTemplate), 0x10000);
        if (!layout) fail_with(ERROR_INVALID_PARAMETER);
        return run_template(hInstance, *layout, hWndParent, lpDialogFunc, dwInitParam, nullptr);
    });
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
    return entry_point<INT_PTR>(-1, [&]() -> INT_PTR {
        if (injected_failure("DialogBoxParamA", ERROR_NOT_ENOUGH_MEMORY)) return -1;
        if (hWndParent && !find_window(hWndParent)) {  // Windows fails this one with 0, not -1
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        return run_resource_template(hInstance, lpTemplateName, hWndParent, lpDialogFunc, dwInitParam);
    });
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    return entry_point(FALSE, [&]() -> BOOL {
        DialogState *d = dialog_state(hDlg);
        if (!d) fail_with(find_window(hDlg) ? ERROR_WINDOW_NOT_DIALOG : ERROR_INVALID_WINDOW_HANDLE);
        end_dialog(hDlg, *d, nResult);
        return TRUE;
    });
}

LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return entry_point<LRESULT>(0, [&]() -> LRESULT {
        window_or_fail(hDlg);
        DialogState *d = dialog_state(hDlg);
        if (!d) return DefWindowProcA(hDlg, Msg, wParam, lParam);
        return dialog_message(hDlg, d, Msg, wParam, lParam);
    });
}

BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
    return entry_point(FALSE, [&]() -> BOOL {
        window_or_fail(hDlg);
        if (!lpMsg) return FALSE;
        return dialog_message_of(hDlg, *lpMsg);
    });
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    return entry_point<HWND>(nullptr, [&]() -> HWND { return dialog_item(window_or_fail(hDlg), nIDDlgItem); });
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
    return entry_point(0, [&]() -> int {
        const Window &w = window_or_fail(hWnd);
        return (w.style & WS_CHILD) ? static_cast<int>(w.id) : 0;
    });
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    return entry_point(FALSE, [&]() -> BOOL {
        HWND item = GetDlgItem(hDlg, nIDDlgItem);
        return item ? SetWindowTextA(item, lpString) : FALSE;
    });
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    return entry_point<UINT>(0, [&]() -> UINT {
        HWND item = GetDlgItem(hDlg, nIDDlgItem);
        if (item) return static_cast<UINT>(GetWindowTextA(item, lpString, cchMax));
        if (lpString && cchMax > 0) lpString[0] = '\0';
        return 0;
    });
}

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    return entry_point<HWND>(nullptr, [&]() -> HWND { return next_tab_item(window_or_fail(hDlg), hCtl, bPrevious); });
}

HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    return entry_point<HWND>(nullptr, [&]() -> HWND { return next_group_item(window_or_fail(hDlg), hCtl, bPrevious); });
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
    return entry_point(FALSE, [&]() -> BOOL {
        DialogState *d = dialog_state(hDlg);
        if (!d || !lpRect) fail_with(ERROR_INVALID_WINDOW_HANDLE);
        map_dialog_rect(*d, *lpRect);
        return TRUE;
    });
}

LONG WINAPI GetDialogBaseUnits(void) {
    return entry_point<LONG>(0, [] { return static_cast<LONG>(MAKELONG(8, 16)); });
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return entry_point<LRESULT>(0, [&]() -> LRESULT {
        HWND item = GetDlgItem(hDlg, nIDDlgItem);
        return item ? SendMessageA(item, Msg, wParam, lParam) : 0;
    });
}

}  // extern "C"
