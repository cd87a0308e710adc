// windows.cpp - windows: creation and destruction, parents, owners and
// siblings, texts, styles and window longs, rectangles and system metrics, and
// the window menu. The window manager's state lives here; its other files
// reach it through window_manager.h.
#include "frontend.h"
#include "window_manager.h"

#include <algorithm>
#include <cstring>

namespace w32h {
namespace {

constexpr int caption_height = 19;  // SM_CYCAPTION of Windows 2000, its line included
constexpr int dialog_frame = 3;     // SM_CXDLGFRAME
constexpr int thick_frame = 4;      // SM_CXFRAME

std::vector<MenuItem> standard_window_menu() {
    return {{SC_RESTORE, MF_ENABLED},  {SC_MOVE, MF_ENABLED},     {SC_SIZE, MF_ENABLED},
            {SC_MINIMIZE, MF_ENABLED}, {SC_MAXIMIZE, MF_ENABLED}, {SC_CLOSE, MF_ENABLED}};
}

void place_default(Window &w, int x, int y, int cx, int cy) {
    const Config &cfg = config();
    bool overlapped = !(w.style & (WS_CHILD | WS_POPUP));
    if (overlapped && x == CW_USEDEFAULT) x = y = 22;
    if (overlapped && cx == CW_USEDEFAULT) {
        cx = cfg.screen_width * 3 / 4;
        cy = cfg.screen_height * 3 / 4;
    }
    if (x == CW_USEDEFAULT) x = y = 0;
    if (cx == CW_USEDEFAULT) cx = cy = 0;
    w.rect = RECT{x, y, x + cx, y + cy};
}

void unlink_window(HWND hwnd) {
    auto &s = window_manager();
    Window *w = find_window(hwnd);
    if (!w) return;
    if (Window *p = find_window(w->parent)) std::erase(p->children, hwnd);
    std::erase(s.creation_order, hwnd);
    std::erase(s.modal, hwnd);
    if (s.focus == hwnd) s.focus = nullptr;
    if (s.foreground == hwnd) s.foreground = nullptr;
    discard_posted_messages(hwnd);
    s.windows.erase(reinterpret_cast<uintptr_t>(hwnd));
}

void send_destroy(HWND hwnd) {
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    Window *w = find_window(hwnd);
    if (!w) return;
    std::vector<HWND> kids = w->children;
    for (HWND child : kids)
        if (find_window(child)) send_destroy(child);
}

void send_ncdestroy(HWND hwnd) {
    Window *w = find_window(hwnd);
    if (!w) return;
    std::vector<HWND> kids = w->children;
    for (HWND child : kids) send_ncdestroy(child);
    kill_window_timers(hwnd);
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    unlink_window(hwnd);
}

}  // namespace

WindowManager &window_manager() {
    static WindowManager s;
    return s;
}

void reset_window_manager() {
    WindowManager &wm = window_manager();
    std::vector<std::shared_ptr<WindowClass>> system;
    for (const auto &cls : wm.classes)
        if (cls->system) system.push_back(cls);
    wm = WindowManager{};
    wm.classes = std::move(system);
}

HWND top_level_of(HWND hwnd) {
    Window *w = find_window(hwnd);
    while (w && is_child(*w) && w->parent) w = find_window(w->parent);
    return w ? w->handle : nullptr;
}

Window *find_window(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto &ws = window_manager().windows;
    auto it = ws.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == ws.end() ? nullptr : it->second.get();
}

Window *checked_window(HWND hwnd) {
    Window *w = find_window(hwnd);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

HWND main_window() { return window_manager().main; }

std::vector<HWND> top_level_windows() {
    std::vector<HWND> out;
    for (HWND h : window_manager().creation_order) {
        Window *w = find_window(h);
        if (w && !is_child(*w)) out.push_back(h);
    }
    return out;
}

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
    RECT r{};
    GetWindowRect(w.handle, &r);
    RECT in = nonclient_insets(w.style, w.ex_style);
    return RECT{r.left + in.left, r.top + in.top, r.right - in.right, r.bottom - in.bottom};
}

}  // namespace w32h

