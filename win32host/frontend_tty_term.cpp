// frontend_tty_term.cpp - the terminal under the terminal front-end: which
// one (standard output, else the controlling terminal when output is
// redirected, as full-screen tools do), whether TERM can draw, the character
// set (asked of the terminal when the locale does not say UTF-8), and the
// terminal left as found on every way out: Ctrl-Z and fg, and the signals.
#include "frontend_tty.h"
#include "host.h"

#include <fcntl.h>
#include <langinfo.h>
#include <linux/kd.h>
#include <poll.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#define NCURSES_WIDECHAR 1
#define NCURSES_NOMACROS 1
#include <curses.h>
#include <term.h>

namespace w32h::tty {
namespace {

// Made before main; only a failed allocation could throw there.
// NOLINTNEXTLINE(cert-err58-cpp)
const std::string set_term_hint = "set TERM to the terminal's name (e.g. TERM=xterm-256color) or WIN32HOST_UI=script";

// ---- the character set -------------------------------------------------------------

bool locale_is_utf8() {
    const char *set = nl_langinfo(CODESET);
    return set && (strcasecmp(set, "UTF-8") == 0 || strcasecmp(set, "utf8") == 0);
}

bool name_says_utf8() {
    for (const char *name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char *v = std::getenv(name);
        if (!v || !*v) continue;
        std::string value(v);
        return value.find("UTF-8") != std::string::npos || value.find("utf8") != std::string::npos ||
               value.find("utf-8") != std::string::npos || value.find("UTF8") != std::string::npos;
    }
    return false;
}

// Writes "é" as UTF-8 and asks where the cursor went: one column on a UTF-8
// terminal, two on a single-byte one. Nothing when the terminal does not answer.
std::optional<bool> terminal_is_utf8(int fd) {
    termios saved{};
    if (tcgetattr(fd, &saved) != 0) return std::nullopt;
    termios raw = saved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &raw);
    const char ask[] = "\r\xC3\xA9\033[6n";
    std::optional<bool> answer;
    if (write(fd, ask, sizeof ask - 1) == static_cast<ssize_t>(sizeof ask - 1)) {
        std::string reply;
        pollfd p{fd, POLLIN, 0};
        while (reply.find('R') == std::string::npos && poll(&p, 1, 400) > 0) {
            char buf[32];
            ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0) break;
            reply.append(buf, static_cast<size_t>(n));
        }
        int row = 0, col = 0;
        size_t esc = reply.rfind("\033[");
        // Five digits at most cannot overflow; no terminal has more rows or columns.
        // NOLINTNEXTLINE(cert-err34-c)
        if (esc != std::string::npos && std::sscanf(reply.c_str() + esc, "\033[%5d;%5dR", &row, &col) == 2)
            answer = col == 2;
    }
    const char wipe[] = "\r\033[K";
    if (write(fd, wipe, sizeof wipe - 1) < 0) { /* the terminal is gone; curses will say so */
    }
    tcsetattr(fd, TCSANOW, &saved);
    return answer;
}

// Only LC_CTYPE: curses needs the character set, while the emulated Windows
// must not pick up the host's number, date or collation rules. A locale that
// is named but not installed (fr_FR on a minimal system), or one of another
// character set, must not stop a UTF-8 terminal from showing accents and
// lines: the terminal itself is asked.
// On a UTF-8 terminal lines are drawn as Unicode characters rather than
// through the terminal's line-drawing set, which several terminals (PuTTY,
// screen) do not honour in UTF-8 mode.
void set_character_set(int fd) {
    bool installed = std::setlocale(LC_CTYPE, "") != nullptr;
    if (!installed || !locale_is_utf8()) {
        std::optional<bool> utf8 = terminal_is_utf8(fd);
        if (!utf8) utf8 = name_says_utf8();
        if (*utf8) std::setlocale(LC_CTYPE, "C.UTF-8");
    }
    if (locale_is_utf8()) setenv("NCURSES_NO_UTF8_ACS", "1", 0);
}

// ---- the mouse on the Linux console -------------------------------------------------

// Under TERM=linux curses asks GPM for the mouse, which only the Linux
// console has; elsewhere (TERM=linux in tmux, over ssh) libgpm's attempt
// fails, and leaks as it does. Only the console, where the keyboard-type
// ioctl answers, keeps GPM, unless NCURSES_GPM_TERMS says otherwise.
void leave_gpm_to_the_console(int fd) {
    char keyboard = 0;
    if (ioctl(fd, KDGKBTYPE, &keyboard) != 0) setenv("NCURSES_GPM_TERMS", "", 0);
}

// ---- TERM ------------------------------------------------------------------------

bool has_string(const char *cap) {
    char *s = tigetstr(const_cast<char *>(cap));
    return s && s != reinterpret_cast<char *>(-1) && *s;
}

void check_term(int fd) {
    const char *term = std::getenv("TERM");
    if (!term || !*term)
        host_error("TERM is not set, so the terminal front-end cannot tell how to draw on this terminal; " +
                   set_term_hint);
    int err = 0;
    if (setupterm(const_cast<char *>(term), fd, &err) != OK)
        host_error("TERM=" + std::string(term) + " names a terminal this system does not know (no terminfo entry); " +
                   set_term_hint);
    bool can_draw = has_string("cup");
    del_curterm(cur_term);
    if (!can_draw)
        host_error("TERM=" + std::string(term) +
                   " cannot move the cursor, so the terminal front-end cannot draw dialogs on it; " + set_term_hint);
}

