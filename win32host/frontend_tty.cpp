// frontend_tty.cpp - the terminal front-end: draws the visible dialogs and
// message boxes with ncurses, centred, from their controls (laid out by
// tty_layout so that every text shows whole), the minimised main window as a
// status line with its window menu, and turns the keys and mouse clicks people
// make into the input Windows would deliver. Redraws are throttled, as
// progress bars change often.
#include "frontend.h"
#include "frontend_tty.h"
#include "tty_layout.h"
#include "window_model.h"

#include <commctrl.h>
#include <poll.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <map>

// Functions rather than macros, so that curses names such as erase() and
// timeout() cannot collide with the standard library's members.
#define NCURSES_WIDECHAR 1
#define NCURSES_NOMACROS 1
#include <curses.h>

namespace w32h {
namespace {

using namespace tty;
using steady = std::chrono::steady_clock;

// At most one full redraw per interval while the program runs without idling
// (a copy advancing its progress bar); idle() always brings the screen up to date.
constexpr auto redraw_interval = std::chrono::milliseconds(50);

struct Palette {
    attr_t desktop = A_NORMAL;
    attr_t dialog = A_NORMAL;
    attr_t caption = A_REVERSE;
    attr_t caption_inactive = A_NORMAL;
    attr_t highlight = A_REVERSE;  // focus, selection, filled progress
    attr_t icon = A_BOLD;
    attr_t status = A_REVERSE;
};

attr_t pair(short n, short fg, short bg) {
    init_pair(n, fg, bg);
    return static_cast<attr_t>(COLOR_PAIR(n));
}

Palette make_palette() {
    Palette p;
    if (!has_colors() || start_color() == ERR || COLORS < 8) return p;
    p.desktop = pair(1, COLOR_WHITE, COLOR_CYAN);
    p.dialog = pair(2, COLOR_BLACK, COLOR_WHITE);
    p.caption = pair(3, COLOR_WHITE, COLOR_BLUE) | A_BOLD;
    p.caption_inactive = pair(4, COLOR_WHITE, COLOR_BLACK);
    p.highlight = pair(5, COLOR_WHITE, COLOR_BLUE) | A_BOLD;
    p.icon = pair(6, COLOR_RED, COLOR_WHITE);
    p.status = p.dialog;  // the taskbar
    return p;
}

// Screen cells [top, bottom) x [left, right).
struct Area {
    int top, left, bottom, right;
};

Area intersect(const Area &a, const Area &b) {
    return Area{std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom),
                std::min(a.right, b.right)};
}

// Drawing relative to an origin, clipped to an area, so that no window or
// control, however large or misplaced, writes outside the terminal.
class Canvas {
public:
    Canvas(int row, int col, Area clip) : row_(row), col_(col), clip_(clip) {}

    Canvas inner(const CellRect &r) const {
        int top = row_ + r.row, left = col_ + r.col;
        return Canvas(top, left, intersect(clip_, Area{top, left, top + r.rows, left + r.cols}));
    }

    void text(int row, int col, std::string_view ansi, attr_t attr) const { put(row, col, to_wide(ansi), attr); }

    void put(int row, int col, std::wstring_view wide, attr_t attr) const {
        int y = row_ + row, x = col_ + col;
        if (y < clip_.top || y >= clip_.bottom) return;
        size_t skip = x < clip_.left ? static_cast<size_t>(clip_.left - x) : 0;
        if (skip >= wide.size()) return;
        x += static_cast<int>(skip);
        int room = clip_.right - x;
        if (room <= 0) return;
        std::wstring part(wide.substr(skip, static_cast<size_t>(room)));
        wattrset(stdscr, static_cast<int>(attr));
        mvaddnwstr(y, x, part.c_str(), static_cast<int>(part.size()));
    }

    void glyph(int row, int col, chtype ch, attr_t attr) const {
        int y = row_ + row, x = col_ + col;
        if (y < clip_.top || y >= clip_.bottom || x < clip_.left || x >= clip_.right) return;
        // The window's own attributes would be added to the character's.
        wattrset(stdscr, A_NORMAL);
        mvaddch(y, x, ch | attr);
    }

    void fill(const CellRect &r, chtype ch, attr_t attr) const {
        for (int i = 0; i < r.rows; ++i)
            for (int j = 0; j < r.cols; ++j) glyph(r.row + i, r.col + j, ch, attr);
    }

