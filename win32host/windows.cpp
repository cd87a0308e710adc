// windows.cpp - windows: creation and destruction, parents, owners and
// siblings, the desktop window, enabling, texts, styles and window longs. The
// window manager's state lives here; its other files (window_pos.cpp for
// showing and rectangles, window_menu.cpp, focus.cpp, ...) reach it through
// window_manager.h.
#include "api.h"
#include "frontend.h"
#include "window_manager.h"

#include <algorithm>
#include <cstring>

namespace w32h {
namespace {

constexpr uintptr_t desktop_handle = 0x10010;

bool is_desktop(HWND hwnd) { return reinterpret_cast<uintptr_t>(hwnd) == desktop_handle; }

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
    // Windows drops what was posted to a window it destroys, EndDialog's
    // WM_NULL included (DestroyDropsTheMessagesPostedToTheWindowAndItsChildren).
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

// Windows gives a window the edge of a raised frame when it has a frame of a
// dialog or a sizing border, unless it asks for a static edge, and always to
// an overlapped window (Wine's test_window_styles).
DWORD fix_ex_style(DWORD style, DWORD ex_style) {
    bool overlapped = !(style & (WS_CHILD | WS_POPUP));
    bool framed = (style & (WS_DLGFRAME | WS_THICKFRAME)) && !(ex_style & WS_EX_STATICEDGE);
    if (overlapped || framed || (ex_style & WS_EX_DLGMODALFRAME)) return ex_style | WS_EX_WINDOWEDGE;
    return ex_style & ~WS_EX_WINDOWEDGE;
}

// Builds the record of a new window from its class and creation data and
// files it under a fresh handle; the first plain top-level window becomes the
// main window.
HWND insert_window(const std::shared_ptr<WindowClass> &cls, const CREATESTRUCTA &cs) {
    auto &s = window_manager();
    const DWORD style = static_cast<DWORD>(cs.style);
    auto owned = std::make_unique<Window>();
    Window &w = *owned;
    w.handle = reinterpret_cast<HWND>(s.next_handle);
    w.cls = cls;
    w.proc = cls->proc;
    w.instance = cs.hInstance;
    w.style = style;
    w.ex_style = fix_ex_style(style, cs.dwExStyle);
    // Every top-level window clips its siblings; an overlapped one has a caption.
    if (!(style & WS_CHILD)) w.style |= WS_CLIPSIBLINGS;
    if (!(style & (WS_CHILD | WS_POPUP))) w.style |= WS_CAPTION;
    if (style & WS_CHILD) {
        w.parent = cs.hwndParent;
        w.id = reinterpret_cast<LONG_PTR>(cs.hMenu);
    } else if (cs.hwndParent) {
        w.owner = top_level_of(cs.hwndParent);
    }
    w.extra.assign(static_cast<size_t>(cls->window_extra), 0);
    if (w.style & WS_SYSMENU) w.system_menu = standard_window_menu();
    place_default(w, cs.x, cs.y, cs.cx, cs.cy);
    HWND hwnd = w.handle;
    s.windows.emplace(reinterpret_cast<uintptr_t>(hwnd), std::move(owned));
    s.next_handle += 2;
    s.creation_order.push_back(hwnd);
    if (Window *p = find_window(cs.hwndParent); p && (style & WS_CHILD)) p->children.push_back(hwnd);
    bool plain_top_level = !(style & WS_CHILD) && !same_name(cls->name, "#32770");
    if (plain_top_level && !s.main) s.main = hwnd;
    return hwnd;
}

// WM_NCCREATE, then WM_CREATE; a window that refuses either is destroyed and
// the creation fails.
HWND send_creation(HWND hwnd, CREATESTRUCTA &cs) {
    auto &s = window_manager();
    LPARAM csp = reinterpret_cast<LPARAM>(&cs);
    if (!SendMessageA(hwnd, WM_NCCREATE, 0, csp) || !find_window(hwnd)) {
        if (find_window(hwnd)) send_ncdestroy(hwnd);
        if (s.main == hwnd) s.main = nullptr;
        fail_with(ERROR_INVALID_PARAMETER);
    }
    if (SendMessageA(hwnd, WM_CREATE, 0, csp) == -1) {
        DestroyWindow(hwnd);
        if (s.main == hwnd) s.main = nullptr;
        fail_with(ERROR_INVALID_PARAMETER);
    }
    frontend().invalidate();
    return hwnd;
}

// Owned windows go first, then the window and its children get WM_DESTROY
// parents first and WM_NCDESTROY children first; the owner of an active
// window becomes active.
void destroy_window(Window &w) {
    HWND hwnd = w.handle;
    w.destroying = true;
    if (!is_child(w)) {
        for (HWND other : top_level_windows()) {
            Window *o = find_window(other);
            if (o && o->owner == hwnd) DestroyWindow(other);
        }
    }
    HWND owner = w.owner;
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
}

BOOL enable_window(Window &w, BOOL enable) {
    HWND hwnd = w.handle;
    BOOL was_disabled = (w.style & WS_DISABLED) != 0;
    if (enable)
        w.style &= ~WS_DISABLED;
    else
        w.style |= WS_DISABLED;
    if (was_disabled == !enable) return was_disabled;
    HWND focus = window_manager().focus;
    if (!enable && (focus == hwnd || IsChild(hwnd, focus))) set_focus_raw(nullptr);
    SendMessageA(hwnd, WM_ENABLE, enable, 0);
    frontend().invalidate();
    return was_disabled;
}

HWND related_window(const Window &w, UINT cmd) {
    if (cmd == GW_CHILD) return w.children.empty() ? nullptr : w.children.front();
    if (cmd == GW_OWNER) return is_child(w) ? nullptr : w.owner;
    std::vector<HWND> siblings;
    if (Window *p = find_window(w.parent); p && is_child(w))
        siblings = p->children;
    else
        siblings = top_level_windows();
    auto it = std::find(siblings.begin(), siblings.end(), w.handle);
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
        fail_with(ERROR_INVALID_PARAMETER);
    }
}

HWND find_top_level(LPCSTR class_name, LPCSTR window_name) {
    for (HWND h : top_level_windows()) {
        Window *w = find_window(h);
        if (class_name && !same_name(w->cls->name, class_name_of(class_name).c_str())) continue;
        if (window_name && w->text != window_name) continue;
        return h;
    }
    fail_with(ERROR_FILE_NOT_FOUND);
}

// The dialog's own longs (DWLP_*) of a dialog window.
std::optional<LONG_PTR> get_dialog_long(HWND hwnd, int index) {
    DialogState *d = dialog_state(hwnd);
    if (!d) return std::nullopt;
    if (index == DWLP_MSGRESULT) return d->msg_result;
    if (index == DWLP_DLGPROC) return reinterpret_cast<LONG_PTR>(d->proc);
    if (index == DWLP_USER) return d->user;
    return std::nullopt;
}

bool set_dialog_long(HWND hwnd, int index, LONG_PTR value) {
    DialogState *d = dialog_state(hwnd);
    if (!d) return false;
    if (index == DWLP_MSGRESULT)
        d->msg_result = value;
    else if (index == DWLP_DLGPROC)
        d->proc = reinterpret_cast<DLGPROC>(value);
    else if (index == DWLP_USER)
        d->user = value;
    else
        return false;
    return true;
}

bool in_extra(const Window &w, int index) {
    return index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w.extra.size();
}

LONG_PTR get_window_long(const Window &w, int index) {
    switch (index) {
    case GWL_STYLE:
        return static_cast<LONG>(w.style);
    case GWL_EXSTYLE:
        return static_cast<LONG>(w.ex_style);
    case GWL_ID:
        return w.id;
    case GWL_USERDATA:
        return w.user_data;
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w.proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w.instance);
    case GWLP_HWNDPARENT:  // the parent, but not the desktop; else the owner
        return reinterpret_cast<LONG_PTR>(is_child(w) ? (is_desktop(w.parent) ? nullptr : w.parent) : w.owner);
    default:
        break;
    }
    if (auto value = get_dialog_long(w.handle, index)) return *value;
    if (!in_extra(w, index)) fail_with(ERROR_INVALID_INDEX);
    LONG_PTR v;
    std::memcpy(&v, w.extra.data() + index, sizeof v);
    return v;
}

