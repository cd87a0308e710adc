// prefix.cpp - the folder of the emulated machine: "win32host prefix" prints
// it (WIN32HOST_PREFIX, else its default) without making anything, so that a
// person learns where drive C:, spooler.db and restart.log lie; commands that
// only read check with machine_exists that it is there before they look.
#include "host.h"
#include "tool.h"

#include <sys/stat.h>

#include <cstdio>

namespace w32h::tool {
namespace {

int run_prefix(const std::vector<std::string> &args) {
    if (!args.empty()) return report_failure("prefix", usage_of(prefix_command));
    if (config().prefix.empty()) return report_failure("prefix", "neither WIN32HOST_PREFIX nor HOME is set");
    std::printf("%s\n", config().prefix.c_str());
    return 0;
}

constexpr Usage prefix_usages[] = {{"", "print the folder of the emulated machine"}};

}  // namespace

bool machine_exists(const char *command) {
    const std::string &prefix = config().prefix;
    struct stat st {};
    if (!prefix.empty() && stat(prefix.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    report_failure(command, prefix.empty() ? "no emulated machine: neither WIN32HOST_PREFIX nor HOME is set"
                                           : "no emulated machine at " + prefix + " (WIN32HOST_PREFIX)");
    return false;
}

const Command prefix_command{"prefix", prefix_usages, run_prefix};

}  // namespace w32h::tool
