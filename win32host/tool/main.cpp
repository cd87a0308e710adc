// main.cpp - the win32host command-line tool: finds the command named by the
// first argument in the table and runs it with the rest; --help lists them.
// Commands read the same WIN32HOST_* variables as a program does.
#include "tool.h"

#include <cstdio>
#include <cstring>

namespace w32h::tool {
namespace {

const Command *const commands[] = {
    &lock_command,
};

int print_help(FILE *out) {
    std::fprintf(out, "usage: win32host COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const Command *c : commands) {
        std::string head = std::string(c->name) + " " + c->usage;
        std::fprintf(out, "  %-24s %s\n", head.c_str(), c->summary);
    }
    std::fprintf(out, "\nThe emulated machine is the one of WIN32HOST_PREFIX and WIN32HOST_WINVER.\n");
    return out == stdout ? 0 : 2;
}

}  // namespace

int report_failure(const char *command, const std::string &text) {
    std::fprintf(stderr, "win32host %s: %s\n", command, text.c_str());
    return 1;
}

}  // namespace w32h::tool

int main(int argc, char **argv) {
    using namespace w32h::tool;
    if (argc < 2) return print_help(stderr);
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help"))
        return print_help(stdout);
    for (const Command *c : commands)
        if (!std::strcmp(argv[1], c->name)) return c->run(std::vector<std::string>(argv + 2, argv + argc));
    std::fprintf(stderr, "win32host: unknown command '%s' (see win32host --help)\n", argv[1]);
    return 2;
}
