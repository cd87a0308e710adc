// time.cpp - the host clock behind GetTickCount, Sleep and the timers: the
// real monotonic clock, or a virtual one in which waiting takes no real time,
// so that scripted runs are fast and repeatable.
#include "api.h"

#include <chrono>
#include <thread>

namespace w32h {
namespace {

using steady = std::chrono::steady_clock;

// GetTickCount counts from the start of Windows; a run does not begin at 0.
constexpr uint64_t boot_offset = 3'600'000;

// Taken as the process starts, so that times count from the start even when
// the clock is first read later.
const steady::time_point process_start = steady::now();

steady::time_point start_time() { return process_start; }

uint64_t virtual_now = 0;

}  // namespace

void reset_clock() { virtual_now = 0; }

bool clock_is_virtual() { return config().clock == ClockMode::virtual_; }

uint64_t clock_now() {
    if (clock_is_virtual()) return virtual_now;
    auto elapsed = steady::now() - start_time();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void clock_wait_until(uint64_t moment) {
    if (clock_is_virtual()) {
        if (moment > virtual_now) virtual_now = moment;
        return;
    }
    std::this_thread::sleep_until(start_time() + std::chrono::milliseconds(moment));
}

}  // namespace w32h

extern "C" {

void WINAPI Sleep(DWORD dwMilliseconds) {
    w32h::entry_point_void([&] { w32h::clock_wait_until(w32h::clock_now() + dwMilliseconds); });
}

DWORD WINAPI GetTickCount(void) {
    return w32h::entry_point<DWORD>(0, [] { return static_cast<DWORD>(w32h::clock_now() + w32h::boot_offset); });
}

}  // extern "C"
