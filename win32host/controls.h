// controls.h - what the control window procedures share (controls.cpp): the
// state a control keeps in its window, its style, the notification it sends
// its parent and the focus it takes from the mouse, and the system classes
// they are registered as. Other areas see controls through window_model.h.
#pragma once

#include "window_model.h"

namespace w32h {

// The control's own state, made on first use.
template <class T>
T *control_of(HWND hwnd) {
    Window *w = find_window(hwnd);
    if (!w) return nullptr;
    if (!w->control) w->control = std::make_unique<T>();
    return dynamic_cast<T *>(w->control.get());
}

DWORD style_of(HWND hwnd);
// WM_COMMAND with the control's id and code to its parent.
void notify_parent(HWND hwnd, WORD code);
// A control that takes the focus from the mouse goes through the dialog
// manager, so that the default button follows it as it does on Windows.
void take_focus(HWND hwnd);
WindowClass system_class(const char *name, WNDPROC proc, ATOM atom);
// The window is of the class whose procedure is proc.
bool has_class(HWND hwnd, WNDPROC proc);

// ---- listbox.cpp ------------------------------------------------------------

LRESULT CALLBACK listbox_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace w32h
