// lock.cpp - "win32host lock PATH": holds a file open with share mode 0, as
// another program holding it would, until the command is ended (SIGTERM,
// SIGINT, SIGHUP, or its standard input closed). It prints "locked" once it
// holds the file, so that a test can wait for that line.
#include "tool.h"

#include <windows.h>

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace w32h::tool {
namespace {

// Standard input ends the hold only when it is something that can be closed:
// a pipe, a socket or a terminal, not /dev/null or a file.
bool watch_standard_input() {
    struct stat st {};
    if (fstat(STDIN_FILENO, &st) != 0) return false;
    return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || isatty(STDIN_FILENO);
}

void wait_until_ended(int signals) {
    bool watch_input = watch_standard_input();
    for (;;) {
        pollfd fds[2] = {{signals, POLLIN, 0}, {watch_input ? STDIN_FILENO : -1, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[0].revents) return;
        if (fds[1].revents) {
            char buffer[256];
            if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) return;
        }
    }
}

int run_lock(const std::vector<std::string> &args) {
    if (args.size() != 1) return report_failure("lock", usage_of(lock_command));
    // Only reads: a path on a drive (C:) needs the machine, and must not make it.
    if (args[0].size() >= 2 && args[0][1] == ':' && !machine_exists("lock")) return 1;
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, s);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    int signals = signalfd(-1, &set, SFD_CLOEXEC);
    HANDLE file = CreateFileA(args[0].c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return report_failure("lock", "cannot open " + args[0] + ": error " + std::to_string(GetLastError()));
    std::printf("locked\n");
    std::fflush(stdout);
    wait_until_ended(signals);
    CloseHandle(file);
    return 0;
}

constexpr Usage lock_usages[] = {{"PATH", "hold PATH open with share mode 0 until ended"}};

}  // namespace

const Command lock_command{"lock", lock_usages, run_lock};

}  // namespace w32h::tool
