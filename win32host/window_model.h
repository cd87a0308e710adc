// window_model.h - the window manager's internal state, shared by the files
// of the user-interface areas (windows, timers, dialogs, controls, message
// boxes) and read by the front-ends and the transcript. One thread, as in the
// program: nothing here is locked.
#pragma once

#include "host.h"

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace w32h {

struct WindowClass {
    std::string name;  // as registered; compared case-insensitively
    UINT style = 0;
    WNDPROC proc = nullptr;
    int class_extra = 0;
    int window_extra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    bool system = false;  // predefined control classes, found for any instance
    ATOM atom = 0;
};

// Per-class state of a control window; each control file derives its own.
struct ControlState {
    virtual ~ControlState() = default;
};

struct DialogState;  // dialogs.cpp and defdlg.cpp

struct MenuItem {
    UINT command;
    UINT state;  // MF_ENABLED, MF_GRAYED, MF_DISABLED
};

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> cls;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    HWND parent = nullptr;  // WS_CHILD windows
    HWND owner = nullptr;   // owned top-level windows
    DWORD style = 0;
    DWORD ex_style = 0;
    LONG_PTR id = 0;  // GWL_ID of a child
    LONG_PTR user_data = 0;
    std::string text;            // ANSI
    RECT rect{};                 // children: parent's client coordinates; others: screen
    std::vector<HWND> children;  // creation order, which is the tab order
    std::vector<BYTE> extra;
    std::unique_ptr<DialogState> dialog;
    std::unique_ptr<ControlState> control;
    std::vector<MenuItem> system_menu;
    bool destroying = false;
};

// ---- windows.cpp --------------------------------------------------------------

Window *find_window(HWND hwnd);  // nullptr for a handle that is not a window
// The same for workers: an unknown handle fails the entry point with
// ERROR_INVALID_WINDOW_HANDLE (api.h).
Window &window_or_fail(HWND hwnd);
// Copies text into a buffer of size (at least 1) characters, cut to size - 1
// and ended with a NUL, as Windows' text getters do; returns the characters
// copied.
int copy_truncated(const std::string &text, char *buffer, int size);
// The program's main window: the first top-level window that is neither a
// dialog nor a message box.
HWND main_window();
// Top-level windows in creation order.
std::vector<HWND> top_level_windows();

// ---- window_pos.cpp -----------------------------------------------------------

// Left, top, right and bottom widths of the frame and caption of a style.
RECT nonclient_insets(DWORD style, DWORD ex_style);
RECT client_rect_in_screen(const Window &w);

// ---- window_classes.cpp ---------------------------------------------------------

std::shared_ptr<WindowClass> find_class(const char *name, HINSTANCE instance);
void register_system_class(const WindowClass &cls);

// ---- message_queue.cpp ----------------------------------------------------------

// State of the shift key as the message loop has seen it, for Shift+Tab.
bool shift_down();

// Modal elements (dialogs and message boxes) in nesting order.
void push_modal(HWND hwnd);
void pop_modal(HWND hwnd);
HWND innermost_modal();
// The window that waits for the user when the message loop is idle: the
// innermost modal element unless it has a timer of its own running, else the
// main window when no timer at all is running; nullptr when only time is
// awaited.
HWND waiting_window();
// Drops the messages posted to a window, as Windows does when it destroys it.
void discard_posted_messages(HWND hwnd);
// The messages waiting in the queue, oldest first.
std::vector<MSG> posted_messages();
// Forgets every window, program class and queued message, and focus and
// activation; the system classes stay.
void reset_window_manager();

// ---- timers.cpp -----------------------------------------------------------------

bool any_timer();
bool window_has_timer(HWND hwnd);
std::optional<uint64_t> next_timer_due();
// Fills msg with the WM_TIMER of a due timer; when removing, re-arms it.
bool take_due_timer(MSG &msg, HWND filter, bool remove);
void kill_window_timers(HWND hwnd);
void reset_timers();
// The window and id of every running timer.
std::vector<std::pair<HWND, UINT_PTR>> running_timers();

// ---- dialogs.cpp ----------------------------------------------------------------

struct DialogState {
    DLGPROC proc = nullptr;
    LONG_PTR msg_result = 0;  // DWLP_MSGRESULT
    LONG_PTR user = 0;        // DWLP_USER
    INT_PTR result = 0;
    bool ended = false;
    bool shown = false;
    std::optional<WORD> template_id;  // numbered templates
    std::string template_name;        // named templates
    int base_x = 6;                   // dialog base units in pixels
    int base_y = 13;
    WORD default_id = 0;  // DM_SETDEFID, else the template's default button
    HWND saved_focus = nullptr;
    bool message_box = false;
    UINT box_type = 0;  // MB_* of a message box
};

DialogState *dialog_state(HWND hwnd);
// "main", "dialog 600", "messagebox", "none" or "window": how the transcript
// names a window.
std::string window_label(HWND hwnd);
void register_dialog_class();
// The control a dialog gives the focus to: its first tab stop, else the first
// control of its first group.
HWND first_dialog_control(HWND dialog);

// ---- defdlg.cpp ---------------------------------------------------------------

// What a control answers to WM_GETDLGCODE (DLGC_*); 0 for no window.
UINT dialog_code(HWND hwnd);
// Moves the focus to a control as the dialog manager does for Tab and clicks,
// moving the default-button style with it.
void dialog_focus_control(HWND dialog, HWND control);

// ---- controls.cpp ---------------------------------------------------------------

void register_control_classes();
void register_common_control_classes();
// A message only win32host sends to a list box: the user picked an entry with
// the mouse (wParam = index).
constexpr UINT WM_HOST_PICKITEM = 0x03F0;
std::optional<std::vector<std::string>> listbox_items(HWND hwnd);
int listbox_selection(HWND hwnd);
int listbox_top_index(HWND hwnd);
// The entry with the focus rectangle, which arrows move from; 0 at first.
int listbox_caret(HWND hwnd);
std::optional<std::pair<int, int>> progress_state(HWND hwnd);  // position, maximum
std::optional<std::pair<int, int>> progress_range(HWND hwnd);  // minimum, maximum
std::optional<WORD> static_icon_id(HWND hwnd);

// ---- icons.cpp --------------------------------------------------------------------

// The resource number of an icon that LoadIconA loaded from the program.
std::optional<WORD> icon_resource_id(HICON icon);
void reset_icons();

}  // namespace w32h