// Returns the previous value.
LONG_PTR set_window_long(Window &w, int index, LONG_PTR value) {
    LONG_PTR old = get_window_long(w, index);
    switch (index) {
    case GWL_STYLE:
        w.style = static_cast<DWORD>(value);
        frontend().invalidate();
        return old;
    case GWL_EXSTYLE:
        w.ex_style = static_cast<DWORD>(value);
        return old;
    case GWL_ID:
        w.id = value;
        return old;
    case GWL_USERDATA:
        w.user_data = value;
        return old;
    case GWLP_WNDPROC:
        w.proc = reinterpret_cast<WNDPROC>(value);
        return old;
    default:
        break;
    }
    if (!set_dialog_long(w.handle, index, value)) std::memcpy(w.extra.data() + index, &value, sizeof value);
    return old;
}

// The desktop is a window to Windows: it exists, it is visible and covers the
// screen, and a window created with it as its parent is a top-level window
// without an owner. It is no top-level window itself, so nothing lists it.
// Limits: its children are not the top-level windows, as they are on Windows.
Window &desktop_window() {
    auto &wm = window_manager();
    if (!wm.desktop) {
        static auto cls = std::make_shared<WindowClass>();
        cls->name = "#32769";
        cls->proc = DefWindowProcA;
        cls->system = true;
        wm.desktop = std::make_unique<Window>();
        wm.desktop->handle = reinterpret_cast<HWND>(desktop_handle);
        wm.desktop->cls = cls;
        wm.desktop->proc = DefWindowProcA;
        wm.desktop->style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    }
    wm.desktop->rect = RECT{0, 0, config().screen_width, config().screen_height};
    return *wm.desktop;
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
    if (is_desktop(hwnd)) return &desktop_window();
    auto &ws = window_manager().windows;
    auto it = ws.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == ws.end() ? nullptr : it->second.get();
}

