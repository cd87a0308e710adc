// windows.cpp - window classes, windows, the message queue and the message
// loop, activation and focus, window texts, rectangles and styles, the window
// menu, and the default window procedure. The loop's idle moments are where
// the front-end (terminal or script) brings in the user and lets time pass.
#include "frontend.h"
#include "window_model.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>

namespace w32h {
namespace {

struct State {
    std::map<uintptr_t, std::unique_ptr<Window>> windows;
    std::vector<HWND> creation_order;
    std::vector<std::shared_ptr<WindowClass>> classes;
    uintptr_t next_handle = 0x10020;
    ATOM next_atom = 0xC000;
    std::deque<MSG> queue;
    bool quit_posted = false;
    int quit_code = 0;
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND foreground = nullptr;
    HWND main = nullptr;
    bool shift = false;
    std::vector<HWND> modal;
};

State &state() {
    static State s;
    return s;
}

constexpr int caption_height = 19;  // SM_CYCAPTION of Windows 2000, its line included
constexpr int dialog_frame = 3;     // SM_CXDLGFRAME
constexpr int thick_frame = 4;      // SM_CXFRAME

bool is_child(const Window &w) { return (w.style & WS_CHILD) != 0; }

bool same_name(const std::string &a, const char *b) {
    return a.size() == std::strlen(b) && strncasecmp(a.c_str(), b, a.size()) == 0;
}

std::string class_name_of(LPCSTR name) {
    if (IS_INTRESOURCE(name)) {
        for (const auto &cls : state().classes)
            if (cls->atom == LOWORD(name)) return cls->name;
        return "#" + std::to_string(LOWORD(name));
    }
    return name;
}

HWND top_level_of(HWND hwnd) {
    Window *w = find_window(hwnd);
    while (w && is_child(*w) && w->parent) w = find_window(w->parent);
    return w ? w->handle : nullptr;
}

void post(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    MSG m{};
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wp;
    m.lParam = lp;
    m.time = GetTickCount();
    state().queue.push_back(m);
}

bool matches(const MSG &m, HWND filter, UINT first, UINT last) {
    if (filter && m.hwnd != filter && !IsChild(filter, m.hwnd)) return false;
    if (first == 0 && last == 0) return true;
    return m.message >= first && m.message <= last;
}

void track_keys(const MSG &m) {
    if (m.wParam != VK_SHIFT) return;
    if (m.message == WM_KEYDOWN) state().shift = true;
    if (m.message == WM_KEYUP) state().shift = false;
}

// Looks for a message in the order Windows delivers them: posted messages,
// then the quit message, then timers.
bool retrieve(MSG &out, HWND filter, UINT first, UINT last, bool remove) {
    auto &q = state().queue;
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (!matches(*it, filter, first, last)) continue;
        out = *it;
        if (remove) {
            q.erase(it);
            track_keys(out);
        }
        return true;
    }
    if (state().quit_posted && (first == 0 || (first <= WM_QUIT && WM_QUIT <= last))) {
        out = MSG{};
        out.message = WM_QUIT;
        out.wParam = static_cast<WPARAM>(state().quit_code);
        if (remove) state().quit_posted = false;
        return true;
    }
    if (first == 0 || (first <= WM_TIMER && WM_TIMER <= last)) return take_due_timer(out, filter, remove);
    return false;
}

void activate(HWND hwnd);

void set_focus_raw(HWND hwnd) {
    HWND old = state().focus;
    if (old == hwnd) return;
    state().focus = hwnd;
    if (old && find_window(old)) SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && find_window(hwnd) && state().focus == hwnd)
        SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    frontend().invalidate();
}

