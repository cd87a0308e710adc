// main.cpp - the win32host command-line tool: finds the command named by the
// first argument in the table and runs it with the rest; --help lists them,
// each way of calling one on a line of its own within 80 columns.
// Commands read the same WIN32HOST_* variables as a program does.
#include "host.h"
#include "tool.h"

#include <cstdio>
#include <cstring>

namespace w32h::tool {
namespace {

const Command *const commands[] = {
    &lock_command,
    &path_command,
    &prefix_command,
    &spooler_command,
};

// The summary in a column of its own; after a long head, on the next line.
void print_usage(FILE *out, const Command &c, const Usage &u) {
    std::string head = std::string(c.name) + (*u.arguments ? " " : "") + u.arguments;
    if (head.size() > 22)
        std::fprintf(out, "  %s\n%26s", head.c_str(), "");
    else
        std::fprintf(out, "  %-24s", head.c_str());
    std::fprintf(out, "%s\n", u.summary);
}

int print_help(FILE *out) {
    std::fprintf(out, "usage: win32host COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const Command *c : commands)
        for (const Usage &u : c->usages) print_usage(out, *c, u);
    std::string here = default_prefix().empty() ? "(neither is set)" : default_prefix();
    std::fprintf(out,
                 "\nThe emulated machine is the folder WIN32HOST_PREFIX; by default\n"
                 "$XDG_DATA_HOME/win32host, else ~/.local/share/win32host, which is here\n  %s\n"
                 "Its Windows version is WIN32HOST_WINVER (default win2000). Commands that only\n"
                 "read never make the machine; `win32host path C:\\...` does.\n",
                 here.c_str());
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
