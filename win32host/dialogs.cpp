// dialogs.cpp - the dialog manager: dialogs created from their templates
// (dialog_template.cpp reads them) in dialog units, WM_INITDIALOG and its focus
// rule, the modal loop that shows the dialog when it first goes idle,
// EndDialog and the dialog's controls by id. The default dialog procedure is
// defdlg.cpp, the keyboard and the walk over controls dialog_navigation.cpp.
#include "api.h"
#include "dialog_template.h"
#include "frontend.h"

#include <algorithm>

namespace w32h {
namespace {

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
    if (HWND first_control = first_dialog_control(hwnd)) SetFocus(first_control);
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

}  // namespace

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

HWND first_dialog_control(HWND dialog) {
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    return first ? first : GetNextDlgGroupItem(dialog, nullptr, FALSE);
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

HWND dialog_item(const Window &dialog, int id) {
    for (HWND child : dialog.children)
        if (Window *c = find_window(child); c && static_cast<WORD>(c->id) == static_cast<WORD>(id)) return child;
    fail_with(ERROR_CONTROL_ID_NOT_FOUND);
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
    cls.atom = LOWORD(WC_DIALOG);
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
