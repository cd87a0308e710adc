// reset.cpp - the one place that returns the host to a fresh process's state,
// and the list of what a finished piece of work left running. Tests run many
// cases in one process; without this, one case's windows, timers or fail rules
// would change the next. A new area with process state adds its reset here.
#include "frontend.h"
#include "kernel_objects.h"
#include "window_model.h"

#include <cstdio>

namespace w32h {
namespace {

std::string hex(uintptr_t value) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(value));
    return buf;
}

std::string window_name(HWND hwnd) {
    if (!hwnd) return "no window";
    if (!find_window(hwnd)) return "destroyed window " + hex(reinterpret_cast<uintptr_t>(hwnd));
    return describe_window(hwnd);
}

std::string windows_left() {
    std::string out;
    for (HWND hwnd : top_level_windows()) out += (out.empty() ? "" : ", ") + window_name(hwnd);
    return out;
}

std::string messages_left() {
    std::string out;
    for (const MSG &m : posted_messages())
        out += (out.empty() ? "" : ", ") + hex(m.message) + " to " + window_name(m.hwnd);
    return out;
}

std::string timers_left() {
    std::string out;
    for (auto [hwnd, id] : running_timers())
        out += (out.empty() ? "" : ", ") + std::to_string(id) + " of " + window_name(hwnd);
    return out;
}

void add_line(std::string &out, const char *kind, const std::string &items) {
    if (!items.empty()) out += std::string(kind) + ": " + items + "\n";
}

}  // namespace

void reset_host() {
    reset_window_manager();
    reset_timers();
    reset_icons();
    reset_global_heap();
    reset_kernel_objects();
    reset_printer_handles();
    reset_fail_rules();
    reset_frontend();
    transcript_close();
    reset_config();
    reset_clock();
    command_line_buffer().clear();
    SetLastError(ERROR_SUCCESS);
}

std::string host_leftovers() {
    std::string out;
    add_line(out, "windows", windows_left());
    add_line(out, "posted messages", messages_left());
    add_line(out, "timers", timers_left());
    add_line(out, "handles", open_handles());
    add_line(out, "printer handles", printer_handles_left());
    return out;
}

}  // namespace w32h