using namespace w32h;

extern "C" {

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x, int y, int cx,
                            int cy, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    if (injected_failure("CreateWindowExA", ERROR_NOT_ENOUGH_MEMORY)) return nullptr;
    if (!class_name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string cname = class_name_of(class_name);
    auto cls = find_class(cname.c_str(), instance);
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent && !find_window(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if ((style & WS_CHILD) && !parent) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    auto &s = window_manager();
    auto owned = std::make_unique<Window>();
    Window &w = *owned;
    w.handle = reinterpret_cast<HWND>(s.next_handle);
    s.next_handle += 2;
    w.cls = cls;
    w.proc = cls->proc;
    w.instance = instance;
    w.style = style;
    w.ex_style = ex_style;
    if (!(style & (WS_CHILD | WS_POPUP))) w.style |= WS_CLIPSIBLINGS | WS_CAPTION;
    if (style & WS_CHILD) {
        w.parent = parent;
        w.id = reinterpret_cast<LONG_PTR>(menu);
    } else if (parent) {
        w.owner = top_level_of(parent);
    }
    w.extra.assign(static_cast<size_t>(cls->window_extra), 0);
    if (w.style & WS_SYSMENU) w.system_menu = standard_window_menu();
    place_default(w, x, y, cx, cy);
    HWND hwnd = w.handle;
    s.windows.emplace(reinterpret_cast<uintptr_t>(hwnd), std::move(owned));
    s.creation_order.push_back(hwnd);
    if (Window *p = find_window(parent); p && (style & WS_CHILD)) p->children.push_back(hwnd);
    bool is_dialog_class = same_name(cls->name, "#32770");
    bool plain_top_level = !(style & WS_CHILD) && !is_dialog_class;
    if (plain_top_level && !s.main) s.main = hwnd;

    CREATESTRUCTA cs{param,       instance,   menu,    parent, cy, cx, y, x, static_cast<LONG>(style),
                     window_name, class_name, ex_style};
    LPARAM csp = reinterpret_cast<LPARAM>(&cs);
    if (!SendMessageA(hwnd, WM_NCCREATE, 0, csp) || !find_window(hwnd)) {
        if (find_window(hwnd)) send_ncdestroy(hwnd);
        if (s.main == hwnd) s.main = nullptr;
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (SendMessageA(hwnd, WM_CREATE, 0, csp) == -1) {
        DestroyWindow(hwnd);
        if (s.main == hwnd) s.main = nullptr;
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    frontend().invalidate();
    return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
    Window *w = checked_window(hwnd);
    if (!w) return FALSE;
    if (w->destroying) return TRUE;
    w->destroying = true;
    if (!is_child(*w)) {
        for (HWND other : top_level_windows()) {
            Window *o = find_window(other);
            if (o && o->owner == hwnd) DestroyWindow(other);
        }
    }
    HWND owner = w->owner;
    bool was_active = window_manager().active == hwnd;
    HWND focus = window_manager().focus;
    if (focus == hwnd || IsChild(hwnd, focus)) window_manager().focus = nullptr;
    send_destroy(hwnd);
    send_ncdestroy(hwnd);
    if (was_active) {
        window_manager().active = nullptr;
        if (find_window(owner) && IsWindowEnabled(owner)) activate(owner);
    }
    frontend().invalidate();
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int cmd) {
    Window *w = checked_window(hwnd);
    if (!w) return FALSE;
    bool was_visible = (w->style & WS_VISIBLE) != 0;
    bool activates = false;
    switch (cmd) {
    case SW_HIDE:
        w->style &= ~WS_VISIBLE;
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        w->style |= WS_VISIBLE | WS_MINIMIZE;
        activates = cmd == SW_SHOWMINIMIZED;
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
    case SW_SHOWMAXIMIZED:
        w->style = (w->style | WS_VISIBLE) & ~WS_MINIMIZE;
        activates = true;
        break;
    default:  // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE
        w->style |= WS_VISIBLE;
        activates = cmd == SW_SHOW;
        break;
    }
    bool visible = (w->style & WS_VISIBLE) != 0;
    if (visible != was_visible) SendMessageA(hwnd, WM_SHOWWINDOW, visible, 0);
    if (activates && !is_child(*w)) activate(hwnd);
    frontend().invalidate();
    return was_visible;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
    if (!find_window(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    frontend().invalidate();
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hwnd) { return find_window(hwnd) != nullptr; }

BOOL WINAPI IsWindowVisible(HWND hwnd) {
    for (Window *w = find_window(hwnd); w; w = find_window(w->parent)) {
        if (!(w->style & WS_VISIBLE)) return FALSE;
        if (!is_child(*w)) return TRUE;
    }
    return FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
    Window *w = find_window(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL WINAPI IsIconic(HWND hwnd) {
    Window *w = find_window(hwnd);
    return w && (w->style & WS_MINIMIZE);
}

BOOL WINAPI IsChild(HWND parent, HWND hwnd) {
    Window *w = find_window(hwnd);
    while (w && is_child(*w)) {
        if (w->parent == parent) return TRUE;
        w = find_window(w->parent);
    }
    return FALSE;
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
    Window *w = checked_window(hwnd);
    if (!w) return FALSE;
    BOOL was_disabled = (w->style & WS_DISABLED) != 0;
    if (enable)
        w->style &= ~WS_DISABLED;
    else
        w->style |= WS_DISABLED;
    if (was_disabled == !enable) return was_disabled;
    if (!enable && (window_manager().focus == hwnd || IsChild(hwnd, window_manager().focus))) set_focus_raw(nullptr);
    SendMessageA(hwnd, WM_ENABLE, enable, 0);
    frontend().invalidate();
    return was_disabled;
}

HWND WINAPI GetParent(HWND hwnd) {
    Window *w = checked_window(hwnd);
    if (!w) return nullptr;
    return is_child(*w) ? w->parent : w->owner;
}

HWND WINAPI GetWindow(HWND hwnd, UINT cmd) {
    Window *w = checked_window(hwnd);
    if (!w) return nullptr;
    if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
    if (cmd == GW_OWNER) return is_child(*w) ? nullptr : w->owner;
    std::vector<HWND> siblings;
    if (Window *p = find_window(w->parent); p && is_child(*w))
        siblings = p->children;
    else
        siblings = top_level_windows();
    auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    switch (cmd) {
    case GW_HWNDFIRST:
        return siblings.front();
    case GW_HWNDLAST:
        return siblings.back();
    case GW_HWNDNEXT:
        return it + 1 < siblings.end() ? *(it + 1) : nullptr;
    case GW_HWNDPREV:
        return it != siblings.begin() ? *(it - 1) : nullptr;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HWND WINAPI GetDesktopWindow(void) { return reinterpret_cast<HWND>(uintptr_t{0x10010}); }

HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR window_name) {
    for (HWND h : top_level_windows()) {
        Window *w = find_window(h);
        if (class_name && !same_name(w->cls->name, class_name_of(class_name).c_str())) continue;
        if (window_name && w->text != window_name) continue;
        return h;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
    if (!find_window(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
    if (!find_window(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        if (buffer && size > 0) buffer[0] = '\0';
        return 0;
    }
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    return static_cast<int>(
        SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextLengthA(HWND hwnd) {
    if (!find_window(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) {
    Window *w = checked_window(hwnd);
    if (!w) return 0;
    switch (index) {
    case GWL_STYLE:
        return static_cast<LONG>(w->style);
    case GWL_EXSTYLE:
        return static_cast<LONG>(w->ex_style);
    case GWL_ID:
        return w->id;
    case GWL_USERDATA:
        return w->user_data;
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(is_child(*w) ? w->parent : w->owner);
    default:
        break;
    }
    if (DialogState *d = dialog_state(hwnd)) {
        if (index == DWLP_MSGRESULT) return d->msg_result;
        if (index == DWLP_DLGPROC) return reinterpret_cast<LONG_PTR>(d->proc);
        if (index == DWLP_USER) return d->user;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        LONG_PTR v;
        std::memcpy(&v, w->extra.data() + index, sizeof v);
        return v;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    Window *w = checked_window(hwnd);
    if (!w) return 0;
    LONG_PTR old = GetWindowLongPtrA(hwnd, index);
    switch (index) {
    case GWL_STYLE:
        w->style = static_cast<DWORD>(value);
        frontend().invalidate();
        return old;
    case GWL_EXSTYLE:
        w->ex_style = static_cast<DWORD>(value);
        return old;
    case GWL_ID:
        w->id = value;
        return old;
    case GWL_USERDATA:
        w->user_data = value;
        return old;
    case GWLP_WNDPROC:
        w->proc = reinterpret_cast<WNDPROC>(value);
        return old;
    default:
        break;
    }
    if (DialogState *d = dialog_state(hwnd)) {
        if (index == DWLP_MSGRESULT) return d->msg_result = value, old;
        if (index == DWLP_DLGPROC) return d->proc = reinterpret_cast<DLGPROC>(value), old;
        if (index == DWLP_USER) return d->user = value, old;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        std::memcpy(w->extra.data() + index, &value, sizeof value);
        return old;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

// The 32-bit forms: a LONG holds styles, identifiers and 32-bit data; pointer
// values need the Ptr forms on this host, as on 64-bit Windows.
LONG WINAPI GetWindowLongA(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtrA(hwnd, index)); }

LONG WINAPI SetWindowLongA(HWND hwnd, int index, LONG value) {
    return static_cast<LONG>(SetWindowLongPtrA(
        hwnd, index,
        index == GWL_STYLE || index == GWL_EXSTYLE ? static_cast<LONG_PTR>(static_cast<DWORD>(value)) : value));
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
    Window *w = find_window(hwnd);
    if (!w || !rect) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = w->rect;
    if (is_child(*w)) {
        if (Window *p = find_window(w->parent)) {
            RECT pc = client_rect_in_screen(*p);
            rect->left += pc.left;
            rect->right += pc.left;
            rect->top += pc.top;
            rect->bottom += pc.top;
        }
    }
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
    Window *w = find_window(hwnd);
    if (!w || !rect) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    RECT in = nonclient_insets(w->style, w->ex_style);
    LONG width = w->rect.right - w->rect.left - in.left - in.right;
    LONG height = w->rect.bottom - w->rect.top - in.top - in.bottom;
    *rect = RECT{0, 0, std::max<LONG>(0, width), std::max<LONG>(0, height)};
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL) {
    Window *w = checked_window(hwnd);
    if (!w) return FALSE;
    w->rect = RECT{x, y, x + std::max(0, cx), y + std::max(0, cy)};
    SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
    SendMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(std::max(0, cx), std::max(0, cy)));
    frontend().invalidate();
    return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
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

HMENU WINAPI GetSystemMenu(HWND hwnd, BOOL revert) {
    Window *w = find_window(hwnd);
    if (!w || w->system_menu.empty()) return nullptr;
    if (revert) {
        w->system_menu = standard_window_menu();
        return nullptr;
    }
    return reinterpret_cast<HMENU>(hwnd);  // one window menu per window
}

BOOL WINAPI EnableMenuItem(HMENU menu, UINT id, UINT flags) {
    Window *w = find_window(reinterpret_cast<HWND>(menu));
    if (!w) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return -1;
    }
    auto &items = w->system_menu;
    size_t index = items.size();
    if (flags & MF_BYPOSITION)
        index = id;
    else
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].command == id) index = i;
    if (index >= items.size()) return -1;
    UINT old = items[index].state;
    items[index].state = flags & (MF_GRAYED | MF_DISABLED);
    return static_cast<BOOL>(old);
}

UINT WINAPI GetMenuState(HMENU menu, UINT id, UINT flags) {
    Window *w = find_window(reinterpret_cast<HWND>(menu));
    if (!w) return static_cast<UINT>(-1);
    auto &items = w->system_menu;
    if (flags & MF_BYPOSITION) return id < items.size() ? items[id].state : static_cast<UINT>(-1);
    for (const auto &item : items)
        if (item.command == id) return item.state;
    return static_cast<UINT>(-1);
}

}  // extern "C"