void activate(HWND hwnd) {
    HWND old = state().active;
    if (old == hwnd) return;
    state().active = hwnd;
    if (old && find_window(old)) SendMessageA(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
    if (hwnd && find_window(hwnd)) SendMessageA(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
}

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

void set_text_raw(Window &w, const char *text) {
    w.text = text ? text : "";
    if (w.handle == state().main) transcript_title(w.text);
    frontend().invalidate();
}

void unlink_window(HWND hwnd) {
    auto &s = state();
    Window *w = find_window(hwnd);
    if (!w) return;
    if (Window *p = find_window(w->parent)) std::erase(p->children, hwnd);
    std::erase(s.creation_order, hwnd);
    std::erase(s.modal, hwnd);
    if (s.focus == hwnd) s.focus = nullptr;
    if (s.foreground == hwnd) s.foreground = nullptr;
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

void idle() {
    HWND waiting = waiting_window();
    frontend().idle(waiting, next_timer_due());
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

}  // namespace

Window *find_window(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto &ws = state().windows;
    auto it = ws.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == ws.end() ? nullptr : it->second.get();
}

Window *checked_window(HWND hwnd) {
    Window *w = find_window(hwnd);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

HWND main_window() { return state().main; }

std::vector<HWND> top_level_windows() {
    std::vector<HWND> out;
    for (HWND h : state().creation_order) {
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

std::shared_ptr<WindowClass> find_class(const char *name, HINSTANCE instance) {
    static bool predefined = (register_control_classes(), register_dialog_class(), true);
    (void)predefined;
    std::shared_ptr<WindowClass> system;
    for (const auto &cls : state().classes) {
        if (!same_name(cls->name, name)) continue;
        if (!cls->system && cls->instance == instance) return cls;
        if (cls->system) system = cls;
    }
    if (system) return system;
    for (const auto &cls : state().classes)  // Windows also finds other modules' classes
        if (same_name(cls->name, name) && !cls->system) return cls;
    return nullptr;
}

void register_system_class(const WindowClass &cls) {
    for (const auto &known : state().classes)
        if (known->system && same_name(known->name, cls.name.c_str())) return;
    auto copy = std::make_shared<WindowClass>(cls);
    copy->system = true;
    state().classes.push_back(copy);
}

bool shift_down() { return state().shift; }

void push_modal(HWND hwnd) { state().modal.push_back(hwnd); }

void pop_modal(HWND hwnd) { std::erase(state().modal, hwnd); }

HWND innermost_modal() {
    auto &m = state().modal;
    for (auto it = m.rbegin(); it != m.rend(); ++it)
        if (find_window(*it)) return *it;
    return nullptr;
}

HWND waiting_window() {
    if (HWND modal = innermost_modal()) return window_has_timer(modal) ? nullptr : modal;
    if (any_timer()) return nullptr;
    return find_window(state().main) ? state().main : nullptr;
}

}  // namespace w32h

using namespace w32h;

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA *wc) {
    if (injected_failure("RegisterClassA", ERROR_NOT_ENOUGH_MEMORY)) return 0;
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string name = class_name_of(wc->lpszClassName);
    for (const auto &cls : state().classes)
        if (!cls->system && cls->instance == wc->hInstance && same_name(cls->name, name.c_str())) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    auto cls = std::make_shared<WindowClass>();
    cls->name = name;
    cls->style = wc->style;
    cls->proc = wc->lpfnWndProc;
    cls->class_extra = std::max(0, wc->cbClsExtra);
    cls->window_extra = std::max(0, wc->cbWndExtra);
    cls->instance = wc->hInstance;
    cls->icon = wc->hIcon;
    cls->cursor = wc->hCursor;
    cls->background = wc->hbrBackground;
    cls->atom = state().next_atom++;
    state().classes.push_back(cls);
    return cls->atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR name, HINSTANCE instance) {
    if (!name) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    std::string n = class_name_of(name);
    auto &classes = state().classes;
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if ((*it)->system || (*it)->instance != instance || !same_name((*it)->name, n.c_str())) continue;
        if (it->use_count() > 1) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
        classes.erase(it);
        return TRUE;
    }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

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
    auto &s = state();
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
    bool was_active = state().active == hwnd;
    HWND focus = state().focus;
    if (focus == hwnd || IsChild(hwnd, focus)) state().focus = nullptr;
    send_destroy(hwnd);
    send_ncdestroy(hwnd);
    if (was_active) {
        state().active = nullptr;
        if (find_window(owner) && IsWindowEnabled(owner)) activate(owner);
    }
    frontend().invalidate();
    return TRUE;
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return proc ? proc(hwnd, msg, wp, lp) : 0;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window *w = find_window(hwnd);
    if (!w) return 0;
    switch (msg) {
    case WM_NCCREATE: {
        auto *cs = reinterpret_cast<CREATESTRUCTA *>(lp);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) set_text_raw(*w, cs->lpszName);
        return TRUE;
    }
    case WM_SETTEXT:
        set_text_raw(*w, reinterpret_cast<const char *>(lp));
        return TRUE;
    case WM_GETTEXT:
        return default_gettext(*w, wp, lp);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        return default_syscommand(hwnd, wp);
    case WM_QUERYOPEN:
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && !IsIconic(hwnd)) SetFocus(hwnd);
        return 0;
    default:
        return 0;
    }
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
    if (!enable && (state().focus == hwnd || IsChild(hwnd, state().focus))) set_focus_raw(nullptr);
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

int WINAPI GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
    Window *w = checked_window(hwnd);
    if (!w) return 0;
    if (!buffer || size <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    size_t n = std::min(w->cls->name.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, w->cls->name.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
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

HWND WINAPI SetFocus(HWND hwnd) {
    HWND old = state().focus;
    if (!hwnd) {
        set_focus_raw(nullptr);
        return old;
    }
    if (!find_window(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HWND top = top_level_of(hwnd);
    if (top != state().active) activate(top);
    set_focus_raw(hwnd);
    return old;
}

HWND WINAPI GetFocus(void) { return state().focus; }

HWND WINAPI SetActiveWindow(HWND hwnd) {
    HWND old = state().active;
    Window *w = find_window(hwnd);
    if (hwnd && !w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (w && is_child(*w)) return nullptr;
    activate(hwnd);
    return old;
}

HWND WINAPI GetActiveWindow(void) { return state().active; }

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
    if (!find_window(hwnd)) return FALSE;
    HWND top = top_level_of(hwnd);
    state().foreground = top;
    activate(top);
    return TRUE;
}

HWND WINAPI GetForegroundWindow(void) { return state().foreground ? state().foreground : state().active; }

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove) {
    if (!msg) return FALSE;
    return retrieve(*msg, hwnd, first, last, (remove & PM_REMOVE) != 0);
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (hwnd && !find_window(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    while (!retrieve(*msg, hwnd, first, last, true)) idle();
    return msg->message != WM_QUIT;
}

BOOL WINAPI TranslateMessage(const MSG *msg) {
    if (!msg || msg->message != WM_KEYDOWN) return FALSE;
    WPARAM vk = msg->wParam;
    char ch = 0;
    if (vk == VK_RETURN) ch = '\r';
    if (vk == VK_ESCAPE) ch = 0x1B;
    if (vk == VK_TAB) ch = '\t';
    if (vk == VK_SPACE) ch = ' ';
    if (vk >= '0' && vk <= '9') ch = static_cast<char>(vk);
    if (vk >= 'A' && vk <= 'Z') ch = static_cast<char>(shift_down() ? vk : vk + 0x20);
    if (!ch) return FALSE;
    post(msg->hwnd, WM_CHAR, static_cast<unsigned char>(ch), msg->lParam);
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg->hwnd) return 0;
    Window *w = find_window(msg->hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CallWindowProcA(w->proc, msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (hwnd && !find_window(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    post(hwnd, msg, wp, lp);
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window *w = checked_window(hwnd);
    if (!w) return 0;
    return CallWindowProcA(w->proc, hwnd, msg, wp, lp);
}

void WINAPI PostQuitMessage(int code) {
    state().quit_posted = true;
    state().quit_code = code;
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

SHORT WINAPI GetKeyState(int key) { return key == VK_SHIFT && shift_down() ? static_cast<SHORT>(0x8000) : 0; }

}  // extern "C"
