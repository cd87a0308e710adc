// failpoints.cpp - WIN32HOST_FAIL: makes the Nth call of a named Win32
// function fail with a chosen error, so that tests reach the program's
// failure paths (class registration, window creation, allocation, version);
// WIN32HOST_CALLS lists every such call, so a test knows each N it can fail.
#include "host.h"
#include "window_model.h"

#include <cstdio>

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <unordered_map>

namespace w32h {
namespace {

// The entry points that honour WIN32HOST_FAIL.
constexpr std::array failable{
    "AddPrinterA",
    "AddPrinterDriverA",
    "AdjustTokenPrivileges",
    "ClosePrinter",
    "CreateFileA",
    "CreateWindowExA",
    "DeleteFileA",
    "DeleteFormA",
    "DeletePrinter",
    "DeletePrinterDriverA",
    "DialogBoxIndirectParamA",
    "DialogBoxParamA",
    "EnumPortsA",
    "ExitWindowsEx",
    "GetPrinterDriverA",
    "GetPrinterDriverDirectoryA",
    "GetSystemDirectoryA",
    "GetVersionExA",
    "GlobalAlloc",
    "InitiateSystemShutdownA",
    "KillTimer",
    "LoadIconA",
    "LoadStringA",
    "LookupPrivilegeValueA",
    "MessageBoxA",
    "MoveFileA",
    "MoveFileExA",
    "OpenPrinterA",
    "OpenProcessToken",
    "ReadFile",
    "RegisterClassA",
    "SetTimer",
    "WriteFile",
};

// The entry points that also take "=short": the call succeeds having done
// only part of its work (a short write), as a full disk can make it.
constexpr std::array shortable{"WriteFile"};

struct Rule {
    std::string function;
    unsigned long call = 1;
    std::optional<DWORD> error;
    bool short_count = false;
};

std::vector<Rule> &rules() {
    static std::vector<Rule> r;
    return r;
}

// Calls counted per function name. Callers pass string literals, so the
// literal's address finds the counter without comparing names: ReadFile and
// WriteFile are counted on every block the copy dialog moves.
class CallCounts {
public:
    unsigned long &of(const char *function) {
        if (auto site = by_site_.find(function); site != by_site_.end()) return *site->second;
        unsigned long &count = by_name_[function];
        by_site_.emplace(function, &count);
        return count;
    }
    void clear() {
        by_site_.clear();
        by_name_.clear();
    }

private:
    std::map<std::string, unsigned long, std::less<>> by_name_;
    std::unordered_map<const char *, unsigned long *> by_site_;
};

CallCounts &counts() {
    static CallCounts c;
    return c;
}

// WIN32HOST_CALLS: one line per failable call as it happens, so that the
// list is whole up to the last call even when the process dies.
void record_call(const char *function, unsigned long call) {
    static std::FILE *out = nullptr;
    static bool opened = false;
    const auto &path = config().calls_path;
    if (!path) return;
    if (!opened) {
        opened = true;
        out = std::fopen(path->c_str(), "w");
    }
    if (!out) return;
    HWND modal = innermost_modal();
    std::fprintf(out, "%s %lu %s\n", function, call, modal ? window_label(modal).c_str() : "none");
    std::fflush(out);
}

// Blanks around names and numbers are allowed; only spaces count.
std::string_view trim(std::string_view s) { return w32h::trim(s, " "); }

template <class T>
bool parse_number(std::string_view text, T &out) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

std::optional<std::string> parse_rule(std::string_view item, Rule &rule) {
    size_t eq = item.find('=');
    std::string_view head = item.substr(0, eq);
    if (eq != std::string_view::npos) {
        DWORD error = 0;
        if (trim(item.substr(eq + 1)) == "short")
            rule.short_count = true;
        else if (!parse_number(trim(item.substr(eq + 1)), error))
            return "bad error number in '" + std::string(item) + "'";
        else
            rule.error = error;
    }
    size_t hash = head.find('#');
    if (hash != std::string_view::npos) {
        if (!parse_number(trim(head.substr(hash + 1)), rule.call) || rule.call == 0)
            return "bad call number in '" + std::string(item) + "'";
        head = head.substr(0, hash);
    }
    rule.function = std::string(trim(head));
    if (std::find(failable.begin(), failable.end(), rule.function) == failable.end())
        return "'" + rule.function + "' is not a function that can be made to fail";
    if (rule.short_count && std::find(shortable.begin(), shortable.end(), rule.function) == shortable.end())
        return "'" + rule.function + "' cannot be made to come up short";
    return std::nullopt;
}

}  // namespace

std::optional<std::string> parse_fail_rules(std::string_view text) {
    std::vector<Rule> parsed;
    while (!trim(text).empty()) {
        size_t comma = text.find(',');
        std::string_view item = trim(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        if (item.empty()) return "empty entry";
        Rule rule;
        if (auto err = parse_rule(item, rule)) return err;
        parsed.push_back(rule);
    }
    rules() = std::move(parsed);
    counts().clear();
    return std::nullopt;
}

std::span<const char *const> failable_functions() { return failable; }

void reset_fail_rules() {
    rules().clear();
    counts().clear();
}

Fault injected_fault(const char *function, DWORD default_error) {
    auto &r = rules();
    unsigned long call = ++counts().of(function);
    record_call(function, call);
    for (const Rule &rule : r)
        if (rule.function == function && rule.call == call) {
            if (rule.short_count) return Fault::short_count;
            SetLastError(rule.error.value_or(default_error));
            return Fault::fail;
        }
    return Fault::none;
}

bool injected_failure(const char *function, DWORD default_error) {
    return injected_fault(function, default_error) == Fault::fail;
}

}  // namespace w32h
