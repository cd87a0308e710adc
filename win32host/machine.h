// machine.h - the emulated Windows machine that lives in the prefix: drive C:
// with the Windows folders of the configured version, created on first use,
// the prefix's own files (spooler store, logs), and the mapping of the paths
// a program writes onto host paths, with Windows' case-insensitive names.
#pragma once

#include "host.h"

#include <string>
#include <string_view>

namespace w32h {

// The Windows folders of one version, spelt as that Windows spells them.
struct MachineFolders {
    std::string windows;         // C:\WINNT or C:\WINDOWS
    std::string system;          // GetSystemDirectoryA
    std::string printer_driver;  // GetPrinterDriverDirectoryA level 1, local environment
};

MachineFolders machine_folders(const WindowsVersion &version);
// The folders of the configured version.
const MachineFolders &machine_folders();

// Creates the prefix, drive_c and the Windows folders when missing; throws
// Win32Failure (api.h) when the prefix cannot be made.
void ensure_machine();

// The host path of a file that belongs to the prefix itself, not to drive C:
// ("spooler.db", "restart.log"). Ensures the machine.
std::string prefix_file(std::string_view name);

// The host path of a path as the program writes it. "C:\..." (any case, "\" or
// "/") lies under PREFIX/drive_c; other paths are relative to the current
// folder. Each component that exists is found case-insensitively, an exact
// match first; the last component may be missing and keeps its spelling.
// Throws Win32Failure: ERROR_PATH_NOT_FOUND for another drive, a UNC path or a
// missing folder on the way; ERROR_INVALID_NAME for an empty path or a name
// with characters Windows refuses.
std::string to_host_path(std::string_view windows_path);

// A host path under PREFIX/drive_c as Windows shows it ("C:\WINNT\..."); the
// host path unchanged when it lies elsewhere.
std::string to_windows_path(std::string_view host_path);

// Upper case of a code page 1252 name, as Windows compares file names.
std::string upper_case_name(std::string_view ansi);

}  // namespace w32h
