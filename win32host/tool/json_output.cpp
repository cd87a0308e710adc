// json_output.cpp - the tool's JSON on standard output: compact on one line
// for the programs and tests that read it, indented two spaces a level when a
// person reads it on a terminal, as common command-line tools do.
#include "tool.h"

#include <unistd.h>

#include <cstdio>
#include <string_view>

namespace w32h::tool {
namespace {

// One member or element a line; empty objects and arrays stay "{}" and "[]".
std::string indented(std::string_view compact) {
    std::string out;
    int depth = 0;
    bool in_string = false, escaped = false;
    auto new_line = [&] { out += '\n' + std::string(static_cast<size_t>(2 * depth), ' '); };
    for (size_t i = 0; i < compact.size(); ++i) {
        char c = compact[i];
        if (in_string) {
            out += c;
            in_string = escaped || c != '"';
            escaped = !escaped && c == '\\';
            continue;
        }
        bool opens = c == '{' || c == '[';
        if (opens && i + 1 < compact.size() && (compact[i + 1] == '}' || compact[i + 1] == ']')) {
            out += compact.substr(i++, 2);
            continue;
        }
        if (c == '}' || c == ']') {
            --depth;
            new_line();
        }
        out += c;
        if (opens) ++depth;
        if (opens || c == ',') new_line();
        if (c == ':') out += ' ';
        in_string = c == '"';
    }
    return out;
}

}  // namespace

void print_json(const std::string &compact) {
    std::string text = isatty(STDOUT_FILENO) ? indented(compact) : compact;
    std::printf("%s\n", text.c_str());
}

}  // namespace w32h::tool
