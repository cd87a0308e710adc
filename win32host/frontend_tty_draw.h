// frontend_tty_draw.h - what the terminal front-end draws with
// (frontend_tty_draw.cpp): colours, or attributes alone on a monochrome
// terminal; dialogs and message boxes from their layout, noting where a click
// lands; the window menu and the status line.
#pragma once

#include "tty_layout.h"
#include "window_model.h"

#include <string>
#include <utility>
#include <vector>

// Functions rather than macros, so that curses names such as erase() and
// timeout() cannot collide with the standard library's members.
#define NCURSES_WIDECHAR 1
#define NCURSES_NOMACROS 1
#include <curses.h>

namespace w32h::tty {

struct Palette {
    attr_t desktop = A_NORMAL;
    attr_t dialog = A_NORMAL;
    attr_t caption = A_REVERSE;
    attr_t caption_inactive = A_NORMAL;
    attr_t highlight = A_REVERSE;  // focus, selection, filled progress
    attr_t icon = A_BOLD;
    attr_t status = A_REVERSE;
};

// Colours when the terminal has them; else reverse video marks the focus,
// the selection and the title bar, and bold the default button.
Palette make_palette();

// Screen cells [top, bottom) x [left, right).
struct Area {
    int top, left, bottom, right;
};

// What a mouse click can reach: a push button, or one entry of a list box.
struct Target {
    Area area;
    HWND dialog;
    HWND control;
    int item;  // the list entry; -1 for a button
};

struct WindowMenu {
    bool open = false;
    std::vector<std::pair<UINT, bool>> items;  // command, enabled
    int selected = -1;

    // The next enabled item from selected going by step, wrapping; -1 when none.
    int next_enabled(int from, int step) const {
        int n = static_cast<int>(items.size());
        for (int k = 1; k <= n; ++k) {
            int i = ((from + step * k) % n + n) % n;
            if (items[static_cast<size_t>(i)].second) return i;
        }
        return -1;
    }
};

Window *shown_dialog(HWND hwnd);
// The visible controls of a dialog, in creation order: the items of its layout.
std::vector<Window *> shown_controls(const Window &dialog);
bool is_push_button(const Window &w);

// Centred in the area whatever its position on the emulated screen; a box
// larger than the area keeps its top left corner on the screen.
void draw_dialog(const Area &area, const Window &w, const DialogPlan &plan, const Palette &pal,
                 std::vector<Target> &targets);
// Just above the status line, at the left, where a taskbar menu opens.
void draw_menu(const Area &screen_area, const WindowMenu &menu, bool french, const Palette &pal);
// The main window as its taskbar button: the title, and the keys that work
// now. When a box does not fit, the line says so and how big the terminal
// must be instead.
void draw_status(const Area &screen_area, const std::string &hint, const std::string &warning, const Palette &pal);
// The status line's words for a terminal smaller than a box needs.
std::string too_small_text(int cols, int rows, int need_cols, int need_rows, bool french);

}  // namespace w32h::tty
