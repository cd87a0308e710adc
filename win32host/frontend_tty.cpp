// frontend_tty.cpp - the terminal front-end for people: starts curses on the
// terminal (frontend_tty_term.cpp), redraws the screen (frontend_tty_draw.cpp)
// when something changed, at most every 50 ms while the program is busy, and
// turns the keys and mouse clicks people make into the input Windows would
// deliver: keys to the box in front, letters as mnemonics or list type-ahead,
// Alt+F4 as the close box, clicks on buttons and list entries.
#include "frontend.h"
#include "frontend_tty.h"
#include "frontend_tty_draw.h"

#include <poll.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <map>

namespace w32h {
namespace {

using namespace tty;
using steady = std::chrono::steady_clock;

// At most one full redraw per interval while the program runs without idling
// (a copy advancing its progress bar); idle() always brings the screen up to date.
constexpr auto redraw_interval = std::chrono::milliseconds(50);

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

// Sequences terminals send whatever their terminfo entry says: tmux sends
// Home and End as "\e[1~" and "\e[4~" under TERM=xterm-256color, whose entry
// has "\eOH" and "\eOF"; Shift+Tab comes as "\e[Z" under TERM=linux, whose
// entry names it only as an extended key (kcbt2), and vt100, which lacks it.
// Each is bound where the entry leaves it free or gives it an extended name.
void add_common_keys() {
    static const struct {
        const char *sequence;
        int key;
    } common[] = {
        {"\033[1~", KEY_HOME},  {"\033[7~", KEY_HOME},  {"\033[H", KEY_HOME}, {"\033OH", KEY_HOME},
        {"\033[4~", KEY_END},   {"\033[8~", KEY_END},   {"\033[F", KEY_END},  {"\033OF", KEY_END},
        {"\033[5~", KEY_PPAGE}, {"\033[6~", KEY_NPAGE}, {"\033[Z", KEY_BTAB}, {"\033[A", KEY_UP},
        {"\033OA", KEY_UP},     {"\033[B", KEY_DOWN},   {"\033OB", KEY_DOWN}, {"\033[C", KEY_RIGHT},
        {"\033OC", KEY_RIGHT},  {"\033[D", KEY_LEFT},   {"\033OD", KEY_LEFT},
    };
    for (const auto &[sequence, key] : common)
        if (int bound = key_defined(sequence); bound == 0 || bound > KEY_MAX) define_key(sequence, key);
}

// A typed character in code page 1252; 0 for one it cannot hold.
char ansi_of(wint_t ch) {
    if (ch < 0x80) return static_cast<char>(ch);
    char16_t unit = static_cast<char16_t>(ch);
    if (ch > 0xFFFF) return 0;
    std::string ansi = utf16_to_cp1252(&unit, 1);
    return ansi.size() == 1 && ansi[0] != '?' ? ansi[0] : '\0';
}

char fold(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

constexpr mmask_t mouse_events = BUTTON1_PRESSED | BUTTON1_RELEASED | BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED;

class TtyFrontend final : public Frontend {
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
        add_common_keys();
        set_escdelay(25);
        curs_set(0);
        mouse_ = mousemask(mouse_events, nullptr) != 0;
        mouseinterval(200);
        pal_ = make_palette();
        wbkgdset(stdscr, ' ' | pal_.desktop);
        watch_signals(files_, mouse_);
    }

    // Back from Ctrl-Z: the terminal's modes are back (frontend_tty_term.cpp);
    // the size is taken again, the mouse asked for again, and everything is
    // drawn anew.
    void resume() {
        take_size_again(files_);
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
        if (std::string why = unselected_list_hint(); !why.empty()) return why;
        Window *main = find_window(main_window());
        if (menu_usable() && main && !main->system_menu.empty())
            return french_ ? "F10 menu syst\xE8me" : "F10 window menu";
        return "";
    }

    // A list in the box in front with entries and none selected: Enter finds
    // nothing chosen and the box stays, as on Windows, so the line says how
    // to select one.
    std::string unselected_list_hint() const {
        HWND modal = innermost_modal();
        Window *box = modal ? shown_dialog(modal) : nullptr;
        if (!box) return "";
        for (Window *c : shown_controls(*box)) {
            auto items = listbox_items(c->handle);
            if (!items || items->empty() || listbox_selection(c->handle) != LB_ERR) continue;
            if (GetFocus() == c->handle)
                return french_ ? "Aucune entr\xE9"
                                 "e choisie : fl\xE8"
                                 "ches pour choisir"
                               : "No entry selected: arrows select one";
            return french_ ? "Aucune entr\xE9"
                             "e choisie : Tab vers la liste"
                           : "No entry selected: Tab to the list";
        }
        return "";
    }

    // The plan of a box: its column width is chosen once for a terminal size,
    // so that a box does not change shape while its texts change (a copy).
    DialogPlan plan_of(HWND hwnd, int cols, int rows) {
        DialogOutline outline = dialog_outline(hwnd);
        auto it = scales_.find(hwnd);
        if (it != scales_.end() && it->second.cols == cols && it->second.rows == rows)
            return plan_dialog(outline, cols, rows, it->second.scale);
        DialogPlan plan = plan_dialog(outline, cols, rows);
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

std::unique_ptr<Frontend> make_tty_frontend(const Config &cfg) { return std::make_unique<TtyFrontend>(cfg); }

}  // namespace w32h
