// tool.h - the commands of the win32host tool, with which people and tests
// look at and prepare the emulated machine. Each area adds its commands in its
// own file and one line to the table in main.cpp.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace w32h::tool {

// One way of calling a command: the arguments after its name, and one line
// for --help.
struct Usage {
    const char *arguments;
    const char *summary;
};

struct Command {
    const char *name;
    std::span<const Usage> usages;
    int (*run)(const std::vector<std::string> &args);  // the process's exit code
};

// Prints "win32host NAME: TEXT" on standard error and returns 1.
int report_failure(const char *command, const std::string &text);
// "usage: win32host NAME ARGUMENTS", its ways of calling joined by " | ".
inline std::string usage_of(const Command &c) {
    std::string line = std::string("usage: win32host ") + c.name;
    for (size_t i = 0; i < c.usages.size(); ++i)
        if (*c.usages[i].arguments) line += (i ? " | " : " ") + std::string(c.usages[i].arguments);
    return line;
}

// For a command that only reads: true when the prefix exists. Otherwise it
// says so, naming the prefix, through report_failure: a mistyped
// WIN32HOST_PREFIX must not quietly become a new, empty machine.
bool machine_exists(const char *command);

// Prints a JSON text given compact: as it is, on one line, for programs that
// read standard output; indented when standard output is a terminal.
void print_json(const std::string &compact);

extern const Command lock_command;
extern const Command path_command;
extern const Command prefix_command;
extern const Command spooler_command;

}  // namespace w32h::tool
