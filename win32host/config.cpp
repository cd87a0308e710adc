// config.cpp - the WIN32HOST_* variables that configure the emulated machine
// and the front-end, read once and checked before the program starts, and the
// one way a host error ends the process: exit code 3 with a one-line reason.
#include "frontend.h"
#include "host.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace w32h {
namespace {

std::optional<Config> &current() {
    static std::optional<Config> c;
    return c;
}

std::optional<std::string> env(const char *name) {
    const char *v = std::getenv(name);
    if (!v) return std::nullopt;
    return std::string(v);
}

std::optional<std::string> env_nonempty(const char *name) {
    auto v = env(name);
    if (v && v->empty()) return std::nullopt;
    return v;
}

bool french_locale() {
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (auto v = env_nonempty(name)) return v->rfind("fr", 0) == 0;
    return false;
}

std::optional<std::pair<int, int>> parse_screen(const std::string &text) {
    int w = 0, h = 0;
    char extra = 0;
    // Six digits at most cannot overflow, which is all strtol would add.
    // NOLINTNEXTLINE(cert-err34-c)
    if (std::sscanf(text.c_str(), "%6dx%6d%c", &w, &h, &extra) != 2) return std::nullopt;
    if (w < 1 || h < 1 || w > 32767 || h > 32767 || text.find_first_not_of("0123456789x") != std::string::npos)
        return std::nullopt;
    return std::make_pair(w, h);
}

// A person at a terminal whose output is redirected (SetupOrdane | tee log)
// sees the dialogs on the controlling terminal, as full-screen tools draw
// there; an answers file named by WIN32HOST_SCRIPT keeps the script front-end.
bool person_at_terminal() {
    if (!isatty(0)) return false;
    if (isatty(1)) return true;
    if (env_nonempty("WIN32HOST_SCRIPT")) return false;
    int fd = open("/dev/tty", O_RDWR | O_NOCTTY);
    if (fd < 0) return false;
    close(fd);
    return true;
}

std::optional<std::string> load_ui(Config &c) {
    auto ui = env_nonempty("WIN32HOST_UI");
    if (!ui)
        c.ui = person_at_terminal() ? UiMode::tty : UiMode::script;
    else if (*ui == "tty")
        c.ui = UiMode::tty;
    else if (*ui == "script")
        c.ui = UiMode::script;
    else
        return "WIN32HOST_UI must be tty or script, not '" + *ui + "'";
    auto clock = env_nonempty("WIN32HOST_CLOCK");
    if (!clock)
        c.clock = c.ui == UiMode::tty ? ClockMode::real : ClockMode::virtual_;
    else if (*clock == "real")
        c.clock = ClockMode::real;
    else if (*clock == "virtual")
        c.clock = ClockMode::virtual_;
    else
        return "WIN32HOST_CLOCK must be real or virtual, not '" + *clock + "'";
    c.script_path = env_nonempty("WIN32HOST_SCRIPT").value_or("");
    c.transcript_path = env_nonempty("WIN32HOST_TRANSCRIPT");
    if (!c.transcript_path && c.ui == UiMode::script) c.transcript_path = "-";
    return std::nullopt;
}

std::string one_line(std::string text) {
    for (char &ch : text)
        if (ch == '\n' || ch == '\r') ch = ' ';
    return text;
}

}  // namespace

std::string default_prefix() {
    if (auto xdg = env_nonempty("XDG_DATA_HOME")) return *xdg + "/win32host";
    if (auto home = env_nonempty("HOME")) return *home + "/.local/share/win32host";
    return "";
}

std::optional<std::string> load_config(Config &c) {
    c.prefix = env_nonempty("WIN32HOST_PREFIX").value_or(default_prefix());
    std::string winver = env_nonempty("WIN32HOST_WINVER").value_or("win2000");
    auto version = parse_windows_version(winver);
    if (!version)
        return "WIN32HOST_WINVER: unknown Windows version '" + winver +
               "' (win95, win98, winme, nt351, nt40, win2000, winxp, win32s or ID.MAJOR.MINOR)";
    c.winver = *version;
    if (auto err = load_ui(c)) return err;
    c.fail_rules = env("WIN32HOST_FAIL").value_or("");
    if (auto err = parse_fail_rules(c.fail_rules)) return "WIN32HOST_FAIL: " + *err;
    c.calls_path = env_nonempty("WIN32HOST_CALLS");
    c.cmdline = env("WIN32HOST_CMDLINE");
    if (auto screen = env_nonempty("WIN32HOST_SCREEN")) {
        auto size = parse_screen(*screen);
        if (!size) return "WIN32HOST_SCREEN must be WIDTHxHEIGHT in pixels, not '" + *screen + "'";
        c.screen_width = size->first;
        c.screen_height = size->second;
    }
    c.french = french_locale();
    if (auto shutdown = env_nonempty("WIN32HOST_SHUTDOWN")) {
        if (*shutdown != "allow" && *shutdown != "deny")
            return "WIN32HOST_SHUTDOWN must be allow or deny, not '" + *shutdown + "'";
        c.shutdown_privilege = *shutdown == "allow";
    }
    return std::nullopt;
}

const Config &config() {
    if (!current()) {
        Config c;
        if (auto err = load_config(c)) host_error(*err);
        current() = c;
    }
    return *current();
}

void set_config(const Config &cfg) { current() = cfg; }

void reset_config() { current().reset(); }

[[noreturn]] void host_error(const std::string &reason) {
    static bool ending = false;
    if (ending) std::_Exit(3);
    ending = true;
    std::string line = one_line(reason);
    transcript_error(line);
    end_host(3);
    // Nothing is left to tell if standard error fails too.
    (void)std::fprintf(stderr, "win32host: %s\n", line.c_str());
    (void)std::fflush(stderr);
    std::exit(3);
}

}  // namespace w32h
