// spooler_directory.cpp - GetPrinterDriverDirectoryA: the folder in which a
// setup program puts a printer driver's files before registering the driver,
// the printer-driver folder of the emulated machine's Windows version.
#include <winspool.h>

#include <cstring>

#include "api.h"
#include "machine.h"
#include "spooler_api.h"

extern "C" BOOL WINAPI GetPrinterDriverDirectoryA(LPSTR pName, LPSTR pEnvironment, DWORD Level,
                                                  LPBYTE pDriverDirectory, DWORD cbBuf, LPDWORD pcbNeeded) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        if (w32h::injected_failure("GetPrinterDriverDirectoryA", RPC_S_SERVER_UNAVAILABLE)) return FALSE;
        w32h::spool::check_local(pName);
        if (Level != 1) w32h::fail_with(ERROR_INVALID_LEVEL);
        if (!pcbNeeded) w32h::fail_with(RPC_X_NULL_REF_POINTER);
        if (!pDriverDirectory && cbBuf) w32h::fail_with(ERROR_INVALID_USER_BUFFER);
        w32h::spool::environment_of(pEnvironment);
        w32h::ensure_machine();
        const std::string &folder = w32h::machine_folders().printer_driver;
        *pcbNeeded = static_cast<DWORD>(folder.size() + 1);
        if (!pDriverDirectory || cbBuf < folder.size() + 1) w32h::fail_with(ERROR_INSUFFICIENT_BUFFER);
        std::memcpy(pDriverDirectory, folder.c_str(), folder.size() + 1);
        return TRUE;
    });
}
