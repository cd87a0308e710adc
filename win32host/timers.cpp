// timers.cpp - SetTimer and KillTimer. A timer comes due on the host clock
// (real or virtual) and is delivered as WM_TIMER when the queue has nothing
// else, at most one pending per timer, as Windows does; a timer procedure
// given to SetTimer travels in lParam and DispatchMessageA calls it.
#include "api.h"
#include "window_model.h"

#include <algorithm>

namespace w32h {
namespace {

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    uint64_t due;
};

std::vector<Timer> &timers() {
    static std::vector<Timer> t;
    return t;
}

UINT_PTR next_thread_timer_id = 0x7FFE;

// Arms or re-arms a timer; returns its id as SetTimer does (1 for a window's
// timer 0, a fresh id for a thread timer).
UINT_PTR set_timer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    if (!hwnd) id = next_thread_timer_id--;
    Timer timer{hwnd, id, elapse, proc, clock_now() + elapse};
    auto &t = timers();
    auto it = std::find_if(t.begin(), t.end(), [&](const Timer &x) { return x.hwnd == hwnd && x.id == id; });
    if (it != t.end())
        *it = timer;
    else
        t.push_back(timer);
    return hwnd ? (id ? id : 1) : id;
}

}  // namespace

void reset_timers() {
    timers().clear();
    next_thread_timer_id = 0x7FFE;
}

std::vector<std::pair<HWND, UINT_PTR>> running_timers() {
    std::vector<std::pair<HWND, UINT_PTR>> out;
    for (const Timer &t : timers()) out.emplace_back(t.hwnd, t.id);
    return out;
}

bool any_timer() { return !timers().empty(); }

bool window_has_timer(HWND hwnd) {
    return std::any_of(timers().begin(), timers().end(), [&](const Timer &t) { return t.hwnd == hwnd; });
}

std::optional<uint64_t> next_timer_due() {
    std::optional<uint64_t> due;
    for (const Timer &t : timers())
        if (!due || t.due < *due) due = t.due;
    return due;
}

bool take_due_timer(MSG &msg, HWND filter, bool remove) {
    uint64_t now = clock_now();
    Timer *best = nullptr;
    for (Timer &t : timers()) {
        if (t.due > now) continue;
        if (filter && t.hwnd != filter && !IsChild(filter, t.hwnd)) continue;
        if (!best || t.due < best->due) best = &t;
    }
    if (!best) return false;
    msg = MSG{};
    msg.hwnd = best->hwnd;
    msg.message = WM_TIMER;
    msg.wParam = best->id;
    msg.lParam = reinterpret_cast<LPARAM>(best->proc);
    msg.time = static_cast<DWORD>(now);
    if (remove) best->due = now + best->elapse;
    return true;
}

void kill_window_timers(HWND hwnd) {
    std::erase_if(timers(), [&](const Timer &t) { return t.hwnd == hwnd; });
}

}  // namespace w32h

using namespace w32h;

extern "C" {

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    return entry_point<UINT_PTR>(0, [&]() -> UINT_PTR {
        if (injected_failure("SetTimer", ERROR_NO_TIMER_RESOURCES)) return 0;
        if (hWnd) window_or_fail(hWnd);
        return set_timer(hWnd, nIDEvent, uElapse, lpTimerFunc);
    });
}

// A WM_TIMER already taken from the queue is gone; none waits in the queue
// itself, since timers are only generated when it is read.
BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    return entry_point(FALSE, [&]() -> BOOL {
        if (injected_failure("KillTimer", ERROR_INVALID_PARAMETER)) return FALSE;
        auto &t = timers();
        auto it = std::find_if(t.begin(), t.end(), [&](const Timer &x) { return x.hwnd == hWnd && x.id == uIDEvent; });
        if (it == t.end())
            fail_with(hWnd && !find_window(hWnd) ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        t.erase(it);
        return TRUE;
    });
}

}  // extern "C"
