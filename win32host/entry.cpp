// entry.cpp - the process entry of a program built over win32host: checks the
// host configuration, starts the front-end, builds the command tail from the
// raw command line by Windows' rule and calls the program's WinMain, whose
// result becomes the exit code.
#include "frontend.h"
#include "host.h"

#include <string>

namespace w32h {
namespace {

std::string raw_command_line(int argc, char **argv) {
    if (config().cmdline) return *config().cmdline;
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (i) line += ' ';
        line += argv[i];
    }
    return line;
}

// The program name ends at the closing quote when the line starts with one,
// else at the first character not above the blank; then every character
// from 0x01 to 0x20 is skipped.
char *command_tail(std::string &line) {
    auto *p = reinterpret_cast<unsigned char *>(line.data());
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p > ' ') ++p;
    }
    while (*p && *p <= ' ') ++p;
    return reinterpret_cast<char *>(p);
}

}  // namespace
}  // namespace w32h

int main(int argc, char **argv) {
    const w32h::Config &cfg = w32h::config();
    w32h::transcript_open(cfg);
    w32h::start_frontend(cfg);
    std::string &line = w32h::command_line_buffer();
    line = w32h::raw_command_line(argc, argv);
    char *tail = w32h::command_tail(line);
    int code = WinMain(w32h::program_instance(), nullptr, tail, SW_SHOWDEFAULT);
    w32h::end_host(code);
    return code;
}