    void frame(const CellRect &r, attr_t attr) const {
        if (r.rows < 2 || r.cols < 2) return;
        int bottom = r.row + r.rows - 1, right = r.col + r.cols - 1;
        fill(CellRect{r.row, r.col, 1, r.cols}, ACS_HLINE, attr);
        fill(CellRect{bottom, r.col, 1, r.cols}, ACS_HLINE, attr);
        fill(CellRect{r.row, r.col, r.rows, 1}, ACS_VLINE, attr);
        fill(CellRect{r.row, right, r.rows, 1}, ACS_VLINE, attr);
        glyph(r.row, r.col, ACS_ULCORNER, attr);
        glyph(r.row, right, ACS_URCORNER, attr);
        glyph(bottom, r.col, ACS_LLCORNER, attr);
        glyph(bottom, right, ACS_LRCORNER, attr);
    }

    // The screen cells of r, as far as they are shown.
    Area area(const CellRect &r) const {
        int top = row_ + r.row, left = col_ + r.col;
        return intersect(clip_, Area{top, left, top + r.rows, left + r.cols});
    }

private:
    int row_, col_;
    Area clip_;
};

// What a mouse click can reach: a push button, or one entry of a list box.
struct Target {
    Area area;
    HWND dialog;
    HWND control;
    int item;  // the list entry; -1 for a button
};

// ---- controls ------------------------------------------------------------------

struct ControlView {
    const Window &w;
    CellRect r;  // in the dialog's client cells
    Canvas cv;   // origin at the control's top left, clipped to it
    bool focused;
    attr_t normal;  // the dialog's colours, dimmed when disabled
};

bool class_is(const Window &w, const char *name) { return w.cls && strcasecmp(w.cls->name.c_str(), name) == 0; }

bool is_push_button(const Window &w) {
    DWORD type = w.style & BS_TYPEMASK;
    return class_is(w, "Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

// Limits: the icon is a red block whatever the icon resource holds.
void draw_icon(const ControlView &c, const Palette &pal) {
    if (!static_icon_id(c.w.handle)) return;
    int cols = std::min(4, c.r.cols), rows = std::min(2, c.r.rows);
    c.cv.fill(CellRect{0, 0, 1, cols}, ACS_BLOCK, pal.icon);
    c.cv.fill(CellRect{1, 0, rows - 1, cols}, ACS_CKBOARD, pal.icon);
}

std::string shown_text(const Window &w) { return (w.style & SS_NOPREFIX) ? w.text : strip_mnemonics(w.text); }

// Limits: SS_BLACKRECT and the other frame, rectangle and bitmap styles
// draw nothing.
void draw_static(const ControlView &c, const Palette &pal) {
    DWORD type = c.w.style & SS_TYPEMASK;
    if (type == SS_ICON) return draw_icon(c, pal);
    std::string text = shown_text(c.w);
    if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) {
        std::string first = text.substr(0, text.find_first_of("\r\n"));
        c.cv.text(0, 0, one_line(first, static_cast<int>(first.size())), c.normal);
        return;
    }
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) return;
    Align align = type == SS_CENTER ? Align::centre : type == SS_RIGHT ? Align::right : Align::left;
    auto lines = wrap_text(text, c.r.cols, c.r.rows);
    for (size_t i = 0; i < lines.size(); ++i) {
        int col = aligned_column(static_cast<int>(lines[i].size()), c.r.cols, align);
        c.cv.text(static_cast<int>(i), col, lines[i], c.normal);
    }
}

// "[ Yes ]" centred in the button, the same in every box; the default
// button "< Yes >" in bold, the focused one highlighted (reverse video
// without colours), its mnemonic underlined.
void draw_push_button(const ControlView &c, bool is_default, const Palette &pal) {
    if (c.r.cols < 2) return;
    std::string label = one_line(strip_mnemonics(c.w.text), std::max(1, c.r.cols - 4));
    std::string face = button_face(label, is_default);
    int col = aligned_column(static_cast<int>(face.size()), c.r.cols, Align::centre);
    int row = (c.r.rows - 1) / 2;
    attr_t attr = (c.focused ? pal.highlight : c.normal) | (is_default ? A_BOLD : A_NORMAL);
    c.cv.text(row, col, face, attr);
    int key = mnemonic_position(c.w.text);
    if (key >= 0 && key < static_cast<int>(label.size()))
        c.cv.text(row, col + 2 + key, std::string(1, label[static_cast<size_t>(key)]), attr | A_UNDERLINE);
}

// A frame, or a line when the box is too low for one, with the text on top.
void draw_group_box(const ControlView &c) {
    if (c.r.rows >= 3)
        c.cv.frame(CellRect{0, 0, c.r.rows, c.r.cols}, c.normal);
    else
        c.cv.fill(CellRect{0, 0, 1, c.r.cols}, ACS_HLINE, c.normal);
    std::string label = strip_mnemonics(c.w.text);
    if (!label.empty()) c.cv.text(0, 1, one_line(" " + label + " ", c.r.cols - 2), c.normal);
}

// Limits: check boxes and radio buttons show their text without a state.
void draw_button(const ControlView &c, const Palette &pal) {
    DWORD type = c.w.style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) return draw_push_button(c, type == BS_DEFPUSHBUTTON, pal);
    if (type == BS_GROUPBOX) return draw_group_box(c);
    c.cv.text(0, 0, one_line("[ ] " + strip_mnemonics(c.w.text), c.r.cols), c.normal);
}

