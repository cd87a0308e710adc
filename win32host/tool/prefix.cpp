// prefix.cpp - the folder of the emulated machine: commands that only read
// check with machine_exists that it is there before they look, as reading
// must never make a machine.
#include "host.h"
#include "tool.h"

#include <sys/stat.h>

namespace w32h::tool {

bool machine_exists(const char *command) {
    const std::string &prefix = config().prefix;
    struct stat st {};
    if (!prefix.empty() && stat(prefix.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    report_failure(command, prefix.empty() ? "no emulated machine: neither WIN32HOST_PREFIX nor HOME is set"
                                           : "no emulated machine at " + prefix + " (WIN32HOST_PREFIX)");
    return false;
}

}  // namespace w32h::tool
