// tool.h - the commands of the win32host tool, with which people and tests
// look at and prepare the emulated machine. Each area adds its commands in its
// own file and one line to the table in main.cpp.
#pragma once

#include <string>
#include <vector>

namespace w32h::tool {

struct Command {
    const char *name;
    const char *usage;                                 // the arguments after the name
    const char *summary;                               // one line for --help
    int (*run)(const std::vector<std::string> &args);  // the process's exit code
};

// Prints "win32host NAME: TEXT" on standard error and returns 1.
int report_failure(const char *command, const std::string &text);

// For a command that only reads: true when the prefix exists. Otherwise it
// says so, naming the prefix, through report_failure: a mistyped
// WIN32HOST_PREFIX must not quietly become a new, empty machine.
bool machine_exists(const char *command);

extern const Command lock_command;
extern const Command path_command;
extern const Command spooler_command;

}  // namespace w32h::tool