void draw_scroll_thumb(const ControlView &c, const CellRect &in, int count, int top) {
    int thumb = scroll_thumb(top, count, in.rows);
    if (thumb < 0) return;
    for (int i = 0; i < in.rows; ++i)
        c.cv.glyph(in.row + i, c.r.cols - 1, i == thumb ? ACS_BLOCK : ACS_CKBOARD, c.normal);
}

// Entries from the top index, the selection highlighted; the frame is
// highlighted while the list has the focus. Each shown entry is a target.
void draw_listbox(const ControlView &c, const Palette &pal, std::vector<Target> &targets) {
    auto items = listbox_items(c.w.handle).value_or(std::vector<std::string>{});
    int count = static_cast<int>(items.size()), selected = listbox_selection(c.w.handle);
    bool border = ((c.w.style & WS_BORDER) || (c.w.ex_style & WS_EX_CLIENTEDGE)) && c.r.rows >= 3 && c.r.cols >= 3;
    CellRect in = border ? CellRect{1, 1, c.r.rows - 2, c.r.cols - 2} : CellRect{0, 0, c.r.rows, c.r.cols};
    if (border) c.cv.frame(CellRect{0, 0, c.r.rows, c.r.cols}, c.focused ? c.normal | A_BOLD : c.normal);
    int top = shown_top(listbox_top_index(c.w.handle), selected, count, in.rows);
    for (int i = 0; i < in.rows && top + i < count; ++i) {
        std::string line = one_line(items[static_cast<size_t>(top + i)], in.cols);
        line.resize(static_cast<size_t>(std::max(0, in.cols)), ' ');
        c.cv.text(in.row + i, in.col, line, top + i == selected ? pal.highlight : c.normal);
        targets.push_back(Target{c.cv.area(CellRect{in.row + i, in.col, 1, in.cols}), c.w.parent, c.w.handle, top + i});
    }
    draw_scroll_thumb(c, in, count, top);
}

void draw_progress(const ControlView &c, const Palette &pal) {
    auto state = progress_state(c.w.handle);
    auto range = progress_range(c.w.handle);
    if (!state || !range) return;
    int filled = filled_cells(state->first, range->first, range->second, c.r.cols);
    c.cv.fill(CellRect{0, 0, c.r.rows, filled}, ACS_BLOCK, pal.highlight);
    c.cv.fill(CellRect{0, filled, c.r.rows, c.r.cols - filled}, ACS_CKBOARD, c.normal);
}

// Limits: controls of other classes, and windows inside controls, are not drawn.
void draw_control(const Canvas &client, const Window &w, const CellRect &r, const Palette &pal,
                  std::vector<Target> &targets) {
    attr_t normal = (w.style & WS_DISABLED) ? pal.dialog | A_DIM : pal.dialog;
    ControlView c{w, r, client.inner(r), GetFocus() == w.handle, normal};
    if (class_is(w, "Static")) {
        draw_static(c, pal);
    } else if (class_is(w, "Button")) {
        draw_button(c, pal);
        if (is_push_button(w)) targets.push_back(Target{client.area(r), w.parent, w.handle, -1});
    } else if (class_is(w, "ListBox")) {
        draw_listbox(c, pal, targets);
    } else if (class_is(w, PROGRESS_CLASSA)) {
        draw_progress(c, pal);
    }
}

// ---- windows -------------------------------------------------------------------

