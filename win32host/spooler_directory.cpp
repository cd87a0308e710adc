// spooler_directory.cpp - GetPrinterDriverDirectoryA: the spooler's folder of
// printer-driver files on the emulated machine, with the spooler's two-call
// size query. Only the local machine and its own environment.
#include "api.h"
#include "machine.h"

#include <winspool.h>

#include <cstring>

namespace w32h {
namespace {

// The environment names the spooler of each family answers to.
bool is_local_environment(LPCSTR environment) {
    if (!environment || !*environment) return true;
    bool nt = config().winver.platform_id == VER_PLATFORM_WIN32_NT;
    return lstrcmpiA(environment, nt ? "Windows NT x86" : "Windows 4.0") == 0;
}

}  // namespace
}  // namespace w32h

extern "C" {

// Like the spooler, the size it needs counts the terminator, and a buffer too
// small fails with ERROR_INSUFFICIENT_BUFFER and that size.
BOOL WINAPI GetPrinterDriverDirectoryA(LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverDirectory,
                                       DWORD cbBuf, LPDWORD pcbNeeded) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        if (w32h::injected_failure("GetPrinterDriverDirectoryA", RPC_S_SERVER_UNAVAILABLE)) return FALSE;
        if (pName && *pName) w32h::fail_with(ERROR_INVALID_NAME);  // Limits: no remote servers
        if (!w32h::is_local_environment(pEnvironment)) w32h::fail_with(ERROR_INVALID_ENVIRONMENT);
        if (Level != 1) w32h::fail_with(ERROR_INVALID_LEVEL);
        if (!pcbNeeded) w32h::fail_with(ERROR_INVALID_PARAMETER);
        w32h::ensure_machine();
        const std::string &folder = w32h::machine_folders().printer_driver;
        DWORD needed = static_cast<DWORD>(folder.size() + 1);
        *pcbNeeded = needed;
        if (!pDriverDirectory || cbBuf < needed) w32h::fail_with(ERROR_INSUFFICIENT_BUFFER);
        std::memcpy(pDriverDirectory, folder.c_str(), needed);
        return TRUE;
    });
}

}  // extern "C"
