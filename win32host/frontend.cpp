// frontend.cpp - what both front-ends share: the current front-end, the end
// of the process, and the user's actions turned into the input Windows would
// deliver (keys to the focus, clicks on controls, picks in a list box, the
// close box and the window menu), plus how a waiting window is described.
#include "frontend.h"
#include "tty_layout.h"
#include "window_model.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace w32h {

namespace {

std::unique_ptr<Frontend> &slot() {
    static std::unique_ptr<Frontend> fe;
    return fe;
}

void post_key(HWND to, WPARAM vk, bool system) {
    PostMessageA(to, system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1);
    PostMessageA(to, system ? WM_SYSKEYUP : WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

WPARAM virtual_key(Key key) {
    switch (key) {
    case Key::enter:
        return VK_RETURN;
    case Key::escape:
        return VK_ESCAPE;
    case Key::tab:
    case Key::shift_tab:
        return VK_TAB;
    case Key::up:
        return VK_UP;
    case Key::down:
        return VK_DOWN;
    case Key::space:
        return VK_SPACE;
    case Key::home:
        return VK_HOME;
    case Key::end:
        return VK_END;
    case Key::page_up:
        return VK_PRIOR;
    default:
        return VK_NEXT;
    }
}

bool is_dialog(HWND hwnd) { return dialog_state(hwnd) != nullptr; }

std::string quoted_title(HWND hwnd) {
    Window *w = find_window(hwnd);
    return "\"" + cp1252_to_utf8(w ? w->text : "") + "\"";
}

HWND find_listbox(HWND dialog) {
    HWND focus = GetFocus();
    if (IsChild(dialog, focus) && listbox_items(focus)) return focus;
    Window *w = find_window(dialog);
    for (HWND child : w ? w->children : std::vector<HWND>{})
        if (listbox_items(child) && IsWindowVisible(child)) return child;
    return nullptr;
}

std::string read_script(const std::string &path) {
    FILE *in = path.empty() ? stdin : std::fopen(path.c_str(), "rb");
    if (!in) host_error("cannot read the answers script " + path + ": " + std::strerror(errno));
    // Never a silent wait: someone at the keyboard is told what is expected.
    if (in == stdin && isatty(STDIN_FILENO))
        std::fprintf(stderr,
                     "win32host: reading the answers script from the terminal; end it with Ctrl-D "
                     "(WIN32HOST_UI=tty shows the dialogs instead)\n");
    std::string text;
    char buf[4096];
    // One Ctrl-D ends a script typed at the terminal: no read after end of file.
    for (size_t n; !std::feof(in) && (n = std::fread(buf, 1, sizeof buf, in)) > 0;) text.append(buf, n);
    if (in != stdin) std::fclose(in);
    return text;
}

bool close_enabled(HWND hwnd) {
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    return menu && !(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

}  // namespace

// A tab counts as one column, as the terminal narrows its stops to fit.
SIZE Frontend::measure_text(std::string_view ansi, int max_width) const {
    auto lines = wrap_words(ansi, static_cast<size_t>(std::max(max_width, 4) / 4), 1);
    size_t widest = 0;
    for (const auto &l : lines) widest = std::max(widest, l.size());
    return SIZE{static_cast<LONG>(widest * 4), static_cast<LONG>(lines.size() * 8)};
}

Frontend &frontend() {
    if (!slot()) slot() = make_script_frontend("", "no script");
    return *slot();
}

void set_frontend(std::unique_ptr<Frontend> fe) { slot() = std::move(fe); }

void reset_frontend() { slot().reset(); }

void end_host(int code) {
    transcript_exit(code);
    if (slot()) slot()->shutdown();
    std::fflush(stdout);
}

void user_key(HWND target, Key key) {
    HWND focus = GetFocus();
    bool inside = focus && (focus == target || IsChild(target, focus));
    // Without a focus Windows hands keys to the active window as system keys.
    HWND to = inside ? focus : target;
    if (key == Key::shift_tab) PostMessageA(to, WM_KEYDOWN, VK_SHIFT, 1);
    post_key(to, virtual_key(key), !inside);
    if (key == Key::shift_tab) PostMessageA(to, WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xC0000001u));
}

bool user_press(HWND target, int id, std::string &error) {
    if (!is_dialog(target)) {
        error = describe_window(target) + " has no controls to press";
        return false;
    }
    HWND ctl = GetDlgItem(target, id);
    if (!ctl || !IsWindowVisible(ctl)) {
        DialogState *d = dialog_state(target);
        error = d->message_box ? describe_window(target) + " has no button " + std::to_string(id)
                               : describe_window(target) + " has no control " + std::to_string(id);
        return false;
    }
    if (!IsWindowEnabled(ctl)) {
        error = "control " + std::to_string(id) + " of " + describe_window(target) + " is disabled";
        return false;
    }
    // Off the control's entries: a pressed list box takes the focus and chooses
    // nothing, as ever; select chooses an entry.
    LPARAM edge = MAKELPARAM(-1, -1);
    PostMessageA(ctl, WM_LBUTTONDOWN, MK_LBUTTON, edge);
    PostMessageA(ctl, WM_LBUTTONUP, 0, edge);
    return true;
}

bool user_select(HWND target, std::string_view utf8_prefix, std::string &error) {
    HWND list = is_dialog(target) ? find_listbox(target) : nullptr;
    if (!list) {
        error = describe_window(target) + " has no list box";
        return false;
    }
    std::string prefix = utf8_to_cp1252(utf8_prefix);
    auto items = *listbox_items(list);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].compare(0, prefix.size(), prefix) == 0) {
            PostMessageA(list, WM_HOST_PICKITEM, i, 0);
            return true;
        }
    error = "no entry of the list in " + describe_window(target) + " begins with \"" + std::string(utf8_prefix) + "\"";
    return false;
}

std::vector<std::pair<UINT, bool>> user_open_window_menu(HWND target) {
    std::vector<std::pair<UINT, bool>> out;
    HMENU menu = GetSystemMenu(target, FALSE);
    if (!menu) return out;
    SendMessageA(target, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    SendMessageA(target, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
    if (Window *w = find_window(target))
        for (const MenuItem &item : w->system_menu)
            out.emplace_back(item.command, !(item.state & (MF_GRAYED | MF_DISABLED)));
    return out;
}

void user_choose_window_menu(HWND target, UINT command) { PostMessageA(target, WM_SYSCOMMAND, command, 0); }

// A minimised window is closed from its taskbar menu, which Windows prepares
// with WM_INITMENUPOPUP; other windows through their close box. A greyed
// Close does nothing.
bool user_close(HWND target, std::string &error) {
    if (!GetSystemMenu(target, FALSE)) {
        error = describe_window(target) + " has no close box";
        return false;
    }
    if (IsIconic(target)) {
        for (auto [cmd, enabled] : user_open_window_menu(target))
            if (cmd == SC_CLOSE && enabled) user_choose_window_menu(target, SC_CLOSE);
        return true;
    }
    if (close_enabled(target)) user_choose_window_menu(target, SC_CLOSE);
    return true;
}

std::string describe_window(HWND hwnd) {
    if (hwnd && hwnd == main_window()) return "the main window " + quoted_title(hwnd);
    DialogState *d = dialog_state(hwnd);
    if (!d) return "window " + quoted_title(hwnd);
    if (d->message_box) return "message box " + quoted_title(hwnd);
    return window_label(hwnd) + " " + quoted_title(hwnd);
}

bool window_shows_text(HWND hwnd, std::string_view utf8) {
    Window *w = find_window(hwnd);
    if (!w) return false;
    auto has = [&](const std::string &ansi) { return cp1252_to_utf8(ansi).find(utf8) != std::string::npos; };
    if (has(w->text)) return true;
    for (HWND child : w->children) {
        Window *c = find_window(child);
        if (c && has(c->text)) return true;
        for (const auto &item : listbox_items(child).value_or(std::vector<std::string>{}))
            if (has(item)) return true;
    }
    return false;
}

void start_frontend(const Config &cfg) {
    if (cfg.ui == UiMode::tty)
        set_frontend(make_tty_frontend(cfg));
    else
        set_frontend(make_script_frontend(read_script(cfg.script_path),
                                          cfg.script_path.empty() ? "standard input" : cfg.script_path));
}

}  // namespace w32h
