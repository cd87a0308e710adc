// frontend.h - what stands in for the user: the terminal front-end for people
// and the script front-end for tests and unattended runs, behind one
// interface, plus the user actions both turn into Windows input, and the
// transcript of what was shown.
#pragma once

#include "host.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace w32h {

class Frontend {
public:
    virtual ~Frontend() = default;
    // Something visible changed (a window, a text, a style, a progress bar).
    // Called very often; must be cheap.
    virtual void invalidate() {}
    // The message loop has nothing to do. waiting is the window that waits for
    // the user (see waiting_window), or nullptr when only a timer is awaited;
    // deadline is when the next timer is due. Returns after posting input or
    // after letting time pass.
    virtual void idle(HWND waiting, std::optional<uint64_t> deadline) = 0;
    // The process ends: restore the terminal.
    virtual void shutdown() {}
    // The size in dialog units of a message box's text laid out at most
    // max_width dialog units wide, as this front-end draws it, so that the box
    // fits its text as Windows fits it to DrawText's measure. Both front-ends
    // draw it in cells of 4 by 8 dialog units, words wrapped as the terminal
    // wraps them, and so share this one.
    virtual SIZE measure_text(std::string_view ansi, int max_width) const;
};

Frontend &frontend();
// Builds the front-end the configuration asks for; the script front-end
// reads and checks its whole script here.
void start_frontend(const Config &cfg);
void set_frontend(std::unique_ptr<Frontend> fe);
// The script front-end over a whole answers script; source names the script
// in error messages. A malformed script ends the process (host_error).
std::unique_ptr<Frontend> make_script_frontend(const std::string &script, const std::string &source);
// The terminal front-end (frontend_tty.cpp).
std::unique_ptr<Frontend> make_tty_frontend(const Config &cfg);
// Drops the front-end; the next use builds the default one, which answers
// nothing.
void reset_frontend();

// ---- user actions (frontend.cpp), shared by both front-ends ----------------

enum class Key { enter, escape, tab, shift_tab, up, down, space, home, end, page_up, page_down };

// One answer of an answers script, as the script front-end applies it.
struct ScriptAction {
    enum Kind { press, key_press, select, expect, close } kind = press;
    int id = 0;
    Key key = Key::enter;
    std::string text;  // UTF-8
    size_t line = 0;
};
// The actions of each line of an answers script that has any. At the first
// malformed line: nothing, and the reason ("SOURCE line N: ...") in error.
// The script front-end ends the process with that reason; the fuzz tests
// call the parser alone.
std::vector<std::vector<ScriptAction>> parse_answers_script(std::string_view script, const std::string &source,
                                                            std::string &error);

// Each posts the input a real user would produce; the message loop then
// delivers it through the dialog manager. On failure error says why.
void user_key(HWND target, Key key);
bool user_press(HWND target, int id, std::string &error);
bool user_select(HWND target, std::string_view utf8_prefix, std::string &error);
bool user_close(HWND target, std::string &error);
// The window menu of the main window: commands and whether each is enabled,
// after the window has been sent WM_INITMENUPOPUP.
std::vector<std::pair<UINT, bool>> user_open_window_menu(HWND target);
void user_choose_window_menu(HWND target, UINT command);

// "message box "Command syntax"", "dialog 608 "Sélection du Port"", ...
std::string describe_window(HWND hwnd);
// The title, caption or any control text, in UTF-8, contains the text.
bool window_shows_text(HWND hwnd, std::string_view utf8);

// ---- transcript (transcript.cpp) --------------------------------------------

void transcript_open(const Config &cfg);
void transcript_title(const std::string &ansi);
void transcript_messagebox(HWND owner, const std::string &caption, const std::string &text, UINT type, int answer);
void transcript_dialog_shown(HWND dialog);
void transcript_dialog_ended(HWND dialog, INT_PTR result);
void transcript_error(const std::string &reason);
// A restart that Windows accepted; method is the function that asked for it.
void transcript_restart(const char *method);
void transcript_exit(int code);
// Closes the transcript without an exit event.
void transcript_close();

// The end of the process, from WinMain's return or a host error: transcript
// exit event, terminal restored.
void end_host(int code);

}  // namespace w32h