Window *shown_dialog(HWND hwnd) {
    Window *w = find_window(hwnd);
    if (!w || w->destroying || !(w->style & WS_VISIBLE) || (w->style & WS_MINIMIZE)) return nullptr;
    return w;
}

std::vector<Window *> shown_controls(const Window &dialog) {
    std::vector<Window *> out;
    for (HWND child : dialog.children)
        if (Window *w = find_window(child); w && !w->destroying && (w->style & WS_VISIBLE)) out.push_back(w);
    return out;
}

TextFlow flow_of(const Window &w) {
    if (class_is(w, "Static")) {
        DWORD type = w.style & SS_TYPEMASK;
        if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) return TextFlow::wrapped;
        if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) return TextFlow::one_line;
        return TextFlow::none;
    }
    if (is_push_button(w)) return TextFlow::button;
    if (class_is(w, "Button")) return TextFlow::one_line;
    return TextFlow::none;
}

std::string flow_text(const Window &w, TextFlow flow) {
    if (flow == TextFlow::none) return "";
    if (class_is(w, "Static")) {
        std::string text = shown_text(w);
        if (flow == TextFlow::one_line) text = text.substr(0, text.find_first_of("\r\n"));
        return text;
    }
    DWORD type = w.style & BS_TYPEMASK;
    std::string label = strip_mnemonics(w.text);
    if (type == BS_GROUPBOX) return label.empty() ? "" : "  " + label + "  ";  // corner and blanks around it
    if (flow == TextFlow::one_line) return "[ ] " + label;
    return label;
}

std::string caption_of(const Window &w) { return (w.style & WS_CAPTION) == WS_CAPTION ? w.text : ""; }

// The title bar takes the top line of the frame; dialogs without a caption
// keep a plain frame.
void draw_frame(const Canvas &screen, const Window &w, const CellRect &box, const Palette &pal) {
    screen.fill(box, ' ', pal.dialog);
    screen.frame(box, pal.dialog);
    if ((w.style & WS_CAPTION) != WS_CAPTION) return;
    attr_t bar = GetActiveWindow() == w.handle ? pal.caption : pal.caption_inactive;
    screen.fill(CellRect{box.row, box.col, 1, box.cols}, ' ', bar);
    screen.text(box.row, box.col + 1, one_line(" " + w.text + " ", box.cols - 2), bar);
}

// Centred in the area whatever its position on the emulated screen; a box
// larger than the area keeps its top left corner on the screen.
void draw_dialog(const Area &area, const Window &w, const DialogPlan &plan, const Palette &pal,
                 std::vector<Target> &targets) {
    CellRect box{area.top + centred(area.bottom - area.top, plan.rows),
                 area.left + centred(area.right - area.left, plan.cols), plan.rows, plan.cols};
    Canvas screen(0, 0, area);
    draw_frame(screen, w, box, pal);
    Canvas client = screen.inner(CellRect{box.row + 1, box.col + 1, box.rows - 2, box.cols - 2});
    auto controls = shown_controls(w);
    for (size_t i = 0; i < controls.size() && i < plan.items.size(); ++i)
        draw_control(client, *controls[i], plan.items[i], pal, targets);
}

// ---- the window menu -------------------------------------------------------------

const char *menu_label(UINT command, bool french) {
    switch (command) {
    case SC_RESTORE:
        return french ? "Restaurer" : "Restore";
    case SC_MOVE:
        return french ? "D\xE9placer" : "Move";
    case SC_SIZE:
        return french ? "Taille" : "Size";
    case SC_MINIMIZE:
        return french ? "R\xE9"
                        "duire"
                      : "Minimize";
    case SC_MAXIMIZE:
        return french ? "Agrandir" : "Maximize";
    default:
        return french ? "Fermer" : "Close";
    }
}

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

// Just above the status line, at the left, where a taskbar menu opens.
void draw_menu(const Area &screen_area, const WindowMenu &menu, bool french, const Palette &pal) {
    int rows = static_cast<int>(menu.items.size()) + 2, cols = 14;
    CellRect box{std::max(0, screen_area.bottom - 1 - rows), 0, rows, cols};
    Canvas screen(0, 0, screen_area);
    screen.fill(box, ' ', pal.dialog);
    screen.frame(box, pal.dialog);
    for (size_t i = 0; i < menu.items.size(); ++i) {
        auto [command, enabled] = menu.items[i];
        attr_t attr = static_cast<int>(i) == menu.selected ? pal.highlight : enabled ? pal.dialog : pal.dialog | A_DIM;
        std::string label = " " + std::string(menu_label(command, french));
        label.resize(static_cast<size_t>(cols - 2), ' ');
        screen.text(box.row + 1 + static_cast<int>(i), 1, label, attr);
    }
}

