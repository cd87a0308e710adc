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

extern const Command lock_command;

}  // namespace w32h::tool