Window &window_or_fail(HWND hwnd) {
    Window *w = find_window(hwnd);
    if (!w) fail_with(ERROR_INVALID_WINDOW_HANDLE);
    return *w;
}

int copy_truncated(const std::string &text, char *buffer, int size) {
    size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
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

}  // namespace w32h

using namespace w32h;

extern "C" {

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
    return entry_point<HWND>(nullptr, [&]() -> HWND {
        if (injected_failure("CreateWindowExA", ERROR_NOT_ENOUGH_MEMORY)) return nullptr;
        if (!lpClassName) fail_with(ERROR_INVALID_PARAMETER);
        auto cls = find_class(class_name_of(lpClassName).c_str(), hInstance);
        if (!cls) fail_with(ERROR_CANNOT_FIND_WND_CLASS);
        if (hWndParent && !find_window(hWndParent)) fail_with(ERROR_INVALID_WINDOW_HANDLE);
        if (is_desktop(hWndParent) && !(dwStyle & WS_CHILD)) hWndParent = nullptr;  // top-level, owned by nobody
        if ((dwStyle & WS_CHILD) && !hWndParent) fail_with(ERROR_TLW_WITH_WSCHILD);
        // A top-level window's hMenu is its menu bar. Limits: win32host makes no
        // menus, so any there is not one.
        if (!(dwStyle & WS_CHILD) && hMenu) fail_with(ERROR_INVALID_MENU_HANDLE);
        CREATESTRUCTA cs{
            lpParam,      hInstance,   hMenu,    hWndParent, nHeight, nWidth, Y, X, static_cast<LONG>(dwStyle),
            lpWindowName, lpClassName, dwExStyle};
        return send_creation(insert_window(cls, cs), cs);
    });
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    return entry_point(FALSE, [&]() -> BOOL {
        Window &w = window_or_fail(hWnd);
        if (is_desktop(hWnd)) fail_with(ERROR_ACCESS_DENIED);
        if (!w.destroying) destroy_window(w);
        return TRUE;
    });
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    return entry_point(FALSE, [&]() -> BOOL {
        window_or_fail(hWnd);
        frontend().invalidate();
        return TRUE;
    });
}

