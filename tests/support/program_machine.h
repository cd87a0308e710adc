// program_machine.h - a machine for runs of the built SetupOrdane from outside,
// as the end-to-end tests and the fault matrix start it: a folder of its own,
// its own copy of the medium as current folder, a prefix answering as one
// Windows version, and the program's four modes with the option of each.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "program_run.h"

enum Mode { kCompleteSetup, kSimpleSetup, kCompleteDeletion, kSimpleDeletion };

inline bool is_setup(Mode m) { return m == kCompleteSetup || m == kSimpleSetup; }

// The option that asks for a mode; a complete setup takes none.
inline const char *option_of(Mode m) {
    switch (m) {
    case kSimpleSetup:
        return "/ONLYADDPRINTDEVICE";
    case kCompleteDeletion:
        return "/UNINSTALL";
    case kSimpleDeletion:
        return "/ONLYDELETEPRINTDEVICE";
    default:
        return nullptr;
    }
}

namespace testrun {

class ProgramMachine {
public:
    // Each machine runs from its own copy of the medium: the copy dialog opens
    // its source without sharing, so runs side by side on one medium would
    // meet sharing violations, as two setups at once would on Windows.
    ProgramMachine(std::string winver, const char *os) : winver_(std::move(winver)), os_(os ? os : "") {
        std::filesystem::copy(SETUPORDANE_MEDIUM, medium(), std::filesystem::copy_options::recursive);
    }

    // A run in a mode, with the platform's /OS= option when it has one, on
    // this machine's prefix unless env names another.
    Result run(Mode mode, const std::string &script, const std::map<std::string, std::string> &env = {},
               const std::vector<std::string> &extra = {}) const {
        Run r;
        r.program = SETUPORDANE_EXE;
        r.folder = medium().string();
        if (!os_.empty()) r.args.push_back(os_);
        if (option_of(mode)) r.args.push_back(option_of(mode));
        r.args.insert(r.args.end(), extra.begin(), extra.end());
        r.script = script;
        r.env = {{"WIN32HOST_PREFIX", prefix().string()}, {"WIN32HOST_WINVER", winver_}};
        for (const auto &[k, v] : env) r.env[k] = v;
        r.timeout_seconds = timeout_seconds;
        return run_program(r);
    }

    const std::filesystem::path &folder() const { return dir_.path(); }
    std::filesystem::path prefix() const { return folder() / "machine"; }
    std::filesystem::path medium() const { return folder() / "medium"; }
    // The printer-driver folder of a prefix, by the Windows family.
    std::filesystem::path driver_folder(const std::filesystem::path &prefix) const {
        return winver_.rfind("win9", 0) == 0
                   ? prefix / "drive_c" / "WINDOWS" / "SYSTEM"
                   : prefix / "drive_c" / "WINNT" / "system32" / "spool" / "DRIVERS" / "W32X86";
    }
    std::filesystem::path driver_folder() const { return driver_folder(prefix()); }

    int timeout_seconds = 0;  // for each run; 0 for none

private:
    std::string winver_, os_;
    TempDir dir_{TempDir::in_memory};
};

}  // namespace testrun
