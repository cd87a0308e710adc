// process.cpp - the process itself as the program sees it: its raw command
// line (GetCommandLineA, which the command tail given to WinMain points into),
// and ExitProcess, which ends the run through the host's orderly end.
#include "api.h"
#include "frontend.h"

#include <unistd.h>

#include <cstdlib>

namespace w32h {

std::string &command_line_buffer() {
    static std::string line;
    return line;
}

}  // namespace w32h

extern "C" {

LPSTR WINAPI GetCommandLineA(void) {
    return w32h::entry_point<LPSTR>(nullptr, [] { return w32h::command_line_buffer().data(); });
}

DWORD WINAPI GetCurrentProcessId(void) {
    return w32h::entry_point<DWORD>(0, [] { return static_cast<DWORD>(getpid()); });
}

void WINAPI ExitProcess(UINT uExitCode) {
    w32h::end_host(static_cast<int>(uExitCode));
    std::exit(static_cast<int>(uExitCode));
}

}  // extern "C"
