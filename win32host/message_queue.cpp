// message_queue.cpp - the message queue and the message loop: posting,
// retrieval in Windows' order (posted messages, then WM_QUIT, then timers),
// dispatch and sending, the keyboard state the loop has seen, and the modal
// elements. The loop's idle moments are where the front-end (terminal or
// script) brings in the user and lets time pass.
#include "api.h"
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

// The character a key gives, as the keyboard of an English user types it; 0
// for keys without one.
// Limits: only the keys the front-ends produce are translated.
char character_of(WPARAM vk) {
    if (vk == VK_RETURN) return '\r';
    if (vk == VK_ESCAPE) return 0x1B;
    if (vk == VK_TAB) return '\t';
    if (vk == VK_SPACE) return ' ';
    if (vk >= '0' && vk <= '9') return static_cast<char>(vk);
    if (vk >= 'A' && vk <= 'Z') return static_cast<char>(shift_down() ? vk : vk + 0x20);
    return 0;
}

LRESULT dispatch(const MSG &msg) {
    if (msg.message == WM_TIMER && msg.lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg.lParam);
        proc(msg.hwnd, WM_TIMER, msg.wParam, GetTickCount());
        return 0;
    }
    if (!msg.hwnd) return 0;
    const Window &w = window_or_fail(msg.hwnd);
    return CallWindowProcA(w.proc, msg.hwnd, msg.message, msg.wParam, msg.lParam);
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

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return entry_point<LRESULT>(
        0, [&]() -> LRESULT { return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0; });
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    return entry_point(FALSE, [&]() -> BOOL {
        if (!lpMsg) return FALSE;
        return retrieve(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0);
    });
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    return entry_point(-1, [&]() -> BOOL {
        if (!lpMsg) fail_with(ERROR_INVALID_PARAMETER);
        if (hWnd) window_or_fail(hWnd);
        while (!retrieve(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true)) idle();
        return lpMsg->message != WM_QUIT;
    });
}

BOOL WINAPI TranslateMessage(const MSG *lpMsg) {
    return entry_point(FALSE, [&]() -> BOOL {
        if (!lpMsg || lpMsg->message != WM_KEYDOWN) return FALSE;
        char ch = character_of(lpMsg->wParam);
        if (!ch) return FALSE;
        post(lpMsg->hwnd, WM_CHAR, static_cast<unsigned char>(ch), lpMsg->lParam);
        return TRUE;
    });
}

LRESULT WINAPI DispatchMessageA(const MSG *lpMsg) {
    return entry_point<LRESULT>(0, [&]() -> LRESULT { return lpMsg ? dispatch(*lpMsg) : 0; });
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return entry_point(FALSE, [&]() -> BOOL {
        if (hWnd) window_or_fail(hWnd);
        post(hWnd, Msg, wParam, lParam);
        return TRUE;
    });
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return entry_point<LRESULT>(0, [&]() -> LRESULT {
        const Window &w = window_or_fail(hWnd);
        return CallWindowProcA(w.proc, hWnd, Msg, wParam, lParam);
    });
}

void WINAPI PostQuitMessage(int nExitCode) {
    entry_point_void([&] {
        window_manager().quit_posted = true;
        window_manager().quit_code = nExitCode;
    });
}

SHORT WINAPI GetKeyState(int nVirtKey) {
    return entry_point<SHORT>(
        0, [&]() -> SHORT { return nVirtKey == VK_SHIFT && shift_down() ? static_cast<SHORT>(0x8000) : 0; });
}

}  // extern "C"
