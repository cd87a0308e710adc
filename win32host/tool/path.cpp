// path.cpp - "win32host path PATH": prints the host path of a path as the
// program writes it ("C:\WINNT\system32\PavoUI.dll"), so that a person or a
// test can find a file of the emulated machine on the host.
#include "api.h"
#include "machine.h"
#include "tool.h"

#include <cstdio>

namespace w32h::tool {
namespace {

int run_path(const std::vector<std::string> &args) {
    if (args.size() != 1) return report_failure("path", usage_of(path_command));
    try {
        std::printf("%s\n", to_host_path(args[0]).c_str());
        return 0;
    } catch (const Win32Failure &f) {
        return report_failure("path", "cannot map " + args[0] + ": error " + std::to_string(f.error));
    }
}

constexpr Usage path_usages[] = {{"PATH", "print the host path of PATH (C:\\... or relative)"}};

}  // namespace

const Command path_command{"path", path_usages, run_path};

}  // namespace w32h::tool
