// frontend_tty.h - the terminal under the terminal front-end
// (frontend_tty_term.cpp): opening it with the checks a person needs to hear
// about (no terminal, TERM missing, unknown or unable to draw), its character
// set, and leaving it as it was found on every way out, signals included.
#pragma once

#include <cstdio>

namespace w32h::tty {

// The terminal curses was started on: standard input and output, or the
// controlling terminal when standard output is redirected.
struct TerminalFiles {
    FILE *in = nullptr;
    FILE *out = nullptr;
    FILE *own = nullptr;  // the controlling terminal, opened here; closed at the end
    int fd = -1;
};

// Checks TERM and chooses the character set; ends the process through
// host_error, naming what is missing, when there is nothing to draw on.
TerminalFiles open_terminal();
// After curses has set its modes: Ctrl-Z and fg keep the screen and keypad
// mode, and SIGINT, SIGTERM, SIGQUIT and SIGHUP restore the terminal, then
// end the process as killed by that signal (exit status 128 + the signal).
void watch_signals(const TerminalFiles &files, bool mouse);
// Put back the default actions once curses has restored the terminal.
void unwatch_signals();
// True once after the process was continued from a stop: the screen must be
// drawn again from scratch.
bool take_resumed();
// The same without taking it: a read cut short by the stop is not the end
// of the terminal.
bool resumed_pending();
// After a stop: a resize made meanwhile was told to the shell that had the
// terminal, not to us, so curses takes the terminal's size again.
void take_size_again(const TerminalFiles &files);

}  // namespace w32h::tty