// The main window as its taskbar button: the title, and the keys that work
// now. When a box does not fit, the line says so and how big the terminal
// must be instead.
void draw_status(const Area &screen_area, const std::string &hint, const std::string &warning, const Palette &pal) {
    int row = screen_area.bottom - 1, cols = screen_area.right;
    if (row < 0) return;
    Canvas screen(0, 0, screen_area);
    screen.fill(CellRect{row, 0, 1, cols}, ' ', pal.status);
    if (!warning.empty()) {
        screen.text(row, 0, one_line(warning, cols), pal.highlight | A_BOLD);
        return;
    }
    int hint_col = hint.empty() ? cols : std::max(0, cols - static_cast<int>(hint.size()) - 1);
    Window *main = find_window(main_window());
    if (main) screen.text(row, 1, one_line(main->text, hint_col - 2), pal.status | A_BOLD);
    if (!hint.empty()) screen.text(row, hint_col, hint, pal.status);
}

std::string size_text(int cols, int rows) { return std::to_string(cols) + "x" + std::to_string(rows); }

// The long form when it fits the line, else the short one.
std::string too_small_text(int cols, int rows, int need_cols, int need_rows, bool french) {
    std::string is = size_text(cols, rows), need = size_text(need_cols, need_rows);
    std::string text = french ? "Le terminal est trop petit (" + is + ") : agrandissez-le \xE0 " + need
                              : "The terminal is too small (" + is + "): enlarge it to " + need;
    if (static_cast<int>(text.size()) <= cols) return text;
    return french ? "Terminal trop petit : " + need + " requis" : "Terminal too small: " + need + " needed";
}

// ---- the front-end -------------------------------------------------------------

std::optional<Key> key_of(int kind, wint_t ch) {
    if (kind == KEY_CODE_YES) {
        switch (ch) {
        case KEY_BTAB:
            return Key::shift_tab;
        case KEY_UP:
        case KEY_LEFT:  // in dialogs and single-column lists, as Up
            return Key::up;
        case KEY_DOWN:
        case KEY_RIGHT:
            return Key::down;
        case KEY_HOME:
            return Key::home;
        case KEY_END:
            return Key::end;
        case KEY_PPAGE:
            return Key::page_up;
        case KEY_NPAGE:
            return Key::page_down;
        case KEY_ENTER:
            return Key::enter;
        default:
            return std::nullopt;
        }
    }
    switch (ch) {
    case L'\t':
        return Key::tab;
    case L'\r':
    case L'\n':
        return Key::enter;
    case 27:
        return Key::escape;
    case L' ':
        return Key::space;
    default:
        return std::nullopt;
    }
}

// A typed character in code page 1252; 0 for one it cannot hold.
char ansi_of(wint_t ch) {
    if (ch < 0x80) return static_cast<char>(ch);
    char16_t unit = static_cast<char16_t>(ch);
    if (ch > 0xFFFF) return 0;
    std::string ansi = utf16_to_cp1252(&unit, 1);
    return ansi.size() == 1 && ansi[0] != '?' ? ansi[0] : 0;
}

