// frontend_script.cpp - the script front-end: answers the dialogs and message
// boxes from an answers file, one line for each time something waits for the
// user, and lets time pass at once on the virtual clock. The whole script is
// checked before the program runs; running out of it while something waits
// ends the run with exit code 3.
#include "frontend.h"
#include "window_model.h"

#include <deque>

namespace w32h {
namespace {

using Action = ScriptAction;

// Blanks, and the carriage return of a script written on Windows.
std::string_view trim(std::string_view s) { return w32h::trim(s, " \t\r"); }

// The keys a script can name, in the order its error message lists them.
constexpr std::pair<const char *, Key> script_keys[] = {
    {"enter", Key::enter}, {"escape", Key::escape},  {"tab", Key::tab},           {"shift-tab", Key::shift_tab},
    {"up", Key::up},       {"down", Key::down},      {"space", Key::space},       {"home", Key::home},
    {"end", Key::end},     {"pageup", Key::page_up}, {"pagedown", Key::page_down}};

std::optional<Key> key_named(std::string_view name) {
    for (auto [n, k] : script_keys)
        if (name == n) return k;
    return std::nullopt;
}

std::string key_names() {
    std::string out;
    for (auto [n, k] : script_keys) out += (out.empty() ? "" : ", ") + std::string(n);
    return out;
}

std::optional<int> number(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n <= 0xFFFF ? std::optional<int>(n) : std::nullopt;
}

std::optional<Action> parse_action(std::string_view text, std::string &error) {
    size_t space = text.find(' ');
    std::string_view verb = text.substr(0, space);
    std::string_view arg = space == std::string_view::npos ? std::string_view{} : trim(text.substr(space + 1));
    Action a;
    static const std::pair<const char *, int> answers[] = {
        {"yes", IDYES}, {"no", IDNO}, {"ok", IDOK}, {"cancel", IDCANCEL}};
    for (auto [name, id] : answers)
        if (verb == name && arg.empty()) {
            a.id = id;
            return a;
        }
    if (verb == "close" && arg.empty()) {
        a.kind = Action::close;
        return a;
    }
    if (verb == "press") {
        auto n = number(arg);
        if (n) {
            a.id = *n;
            return a;
        }
        error = "press needs a control or answer number, not '" + std::string(arg) + "'";
    } else if (verb == "key") {
        a.kind = Action::key_press;
        auto k = key_named(arg);
        if (k) {
            a.key = *k;
            return a;
        }
        error = "unknown key '" + std::string(arg) + "' (" + key_names() + ")";
    } else if ((verb == "select" || verb == "expect") && !arg.empty()) {
        a.kind = verb == "select" ? Action::select : Action::expect;
        a.text = std::string(arg);
        return a;
    } else {
        error = "unknown action '" + std::string(text) + "'";
    }
    return std::nullopt;
}

class ScriptFrontend : public Frontend {
public:
    ScriptFrontend(const std::string &script, std::string source) : source_(std::move(source)) {
        std::string error;
        lines_ = parse_answers_script(script, source_, error);
        if (!error.empty()) host_error(error);
    }

    void idle(HWND waiting, std::optional<uint64_t> deadline) override {
        if (!waiting) {
            if (!deadline) host_error("nothing can happen any more: no window waits for the user and no timer runs");
            clock_wait_until(*deadline);
            return;
        }
        if (pending_.empty()) next_line(waiting);
        Action a = pending_.front();
        pending_.pop_front();
        apply(a, waiting);
    }

private:
    void next_line(HWND waiting) {
        if (next_ >= lines_.size()) host_error("the answers script ended while " + describe_window(waiting) + " waits");
        pending_.assign(lines_[next_].begin(), lines_[next_].end());
        ++next_;
    }

    void apply(const Action &a, HWND waiting) {
        std::string error;
        bool ok = true;
        switch (a.kind) {
        case Action::press:
            ok = user_press(waiting, a.id, error);
            break;
        case Action::key_press:
            user_key(waiting, a.key);
            break;
        case Action::select:
            ok = user_select(waiting, a.text, error);
            break;
        case Action::close:
            ok = user_close(waiting, error);
            break;
        case Action::expect:
            ok = window_shows_text(waiting, a.text);
            if (!ok) error = "expected \"" + a.text + "\" in " + describe_window(waiting);
            break;
        }
        if (!ok) host_error(source_ + " line " + std::to_string(a.line) + ": " + error);
    }

    std::string source_;
    std::vector<std::vector<Action>> lines_;
    size_t next_ = 0;
    std::deque<Action> pending_;
};

// The actions of one line; false, with the reason, at its first malformed one.
bool parse_line(std::string_view line, size_t number, std::vector<Action> &actions, std::string &error) {
    if (line.empty() || line.front() == '#') return true;
    while (!line.empty()) {
        size_t semi = line.find(';');
        std::string_view item = trim(line.substr(0, semi));
        line = semi == std::string_view::npos ? std::string_view{} : line.substr(semi + 1);
        if (item.empty()) continue;
        auto a = parse_action(item, error);
        if (!a) return false;
        a->line = number;
        actions.push_back(*a);
    }
    return true;
}

}  // namespace

std::vector<std::vector<ScriptAction>> parse_answers_script(std::string_view script, const std::string &source,
                                                            std::string &error) {
    std::vector<std::vector<ScriptAction>> lines;
    std::string_view rest = script;
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
    for (size_t number = 1; !rest.empty(); ++number) {
        size_t end = rest.find('\n');
        std::vector<ScriptAction> actions;
        std::string reason;
        if (!parse_line(trim(rest.substr(0, end)), number, actions, reason)) {
            error = source;
            error += " line " + std::to_string(number) + ": ";
            error += reason;
            return {};
        }
        if (!actions.empty()) lines.push_back(std::move(actions));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    return lines;
}

std::unique_ptr<Frontend> make_script_frontend(const std::string &script, const std::string &source) {
    return std::make_unique<ScriptFrontend>(script, source);
}

}  // namespace w32h