// ---- leaving the terminal as found ---------------------------------------------------

struct Sequence {
    char bytes[512];
    size_t length = 0;

    // A terminfo string without its padding ("$<2>"), which is for curses to honour.
    void add(const char *cap) {
        char *s = tigetstr(const_cast<char *>(cap));
        if (!s || s == reinterpret_cast<char *>(-1)) return;
        add_text(s);
    }
    void add_text(const char *s) {
        for (; *s && length < sizeof bytes; ++s) {
            if (s[0] == '$' && s[1] == '<') {
                const char *end = std::strchr(s, '>');
                if (end) {
                    s = end;
                    continue;
                }
            }
            bytes[length++] = *s;
        }
    }
};

int g_fd = -1;
termios g_shell{};  // the terminal as found
termios g_prog{};   // as curses set it
Sequence g_leave;   // attributes off, cursor shown, keypad off, mouse off, main screen
Sequence g_enter;   // the reverse
volatile sig_atomic_t g_armed = 0;
volatile sig_atomic_t g_resumed = 0;
constexpr int end_signals[] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};

void write_all(const char *p, size_t n) {
    while (n > 0) {
        ssize_t k = write(g_fd, p, n);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return;
        p += k;
        n -= static_cast<size_t>(k);
    }
}

// Async-signal-safe: write() and tcsetattr() only.
void leave_terminal() {
    if (g_fd < 0) return;
    if (g_armed) write_all(g_leave.bytes, g_leave.length);
    tcsetattr(g_fd, TCSADRAIN, &g_shell);
}

void deliver_default(int sig) {
    std::signal(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
}

void on_end_signal(int sig) {
    leave_terminal();
    deliver_default(sig);
    _exit(128 + sig);  // only if the signal was ignored after all
}

void on_stop(int);

void catch_signal(int sig, void (*handler)(int)) {
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    for (int s : end_signals) sigaddset(&sa.sa_mask, s);
    sa.sa_flags = 0;  // no SA_RESTART: a waiting read returns, and the loop redraws
    sigaction(sig, &sa, nullptr);
}

// Stops as Ctrl-Z asks once the terminal is restored; when continued, curses'
// modes, the alternate screen and keypad mode come back and the next idle
// moment redraws everything.
void on_stop(int) {
    int saved_errno = errno;
    leave_terminal();
    deliver_default(SIGTSTP);
    catch_signal(SIGTSTP, on_stop);
    if (g_fd >= 0) {
        tcgetattr(g_fd, &g_shell);  // the shell may have changed it meanwhile
        tcsetattr(g_fd, TCSADRAIN, &g_prog);
        if (g_armed) write_all(g_enter.bytes, g_enter.length);
    }
    g_resumed = 1;
    errno = saved_errno;
}

}  // namespace

TerminalFiles open_terminal() {
    if (!isatty(STDIN_FILENO)) host_error("the terminal front-end needs a terminal; set WIN32HOST_UI=script");
    TerminalFiles t{stdin, stdout, nullptr, STDOUT_FILENO};
    if (!isatty(STDOUT_FILENO)) {
        t.own = std::fopen("/dev/tty", "r+");
        if (!t.own)
            host_error(
                "standard output is redirected and there is no controlling terminal to draw on; "
                "set WIN32HOST_UI=script");
        t.in = t.out = t.own;
        t.fd = fileno(t.own);
    }
    check_term(t.fd);
    set_character_set(t.fd);
    leave_gpm_to_the_console(t.fd);
    g_fd = t.fd;
    tcgetattr(g_fd, &g_shell);
    // Before curses starts, so that it keeps ours rather than installing its own.
    for (int sig : end_signals) catch_signal(sig, on_end_signal);
    catch_signal(SIGTSTP, on_stop);
    return t;
}

void watch_signals(const TerminalFiles &files, bool mouse) {
    g_armed = 0;
    g_fd = files.fd;
    tcgetattr(g_fd, &g_prog);
    g_leave = Sequence{};
    g_enter = Sequence{};
    g_leave.add("sgr0");
    g_leave.add("cnorm");
    g_leave.add("rmkx");
    if (mouse) g_leave.add_text("\033[?1006l\033[?1000l");
    g_leave.add("rmcup");
    g_enter.add("smcup");
    g_enter.add("smkx");
    g_enter.add("civis");
    g_armed = 1;
}

void unwatch_signals() {
    g_armed = 0;
    for (int sig : end_signals) std::signal(sig, SIG_DFL);
    std::signal(SIGTSTP, SIG_DFL);
    g_fd = -1;
}

bool resumed_pending() { return g_resumed != 0; }

void take_size_again(const TerminalFiles &files) {
    winsize size{};
    if (ioctl(files.fd, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0) return;
    if (size.ws_row != LINES || size.ws_col != COLS) resizeterm(size.ws_row, size.ws_col);
}

bool take_resumed() {
    if (!g_resumed) return false;
    g_resumed = 0;
    return true;
}

}  // namespace w32h::tty
