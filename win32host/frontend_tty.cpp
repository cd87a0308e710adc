// frontend_tty.cpp - the terminal front-end: draws the visible dialogs and
// message boxes with ncurses, centred, from their controls (a cell is one
// dialog base unit, 4 x 8 dialog units), the minimised main window as a status
// line with its window menu, and turns the keys people press into the input
// Windows would deliver. Redraws are throttled, as progress bars change often.
#include "frontend.h"
#include "tty_layout.h"
#include "window_model.h"

#include <commctrl.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdlib>

// Functions rather than macros, so that curses names such as erase() and
// timeout() cannot collide with the standard library's members.
#define NCURSES_WIDECHAR 1
#define NCURSES_NOMACROS 1
#include <curses.h>

namespace w32h::tty {

// ---- layout arithmetic (tty_layout.h) -------------------------------------

int cells_from_pixels(int pixels, int base) {
    if (base <= 0) return 0;
    long long num = 2LL * pixels + base, den = 2LL * base;
    long long q = num / den;
    if (num % den < 0) --q;  // floor, also below zero
    return static_cast<int>(q);
}

CellRect cells_of(const RECT &px, int base_x, int base_y) {
    CellRect r;
    r.col = cells_from_pixels(px.left, base_x);
    r.row = cells_from_pixels(px.top, base_y);
    if (px.right <= px.left || px.bottom <= px.top) return r;  // nothing to draw
    r.cols = std::max(1, cells_from_pixels(px.right, base_x) - r.col);
    r.rows = std::max(1, cells_from_pixels(px.bottom, base_y) - r.row);
    return r;
}

int centred(int outer, int inner) { return std::max(0, (outer - inner) / 2); }

std::string strip_mnemonics(std::string_view ansi) {
    std::string out;
    for (size_t i = 0; i < ansi.size(); ++i) {
        if (ansi[i] != '&') {
            out += ansi[i];
        } else if (i + 1 < ansi.size() && ansi[i + 1] == '&') {
            out += '&';
            ++i;
        }
    }
    return out;
}

namespace {

constexpr char ellipsis = '\x85';  // "..." as one cp1252 character

std::vector<std::string> paragraphs(std::string_view text) {
    std::vector<std::string> out;
    for (;;) {
        size_t nl = text.find('\n');
        std::string_view p = text.substr(0, nl);
        if (!p.empty() && p.back() == '\r') p.remove_suffix(1);
        out.emplace_back(p);
        if (nl == std::string_view::npos) return out;
        text.remove_prefix(nl + 1);
    }
}

std::string expand_tabs(std::string_view p, size_t stop) {
    std::string out;
    for (char c : p) {
        if (c != '\t') {
            out += c;
            continue;
        }
        do out += ' ';
        while (out.size() % stop);
    }
    return out;
}

void trim_right(std::string &s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
}

// Greedy word wrap; a word longer than the width is broken where it must be.
void wrap_paragraph(std::string line, size_t width, std::vector<std::string> &out) {
    trim_right(line);
    while (line.size() > width) {
        size_t lead = line.find_first_not_of(' ');
        size_t cut = line.rfind(' ', width);
        bool at_space = cut != std::string::npos && cut > lead;
        std::string head = line.substr(0, at_space ? cut : width);
        trim_right(head);
        out.push_back(head);
        line.erase(0, at_space ? cut + 1 : width);
        line.erase(0, line.find_first_not_of(' '));
    }
    out.push_back(line);
}

std::vector<std::string> wrap_all(const std::vector<std::string> &paras, size_t width, size_t stop) {
    std::vector<std::string> lines;
    for (const auto &p : paras) wrap_paragraph(expand_tabs(p, stop), width, lines);
    return lines;
}

// The lines beyond the last row join it, cut with an ellipsis, so that the
// reader sees that the text goes on.
void keep_rows(std::vector<std::string> &lines, size_t rows, size_t width) {
    if (lines.size() <= rows) return;
    std::string rest = lines[rows - 1];
    for (size_t i = rows; i < lines.size(); ++i) rest += " " + lines[i];
    lines.resize(rows);
    lines.back() = rest.substr(0, width - 1) + ellipsis;
}

}  // namespace

std::vector<std::string> wrap_text(std::string_view ansi, int width, int rows) {
    if (width <= 0 || rows <= 0) return {};
    auto paras = paragraphs(ansi);
    auto w = static_cast<size_t>(width);
    size_t stop = 8;
    auto lines = wrap_all(paras, w, stop);
    // Texts laid out for a proportional font may only fit with narrower stops.
    if (ansi.find('\t') != std::string_view::npos) {
        size_t least = wrap_all(paras, w, 1).size();
        while (lines.size() > least && stop > 1) lines = wrap_all(paras, w, --stop);
    }
    keep_rows(lines, static_cast<size_t>(rows), w);
    return lines;
}

int aligned_column(int length, int width, Align align) {
    if (length >= width || align == Align::left) return 0;
    return align == Align::right ? width - length : (width - length) / 2;
}

std::string one_line(std::string_view ansi, int width) {
    if (width <= 0) return "";
    std::string s(ansi);
    for (char &c : s)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    if (s.size() > static_cast<size_t>(width)) s = s.substr(0, static_cast<size_t>(width - 1)) + ellipsis;
    return s;
}

std::wstring to_wide(std::string_view ansi) {
    std::wstring out;
    for (char16_t c : cp1252_to_utf16(ansi)) {
        bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        out += control ? L' ' : static_cast<wchar_t>(c);
    }
    return out;
}

int filled_cells(int pos, int low, int high, int width) {
    if (high <= low || width <= 0) return 0;
    long long p = std::clamp(pos, low, high);
    return static_cast<int>((p - low) * width / (static_cast<long long>(high) - low));
}

int shown_top(int top, int selected, int count, int rows) {
    if (selected >= 0 && selected < count && rows > 0) {
        if (selected >= top + rows) top = selected - rows + 1;
        if (selected < top) top = selected;
    }
    return std::clamp(top, 0, std::max(0, count - 1));
}

int scroll_thumb(int top, int count, int rows) {
    if (rows <= 0 || count <= rows) return -1;
    int last_top = count - rows;
    return static_cast<int>(static_cast<long long>(std::clamp(top, 0, last_top)) * (rows - 1) / last_top);
}

}  // namespace w32h::tty

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
        if (y >= clip_.top && y < clip_.bottom && x >= clip_.left && x < clip_.right) mvaddch(y, x, ch | attr);
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

