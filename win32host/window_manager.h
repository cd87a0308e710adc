// window_manager.h - the window manager's own state and the helpers that its
// files share: window classes, windows, the message queue, focus and
// activation, and the default window procedure. Other areas see windows only
// through window_model.h.
#pragma once

#include "window_model.h"

#include <deque>
#include <map>

namespace w32h {

struct WindowManager {
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
    std::unique_ptr<Window> desktop;  // made on first use (windows.cpp)
};

WindowManager &window_manager();

inline bool is_child(const Window &w) { return (w.style & WS_CHILD) != 0; }

// ---- window_classes.cpp ---------------------------------------------------------

// Class names compare case-insensitively, as Windows compares them.
bool same_name(const std::string &a, const char *b);
// The name of a class given by name or by atom ("#N" for an unknown atom).
std::string class_name_of(LPCSTR name);

// ---- windows.cpp ------------------------------------------------------------------

// The top-level window that a window belongs to (the window itself when it is
// not a child).
HWND top_level_of(HWND hwnd);

// ---- window_menu.cpp --------------------------------------------------------------

// A new window menu: its six commands, all enabled.
std::vector<MenuItem> standard_window_menu();

// ---- focus.cpp ----------------------------------------------------------------------

// Moves the focus without activating, sending WM_KILLFOCUS and WM_SETFOCUS.
void set_focus_raw(HWND hwnd);
// Makes a top-level window the active one, sending WM_ACTIVATE to both.
void activate(HWND hwnd);

}  // namespace w32h
