// message_queue.cpp - the message queue and the message loop: posting,
// retrieval in Windows' order (posted messages, then WM_QUIT, then timers),
// dispatch and sending, the keyboard state the loop has seen, and the modal
// elements. The loop's idle moments are where the front-end (terminal or
// script) brings in the user and lets time pass.
#include "frontend.h"
#include "window_manager.h"

namespace w32h {
namespace {

void post(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    MSG m{};
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wp;
    m.lParam = lp;
    m.time = GetTickCount();
    window_manager().queue.push_back(m);
}

bool matches(const MSG &m, HWND filter, UINT first, UINT last) {
    if (filter && m.hwnd != filter && !IsChild(filter, m.hwnd)) return false;
    if (first == 0 && last == 0) return true;
    return m.message >= first && m.message <= last;
}

void track_keys(const MSG &m) {
    if (m.wParam != VK_SHIFT) return;
    if (m.message == WM_KEYDOWN) window_manager().shift = true;
    if (m.message == WM_KEYUP) window_manager().shift = false;
}

// Looks for a message in the order Windows delivers them: posted messages,
// then the quit message, then timers.
bool retrieve(MSG &out, HWND filter, UINT first, UINT last, bool remove) {
    auto &q = window_manager().queue;
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (!matches(*it, filter, first, last)) continue;
        out = *it;
        if (remove) {
            q.erase(it);
            track_keys(out);
        }
        return true;
    }
    if (window_manager().quit_posted && (first == 0 || (first <= WM_QUIT && WM_QUIT <= last))) {
        out = MSG{};
        out.message = WM_QUIT;
        out.wParam = static_cast<WPARAM>(window_manager().quit_code);
        if (remove) window_manager().quit_posted = false;
        return true;
    }
    if (first == 0 || (first <= WM_TIMER && WM_TIMER <= last)) return take_due_timer(out, filter, remove);
    return false;
}

void idle() {
    HWND waiting = waiting_window();
    frontend().idle(waiting, next_timer_due());
}

}  // namespace

void discard_posted_messages(HWND hwnd) {
    std::erase_if(window_manager().queue, [&](const MSG &m) { return m.hwnd == hwnd; });
}

std::vector<MSG> posted_messages() {
    const auto &q = window_manager().queue;
    return std::vector<MSG>(q.begin(), q.end());
}

bool shift_down() { return window_manager().shift; }

void push_modal(HWND hwnd) { window_manager().modal.push_back(hwnd); }

void pop_modal(HWND hwnd) { std::erase(window_manager().modal, hwnd); }

HWND innermost_modal() {
    auto &m = window_manager().modal;
    for (auto it = m.rbegin(); it != m.rend(); ++it)
        if (find_window(*it)) return *it;
    return nullptr;
}

HWND waiting_window() {
    if (HWND modal = innermost_modal()) return window_has_timer(modal) ? nullptr : modal;
    if (any_timer()) return nullptr;
    return find_window(window_manager().main) ? window_manager().main : nullptr;
}

}  // namespace w32h

using namespace w32h;

extern "C" {

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return proc ? proc(hwnd, msg, wp, lp) : 0;
}

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
    window_manager().quit_posted = true;
    window_manager().quit_code = code;
}

SHORT WINAPI GetKeyState(int key) { return key == VK_SHIFT && shift_down() ? static_cast<SHORT>(0x8000) : 0; }

}  // extern "C"