BOOL WINAPI IsWindow(HWND hWnd) {
    return entry_point(FALSE, [&]() -> BOOL { return find_window(hWnd) != nullptr; });
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    return entry_point(FALSE, [&]() -> BOOL {
        for (Window *w = find_window(hWnd); w; w = find_window(w->parent)) {
            if (!(w->style & WS_VISIBLE)) return FALSE;
            if (!is_child(*w)) return TRUE;
        }
        return FALSE;
    });
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    return entry_point(FALSE, [&]() -> BOOL {
        Window *w = find_window(hWnd);
        return w && !(w->style & WS_DISABLED);
    });
}

BOOL WINAPI IsIconic(HWND hWnd) {
    return entry_point(FALSE, [&]() -> BOOL {
        Window *w = find_window(hWnd);
        return w && (w->style & WS_MINIMIZE);
    });
}

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) {
    return entry_point(FALSE, [&]() -> BOOL {
        Window *w = find_window(hWnd);
        while (w && is_child(*w)) {
            if (w->parent == hWndParent) return TRUE;
            w = find_window(w->parent);
        }
        return FALSE;
    });
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    return entry_point(FALSE, [&]() -> BOOL { return enable_window(window_or_fail(hWnd), bEnable); });
}

HWND WINAPI GetParent(HWND hWnd) {
    return entry_point<HWND>(nullptr, [&]() -> HWND {
        const Window &w = window_or_fail(hWnd);
        if (is_child(w)) return w.parent;
        return (w.style & WS_POPUP) ? w.owner : nullptr;  // an owned overlapped window has no parent
    });
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
    return entry_point<HWND>(nullptr, [&]() -> HWND { return related_window(window_or_fail(hWnd), uCmd); });
}

HWND WINAPI GetDesktopWindow(void) {
    return entry_point<HWND>(nullptr, [&]() -> HWND { return desktop_window().handle; });
}

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
    return entry_point<HWND>(nullptr, [&]() -> HWND { return find_top_level(lpClassName, lpWindowName); });
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    return entry_point(FALSE, [&]() -> BOOL {
        window_or_fail(hWnd);
        return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) != 0;
    });
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    return entry_point(0, [&]() -> int {
        if (lpString && nMaxCount > 0) lpString[0] = '\0';
        window_or_fail(hWnd);
        if (!lpString || nMaxCount <= 0) return 0;
        return static_cast<int>(
            SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
    });
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
    return entry_point(0, [&]() -> int {
        window_or_fail(hWnd);
        return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
    });
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
    return entry_point<LONG_PTR>(0, [&]() -> LONG_PTR { return get_window_long(window_or_fail(hWnd), nIndex); });
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    return entry_point<LONG_PTR>(
        0, [&]() -> LONG_PTR { return set_window_long(window_or_fail(hWnd), nIndex, dwNewLong); });
}

// The 32-bit forms: a LONG holds styles, identifiers and 32-bit data; pointer
// values need the Ptr forms on this host, as on 64-bit Windows.
LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
    return entry_point<LONG>(0, [&]() -> LONG { return static_cast<LONG>(GetWindowLongPtrA(hWnd, nIndex)); });
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    return entry_point<LONG>(0, [&]() -> LONG {
        bool style = nIndex == GWL_STYLE || nIndex == GWL_EXSTYLE;
        LONG_PTR value = style ? static_cast<LONG_PTR>(static_cast<DWORD>(dwNewLong)) : dwNewLong;
        return static_cast<LONG>(SetWindowLongPtrA(hWnd, nIndex, value));
    });
}

}  // extern "C"