private:
    int row_, col_;
    Area clip_;
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

// Limits: the icon is a red block whatever the icon resource holds.
void draw_icon(const ControlView &c, const Palette &pal) {
    if (!static_icon_id(c.w.handle)) return;
    int cols = std::min(4, c.r.cols), rows = std::min(2, c.r.rows);
    c.cv.fill(CellRect{0, 0, 1, cols}, ACS_BLOCK, pal.icon);
    c.cv.fill(CellRect{1, 0, rows - 1, cols}, ACS_CKBOARD, pal.icon);
}

// Limits: SS_BLACKRECT and the other frame, rectangle and bitmap styles
// draw nothing.
void draw_static(const ControlView &c, const Palette &pal) {
    DWORD type = c.w.style & SS_TYPEMASK;
    if (type == SS_ICON) return draw_icon(c, pal);
    std::string text = (c.w.style & SS_NOPREFIX) ? c.w.text : strip_mnemonics(c.w.text);
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

// "[  Yes  ]" across the button's width; the default button "<  Yes  >" in
// bold; the focused one highlighted.
void draw_push_button(const ControlView &c, bool is_default, const Palette &pal) {
    int inner = c.r.cols - 2;
    if (inner < 0) return;
    std::string label = one_line(strip_mnemonics(c.w.text), inner);
    int left = aligned_column(static_cast<int>(label.size()), inner, Align::centre);
    std::string face = std::string(1, is_default ? '<' : '[') + std::string(static_cast<size_t>(left), ' ') + label;
    face.resize(static_cast<size_t>(inner) + 1, ' ');
    face += is_default ? '>' : ']';
    attr_t attr = c.focused ? pal.highlight : c.normal;
    c.cv.text((c.r.rows - 1) / 2, 0, face, is_default ? attr | A_BOLD : attr);
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
// highlighted while the list has the focus.
void draw_listbox(const ControlView &c, const Palette &pal) {
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
void draw_control(const Canvas &client, HWND hwnd, int bx, int by, const Palette &pal) {
    Window *w = find_window(hwnd);
    if (!w || w->destroying || !(w->style & WS_VISIBLE)) return;
    CellRect r = cells_of(w->rect, bx, by);
    attr_t normal = (w->style & WS_DISABLED) ? pal.dialog | A_DIM : pal.dialog;
    ControlView c{*w, r, client.inner(r), GetFocus() == hwnd, normal};
    if (class_is(*w, "Static"))
        draw_static(c, pal);
    else if (class_is(*w, "Button"))
        draw_button(c, pal);
    else if (class_is(*w, "ListBox"))
        draw_listbox(c, pal);
    else if (class_is(*w, PROGRESS_CLASSA))
        draw_progress(c, pal);
}

// ---- windows -------------------------------------------------------------------

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

// Centred in the area whatever its position on the emulated screen.
void draw_dialog(const Area &area, HWND hwnd, const Palette &pal) {
    Window *w = find_window(hwnd);
    if (!w || w->destroying || !(w->style & WS_VISIBLE) || (w->style & WS_MINIMIZE)) return;
    DialogState *d = dialog_state(hwnd);
    int bx = d && d->base_x > 0 ? d->base_x : 6, by = d && d->base_y > 0 ? d->base_y : 13;
    RECT in = nonclient_insets(w->style, w->ex_style);
    int cols = std::max(0, cells_from_pixels(w->rect.right - w->rect.left - in.left - in.right, bx)) + 2;
    int rows = std::max(0, cells_from_pixels(w->rect.bottom - w->rect.top - in.top - in.bottom, by)) + 2;
    CellRect box{area.top + centred(area.bottom - area.top, rows), area.left + centred(area.right - area.left, cols),
                 rows, cols};
    Canvas screen(0, 0, area);
    draw_frame(screen, *w, box, pal);
    Canvas client = screen.inner(CellRect{box.row + 1, box.col + 1, box.rows - 2, box.cols - 2});
    for (HWND child : std::vector<HWND>(w->children)) draw_control(client, child, bx, by, pal);
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

// The main window as its taskbar button: the title, and the keys.
void draw_status(const Area &screen_area, bool menu_open, bool french, const Palette &pal) {
    int row = screen_area.bottom - 1, cols = screen_area.right;
    if (row < 0) return;
    Canvas screen(0, 0, screen_area);
    screen.fill(CellRect{row, 0, 1, cols}, ' ', pal.status);
    std::string hint = menu_open ? (french ? "Entr\xE9"
                                             "e choisir  \xC9"
                                             "chap fermer"
                                           : "Enter choose  Esc close")
                                 : (french ? "F10 menu syst\xE8me" : "F10 window menu");
    int hint_col = std::max(0, cols - static_cast<int>(hint.size()) - 1);
    Window *main = find_window(main_window());
    if (main) screen.text(row, 1, one_line(main->text, hint_col - 2), pal.status | A_BOLD);
    screen.text(row, hint_col, hint, pal.status);
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
        return std::nullopt;  // Limits: letters (mnemonics, type-ahead) are not passed on.
    }
}

// The character set of the terminal. A UTF-8 locale that is named but not
// installed (fr_FR.UTF-8 on a minimal system) still means a UTF-8 terminal.
void set_character_set() {
    if (std::setlocale(LC_CTYPE, "")) return;
    for (const char *name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char *v = std::getenv(name);
        if (!v || !*v) continue;
        std::string value(v);
        if (value.find("UTF-8") != std::string::npos || value.find("utf8") != std::string::npos)
            std::setlocale(LC_CTYPE, "C.UTF-8");
        return;
    }
}

// Limits: no mouse; letters (mnemonics, list type-ahead) and Alt+F4 are
// not passed on.
class TtyFrontend : public Frontend {
public:
    explicit TtyFrontend(const Config &cfg) : french_(cfg.french) { start(); }
    ~TtyFrontend() override { shutdown(); }

    void invalidate() override {
        dirty_ = true;
        if (active_ && steady::now() - last_draw_ >= redraw_interval) redraw();
    }

    void idle(HWND waiting, std::optional<uint64_t> deadline) override {
        if (!waiting && !deadline)
            host_error("nothing can happen any more: no window waits for the user and no timer runs");
        if (dirty_) redraw();
        if (!waiting && clock_is_virtual()) {
            clock_wait_until(*deadline);
            return;
        }
        while (!read_input(deadline))
            if (dirty_) redraw();
    }

    void shutdown() override {
        if (!active_) return;
        active_ = false;
        endwin();
    }

private:
    // Only LC_CTYPE: curses needs the character set, while the emulated
    // Windows must not pick up the host's number, date or collation rules.
    void start() {
        set_character_set();
        if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO) || !newterm(nullptr, stdout, stdin))
            host_error("the terminal front-end needs a terminal; set WIN32HOST_UI=script");
        active_ = true;
        cbreak();
        noecho();
        nonl();
        keypad(stdscr, TRUE);
        set_escdelay(25);
        curs_set(0);
        pal_ = make_palette();
        wbkgdset(stdscr, ' ' | pal_.desktop);
    }

    void redraw() {
        dirty_ = false;
        last_draw_ = steady::now();
        Area screen{0, 0, std::max(0, LINES), std::max(0, COLS)};
        Area desktop{0, 0, std::max(0, LINES - 1), screen.right};
        werase(stdscr);
        HWND main = main_window();
        for (HWND h : top_level_windows())
            if (h != main) draw_dialog(desktop, h, pal_);
        if (menu_.open && !find_window(main)) menu_ = WindowMenu{};
        draw_status(screen, menu_.open, french_, pal_);
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
            wait = static_cast<int>(std::min<uint64_t>(*deadline - now, 60'000));
        }
        wtimeout(stdscr, wait);
        wint_t ch = 0;
        errno = 0;
        int kind = wget_wch(stdscr, &ch);
        if (kind != ERR) return on_key(kind, ch);
        if (wait < 0 && errno != EINTR)
            host_error("the terminal closed while " + describe_window(waiting_window()) + " waits");
        return true;
    }

    bool on_key(int kind, wint_t ch) {
        if (kind == KEY_CODE_YES && ch == KEY_RESIZE) {
            dirty_ = true;
            return false;
        }
        if ((kind == KEY_CODE_YES && ch == KEY_F(10)) || (kind == OK && ch == 27 && space_follows())) {
            toggle_menu();
            return false;
        }
        auto key = key_of(kind, ch);
        if (!key) return false;
        return menu_.open ? menu_key(*key) : send_key(*key);
    }

    // Alt+Space reaches curses as Escape immediately followed by a space.
    bool space_follows() {
        wtimeout(stdscr, 0);
        wint_t next = 0;
        int kind = wget_wch(stdscr, &next);
        if (kind == OK && next == L' ') return true;
        if (kind == OK) unget_wch(static_cast<wchar_t>(next));
        if (kind == KEY_CODE_YES) ungetch(static_cast<int>(next));
        return false;
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

    // A window disabled by a modal element offers no menu, as on Windows.
    void toggle_menu() {
        dirty_ = true;
        if (menu_.open) {
            menu_ = WindowMenu{};
            return;
        }
        HWND main = main_window();
        if (main && IsWindowEnabled(main)) menu_.items = user_open_window_menu(main);
        if (menu_.items.empty()) {
            beep();
            return;
        }
        menu_.open = true;
        menu_.selected = menu_.next_enabled(-1, 1);
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

    bool french_;
    bool active_ = false;
    bool dirty_ = true;
    steady::time_point last_draw_{};
    Palette pal_;
    WindowMenu menu_;
};

}  // namespace

std::unique_ptr<Frontend> make_tty_frontend(const Config &cfg) { return std::make_unique<TtyFrontend>(cfg); }

}  // namespace w32h
