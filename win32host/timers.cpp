// timers.cpp - SetTimer and KillTimer. A timer comes due on the host clock
// (real or virtual) and is delivered as WM_TIMER when the queue has nothing
// else, at most one pending per timer, as Windows does; a timer procedure
// given to SetTimer travels in lParam and DispatchMessageA calls it.
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

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (injected_failure("SetTimer", ERROR_NO_TIMER_RESOURCES)) return 0;
    if (hwnd && !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    if (!hwnd) id = next_thread_timer_id--;
    uint64_t due = clock_now() + elapse;
    for (Timer &t : timers())
        if (t.hwnd == hwnd && t.id == id) {
            t = Timer{hwnd, id, elapse, proc, due};
            return hwnd ? (id ? id : 1) : id;
        }
    timers().push_back(Timer{hwnd, id, elapse, proc, due});
    return hwnd ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
    if (injected_failure("KillTimer", ERROR_INVALID_PARAMETER)) return FALSE;
    auto &t = timers();
    auto it = std::find_if(t.begin(), t.end(), [&](const Timer &x) { return x.hwnd == hwnd && x.id == id; });
    if (it == t.end()) {
        SetLastError(hwnd && !IsWindow(hwnd) ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    t.erase(it);
    // A WM_TIMER already taken from the queue is gone; none waits in the
    // queue itself, since timers are only generated when it is read.
    return TRUE;
}

}  // extern "C"
