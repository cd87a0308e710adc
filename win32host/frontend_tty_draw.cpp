// frontend_tty_draw.cpp - the terminal front-end's drawing: each visible
// dialog and message box centred from its layout (tty_layout), with its
// controls as text, lines and blocks, clipped to the terminal; the window menu
// of the main window and the status line that stands for its taskbar button.
#include "frontend.h"
#include "frontend_tty_draw.h"

#include <commctrl.h>
#include <strings.h>

#include <algorithm>

namespace w32h::tty {
namespace {

attr_t pair(short n, short fg, short bg) {
    init_pair(n, fg, bg);
    return static_cast<attr_t>(COLOR_PAIR(n));
}

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

// ---- controls ------------------------------------------------------------------

struct ControlView {
    const Window &w;
    CellRect r;  // in the dialog's client cells
    Canvas cv;   // origin at the control's top left, clipped to it
    bool focused;
    attr_t normal;  // the dialog's colours, dimmed when disabled
};

bool class_is(const Window &w, const char *name) { return w.cls && strcasecmp(w.cls->name.c_str(), name) == 0; }

}  // namespace

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

bool is_push_button(const Window &w) {
    DWORD type = w.style & BS_TYPEMASK;
    return class_is(w, "Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

namespace {

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
// without colours), its mnemonic underlined. Returns the cells of the face:
// only they answer a click, as the blank rest of the button shows nothing
// there to press.
Area draw_push_button(const ControlView &c, bool is_default, const Palette &pal) {
    if (c.r.cols < 2) return Area{0, 0, 0, 0};
    std::string label = one_line(strip_mnemonics(c.w.text), std::max(1, c.r.cols - 4));
    std::string face = button_face(label, is_default);
    int col = aligned_column(static_cast<int>(face.size()), c.r.cols, Align::centre);
    int row = (c.r.rows - 1) / 2;
    attr_t attr = (c.focused ? pal.highlight : c.normal) | (is_default ? A_BOLD : A_NORMAL);
    c.cv.text(row, col, face, attr);
    int key = mnemonic_position(c.w.text);
    if (key >= 0 && key < static_cast<int>(label.size()))
        c.cv.text(row, col + 2 + key, std::string(1, label[static_cast<size_t>(key)]), attr | A_UNDERLINE);
    return c.cv.area(CellRect{row, col, 1, static_cast<int>(face.size())});
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

// Buttons other than push buttons. Limits: check boxes and radio buttons
// show their text without a state.
void draw_button(const ControlView &c) {
    if ((c.w.style & BS_TYPEMASK) == BS_GROUPBOX) return draw_group_box(c);
    c.cv.text(0, 0, one_line("[ ] " + strip_mnemonics(c.w.text), c.r.cols), c.normal);
}

void draw_scroll_thumb(const ControlView &c, const CellRect &in, int count, int top) {
    int thumb = scroll_thumb(top, count, in.rows);
    if (thumb < 0) return;
    for (int i = 0; i < in.rows; ++i)
        c.cv.glyph(in.row + i, c.r.cols - 1, i == thumb ? ACS_BLOCK : ACS_CKBOARD, c.normal);
}

// Entries from the top index, the selection highlighted. While the list has
// the focus its frame is bold and the entry with the focus rectangle, which
// arrows move from, is underlined, selected or not: Windows draws that
// rectangle on the first entry before anything is selected, and the first
// Down then selects the second. Each shown entry is a target.
void draw_listbox(const ControlView &c, const Palette &pal, std::vector<Target> &targets) {
    auto items = listbox_items(c.w.handle).value_or(std::vector<std::string>{});
    int count = static_cast<int>(items.size()), selected = listbox_selection(c.w.handle);
    int caret = c.focused ? listbox_caret(c.w.handle) : -1;
    bool border = ((c.w.style & WS_BORDER) || (c.w.ex_style & WS_EX_CLIENTEDGE)) && c.r.rows >= 3 && c.r.cols >= 3;
    CellRect in = border ? CellRect{1, 1, c.r.rows - 2, c.r.cols - 2} : CellRect{0, 0, c.r.rows, c.r.cols};
    if (border) c.cv.frame(CellRect{0, 0, c.r.rows, c.r.cols}, c.focused ? c.normal | A_BOLD : c.normal);
    int top = shown_top(listbox_top_index(c.w.handle), selected, count, in.rows);
    for (int i = 0; i < in.rows && top + i < count; ++i) {
        // An index of a list box's items, far from int's range.
        // NOLINTNEXTLINE(bugprone-misplaced-widening-cast)
        std::string line = one_line(items[static_cast<size_t>(top + i)], in.cols);
        line.resize(static_cast<size_t>(std::max(0, in.cols)), ' ');
        attr_t attr = top + i == selected ? pal.highlight : c.normal;
        c.cv.text(in.row + i, in.col, line, top + i == caret ? attr | A_UNDERLINE : attr);
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
    } else if (is_push_button(w)) {
        bool is_default = (w.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        targets.push_back(Target{draw_push_button(c, is_default, pal), w.parent, w.handle, -1});
    } else if (class_is(w, "Button")) {
        draw_button(c);
    } else if (class_is(w, "ListBox")) {
        draw_listbox(c, pal, targets);
    } else if (class_is(w, PROGRESS_CLASSA)) {
        draw_progress(c, pal);
    }
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
        if (flow == TextFlow::one_line) text.resize(std::min(text.find_first_of("\r\n"), text.size()));
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

}  // namespace

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

DialogOutline dialog_outline(HWND hwnd) {
    DialogOutline outline;
    Window *w = find_window(hwnd);
    if (!w) return outline;
    DialogState *d = dialog_state(hwnd);
    outline.base_x = d && d->base_x > 0 ? d->base_x : 6;
    outline.base_y = d && d->base_y > 0 ? d->base_y : 13;
    RECT in = nonclient_insets(w->style, w->ex_style);
    outline.width = std::max<int>(0, w->rect.right - w->rect.left - in.left - in.right);
    outline.height = std::max<int>(0, w->rect.bottom - w->rect.top - in.top - in.bottom);
    outline.caption = caption_of(*w);
    for (Window *c : shown_controls(*w)) {
        TextFlow flow = flow_of(*c);
        outline.items.push_back(ItemOutline{c->rect, flow_text(*c, flow), flow});
    }
    return outline;
}

// ---- the window menu and the status line ------------------------------------------

namespace {

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

std::string size_text(int cols, int rows) { return std::to_string(cols) + "x" + std::to_string(rows); }

}  // namespace

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

// The long form when it fits the line, else the short one.
std::string too_small_text(int cols, int rows, int need_cols, int need_rows, bool french) {
    std::string is = size_text(cols, rows), need = size_text(need_cols, need_rows);
    std::string text = french ? "Le terminal est trop petit (" + is + ") : agrandissez-le \xE0 " + need
                              : "The terminal is too small (" + is + "): enlarge it to " + need;
    if (static_cast<int>(text.size()) <= cols) return text;
    return french ? "Terminal trop petit : " + need + " requis" : "Terminal too small: " + need + " needed";
}

}  // namespace w32h::tty