char fold(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

constexpr mmask_t mouse_events = BUTTON1_PRESSED | BUTTON1_RELEASED | BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED;

class TtyFrontend : public Frontend {
public:
    explicit TtyFrontend(const Config &cfg) : french_(cfg.french) { start(); }
    ~TtyFrontend() override { shutdown(); }

    void invalidate() override {
        dirty_ = true;
        if (active_ && take_resumed()) resume();
        if (active_ && steady::now() - last_draw_ >= redraw_interval) redraw();
    }

    void idle(HWND waiting, std::optional<uint64_t> deadline) override {
        if (!waiting && !deadline)
            host_error("nothing can happen any more: no window waits for the user and no timer runs");
        if (take_resumed()) resume();
        if (dirty_) redraw();
        if (!waiting && clock_is_virtual()) {
            clock_wait_until(*deadline);
            return;
        }
        while (!read_input(deadline)) {
            if (take_resumed()) resume();
            if (dirty_) redraw();
        }
    }

    void shutdown() override {
        if (!active_) return;
        active_ = false;
        mousemask(0, nullptr);
        endwin();
        unwatch_signals();
        delscreen(screen_);
        screen_ = nullptr;
        if (files_.own) std::fclose(files_.own);
        files_ = TerminalFiles{};
    }

private:
    void start() {
        files_ = open_terminal();
        screen_ = newterm(nullptr, files_.out, files_.in);
        if (!screen_)
            host_error("the terminal front-end could not start curses on this terminal; set WIN32HOST_UI=script");
        set_term(screen_);
        active_ = true;
        cbreak();
        noecho();
        nonl();
        keypad(stdscr, TRUE);
        set_escdelay(25);
        curs_set(0);
        mouse_ = mousemask(mouse_events, nullptr) != 0;
        mouseinterval(200);
        pal_ = make_palette();
        wbkgdset(stdscr, ' ' | pal_.desktop);
        watch_signals(files_, mouse_);
    }

    // Back from Ctrl-Z: the terminal's modes are back (frontend_tty_term.cpp);
    // the mouse is asked for again and everything is drawn anew.
    void resume() {
        if (mouse_) {
            mousemask(0, nullptr);
            mousemask(mouse_events, nullptr);
        }
        keypad(stdscr, TRUE);
        clearok(curscr, TRUE);
        dirty_ = true;
    }

    // A modal box disables its owner, whose menu then closes, as on Windows.
    bool menu_usable() const {
        HWND main = main_window();
        return main && IsWindowEnabled(main) && !innermost_modal();
    }

    std::string hint() const {
        if (menu_.open)
            return french_ ? "Entr\xE9"
                             "e choisir  \xC9"
                             "chap fermer"
                           : "Enter choose  Esc close";
        Window *main = find_window(main_window());
        if (menu_usable() && main && !main->system_menu.empty())
            return french_ ? "F10 menu syst\xE8me" : "F10 window menu";
        return "";
    }

    // The plan of a box: its column width is chosen once for a terminal size,
    // so that a box does not change shape while its texts change (a copy).
    DialogPlan plan_of(HWND hwnd, int cols, int rows) {
        DialogSpec spec = dialog_spec(hwnd);
        auto it = scales_.find(hwnd);
        if (it != scales_.end() && it->second.cols == cols && it->second.rows == rows)
            return plan_dialog(spec, cols, rows, it->second.scale);
        DialogPlan plan = plan_dialog(spec, cols, rows);
        scales_[hwnd] = ChosenScale{cols, rows, plan.scale};
        return plan;
    }

    void redraw() {
        dirty_ = false;
        last_draw_ = steady::now();
        int lines = std::max(0, LINES), columns = std::max(0, COLS);
        Area screen{0, 0, lines, columns};
        Area desktop{0, 0, std::max(0, lines - 1), columns};
        werase(stdscr);
        targets_.clear();
        HWND main = main_window();
        int need_cols = 0, need_rows = 0;
        std::map<HWND, ChosenScale> kept;
        for (HWND h : top_level_windows()) {
            Window *w = h != main ? shown_dialog(h) : nullptr;
            if (!w) continue;
            DialogPlan plan = plan_of(h, desktop.right, desktop.bottom);
            kept[h] = scales_[h];
            need_cols = std::max(need_cols, plan.cols);
            need_rows = std::max(need_rows, plan.rows + 1);
            draw_dialog(desktop, *w, plan, pal_, targets_);
        }
        scales_ = kept;
        if (menu_.open && !menu_usable()) menu_ = WindowMenu{};
        std::string warning;
        if (need_cols > columns || need_rows > lines)
            warning = too_small_text(columns, lines, std::max(need_cols, columns), std::max(need_rows, lines), french_);
        draw_status(screen, hint(), warning, pal_);
        if (menu_.open) draw_menu(screen, menu_, french_, pal_);
        wrefresh(stdscr);
    }

    // Waits for one key, until the deadline on the real clock. True when the
    // message loop has something to look at: input posted, or time passed.
    bool read_input(std::optional<uint64_t> deadline) {
        int wait = -1;
        if (deadline && !clock_is_virtual()) {
            uint64_t now = clock_now();
            if (now >= *deadline) return true;
            // In slices, so that a resumed terminal is drawn again soon.
            wait = static_cast<int>(std::min<uint64_t>(*deadline - now, 500));
        }
        wtimeout(stdscr, wait);
        wint_t ch = 0;
        errno = 0;
        int kind = wget_wch(stdscr, &ch);
        if (kind != ERR) return on_key(kind, ch);
        if (wait < 0 && errno != EINTR && !resumed_pending() && terminal_gone())
            host_error("the terminal closed while " + describe_window(waiting_window()) + " waits");
        return true;
    }

    // curses also answers ERR once after a read cut short by a signal; only a
    // hang-up or an error on the terminal ends the wait for good.
    bool terminal_gone() const {
        pollfd p{fileno(files_.in), POLLIN, 0};
        return poll(&p, 1, 0) < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL));
    }

    bool on_key(int kind, wint_t ch) {
        if (kind == KEY_CODE_YES && ch == KEY_RESIZE) {
            dirty_ = true;
            return false;
        }
        if (kind == KEY_CODE_YES && ch == KEY_MOUSE) return on_mouse();
        if (kind == KEY_CODE_YES && ch == KEY_F(10)) return toggle_menu();
        if (kind == KEY_CODE_YES && ch == KEY_F(52)) return alt_f4();  // xterm's Alt+F4
        if (kind == OK && ch == 27) {
            if (auto alt = alt_key()) return *alt;
        }
        if (!menu_.open && kind == OK && ch > L' ' && ch != 0x7F) return typed(ansi_of(ch));
        auto key = key_of(kind, ch);
        if (!key) return false;
        return menu_.open ? menu_key(*key) : send_key(*key);
    }

    // Alt with a key reaches curses as Escape immediately followed by that
    // key: Alt+Space opens the window menu, Alt+F4 closes, Alt+letter
    // presses as the letter does. Nothing when Escape stands alone.
    std::optional<bool> alt_key() {
        wtimeout(stdscr, 0);
        wint_t next = 0;
        int kind = wget_wch(stdscr, &next);
        if (kind == OK && next == L' ') return toggle_menu();
        if (kind == KEY_CODE_YES && next == KEY_F(4)) return alt_f4();
        if (kind == OK && next > L' ' && next != 0x7F && !menu_.open) return typed(ansi_of(next));
        if (kind == OK) unget_wch(static_cast<wchar_t>(next));
        if (kind == KEY_CODE_YES) ungetch(static_cast<int>(next));
        return std::nullopt;
    }

    // Keys go to the innermost modal element; with none, Enter on the
    // taskbar button asks the main window to restore, which it may refuse.
    bool send_key(Key key) {
        if (HWND modal = innermost_modal()) {
            user_key(modal, key);
            return true;
        }
        HWND main = main_window();
        if (!main || key != Key::enter) return false;
        user_choose_window_menu(main, SC_RESTORE);
        return true;
    }

    // A letter goes to a focused list box (type-ahead); else it presses the
    // button whose mnemonic it is. In a message box a button without one
    // answers to its first letter: O for OK.
    bool typed(char c) {
        HWND modal = innermost_modal();
        if (!c || !modal) return false;
        HWND focus = GetFocus();
        if (focus && IsChild(modal, focus) && listbox_items(focus)) {
            PostMessageA(focus, WM_CHAR, static_cast<unsigned char>(c), 1);
            return true;
        }
        Window *w = find_window(modal);
        DialogState *d = dialog_state(modal);
        if (!w || !d) return false;
        for (bool first_letter : {false, true}) {
            if (first_letter && !d->message_box) break;
            for (Window *b : shown_controls(*w)) {
                if (!is_push_button(*b) || (b->style & WS_DISABLED)) continue;
                int key = mnemonic_position(b->text);
                std::string label = strip_mnemonics(b->text);
                if (first_letter ? key >= 0 || label.empty() || fold(label[0]) != fold(c)
                                 : key < 0 || fold(label[static_cast<size_t>(key)]) != fold(c))
                    continue;
                std::string error;
                return user_press(modal, static_cast<int>(b->id), error);
            }
        }
        return false;
    }

    // As the close box: an OK box or a dialog with a Cancel closes, a Yes/No
    // box (its Close greyed) and a box without a window menu do nothing.
    bool alt_f4() {
        HWND modal = innermost_modal();
        if (!modal || menu_.open) return false;
        std::string error;
        return user_close(modal, error);
    }

    // A click presses a push button or selects a list entry of the box that
    // has the input; a double click on an entry also tells the dialog, as
    // LBN_DBLCLK does. Clicks anywhere else do nothing.
    bool on_mouse() {
        MEVENT ev{};
        if (getmouse(&ev) != OK || menu_.open) return false;
        const Target *hit = nullptr;
        for (const auto &t : targets_)
            if (ev.y >= t.area.top && ev.y < t.area.bottom && ev.x >= t.area.left && ev.x < t.area.right) hit = &t;
        if (ev.bstate & BUTTON1_PRESSED) {
            pressed_ = hit ? hit->control : nullptr;
            return false;
        }
        bool click = (ev.bstate & (BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED)) ||
                     ((ev.bstate & BUTTON1_RELEASED) && hit && hit->control == pressed_);
        pressed_ = nullptr;
        if (!click || !hit || hit->dialog != innermost_modal() || !IsWindowEnabled(hit->control)) return false;
        if (hit->item < 0) {
            std::string error;
            return user_press(hit->dialog, GetDlgCtrlID(hit->control), error);
        }
        PostMessageA(hit->control, WM_HOST_PICKITEM, static_cast<WPARAM>(hit->item), 0);
        Window *list = find_window(hit->control);
        if ((ev.bstate & BUTTON1_DOUBLE_CLICKED) && list && (list->style & LBS_NOTIFY))
            PostMessageA(hit->dialog, WM_COMMAND, MAKEWPARAM(list->id, LBN_DBLCLK),
                         reinterpret_cast<LPARAM>(hit->control));
        return true;
    }

    // The owner of a modal box offers no menu, as on Windows.
    bool toggle_menu() {
        dirty_ = true;
        if (menu_.open) {
            menu_ = WindowMenu{};
            return false;
        }
        if (menu_usable()) menu_.items = user_open_window_menu(main_window());
        if (menu_.items.empty()) {
            beep();
            return false;
        }
        menu_.open = true;
        menu_.selected = menu_.next_enabled(-1, 1);
        return false;
    }

    bool menu_key(Key key) {
        dirty_ = true;
        int last = static_cast<int>(menu_.items.size());
        if (key == Key::up || key == Key::shift_tab) menu_.selected = menu_.next_enabled(menu_.selected, -1);
        if (key == Key::down || key == Key::tab) menu_.selected = menu_.next_enabled(menu_.selected, 1);
        if (key == Key::home || key == Key::page_up) menu_.selected = menu_.next_enabled(-1, 1);
        if (key == Key::end || key == Key::page_down) menu_.selected = menu_.next_enabled(last, -1);
        if (key == Key::escape) menu_ = WindowMenu{};
        if ((key != Key::enter && key != Key::space) || menu_.selected < 0) return false;
        auto [command, enabled] = menu_.items[static_cast<size_t>(menu_.selected)];
        menu_ = WindowMenu{};
        if (enabled) user_choose_window_menu(main_window(), command);
        return enabled;
    }

    struct ChosenScale {
        int cols = 0, rows = 0, scale = 100;
    };

    bool french_;
    bool active_ = false;
    bool dirty_ = true;
    bool mouse_ = false;
    TerminalFiles files_;
    SCREEN *screen_ = nullptr;
    steady::time_point last_draw_{};
    Palette pal_;
    WindowMenu menu_;
    std::vector<Target> targets_;
    HWND pressed_ = nullptr;
    std::map<HWND, ChosenScale> scales_;
};

}  // namespace

namespace tty {

DialogSpec dialog_spec(HWND hwnd) {
    DialogSpec spec;
    Window *w = find_window(hwnd);
    if (!w) return spec;
    DialogState *d = dialog_state(hwnd);
    spec.base_x = d && d->base_x > 0 ? d->base_x : 6;
    spec.base_y = d && d->base_y > 0 ? d->base_y : 13;
    RECT in = nonclient_insets(w->style, w->ex_style);
    spec.width = std::max<int>(0, w->rect.right - w->rect.left - in.left - in.right);
    spec.height = std::max<int>(0, w->rect.bottom - w->rect.top - in.top - in.bottom);
    spec.caption = caption_of(*w);
    for (Window *c : shown_controls(*w)) {
        TextFlow flow = flow_of(*c);
        spec.items.push_back(ItemSpec{c->rect, flow_text(*c, flow), flow});
    }
    return spec;
}

}  // namespace tty

std::unique_ptr<Frontend> make_tty_frontend(const Config &cfg) { return std::make_unique<TtyFrontend>(cfg); }

}  // namespace w32h
