/* restart.cpp - the restart request after a removal. Windows 95 and 98 restart
 * on ExitWindowsEx alone; the NT family first wants the shut-down privilege
 * enabled on the process's token, and the request goes through
 * InitiateSystemShutdownA. */
#include "operations.h"

#include "handles.h"
#include "late_bound.h"
#include "platform.h"

namespace {

int RequestWindows9xRestart(void) { return ExitWindowsEx(EWX_REBOOT, 0) ? 1 : 0; }

/* Enables or disables the shut-down privilege. AdjustTokenPrivileges succeeds
 * even when the token does not hold the privilege, so only the last error
 * tells: ERROR_NOT_ALL_ASSIGNED. */
DWORD SetShutdownPrivilege(HANDLE hToken, TOKEN_PRIVILEGES *pPrivileges, DWORD dwAttributes) {
    pPrivileges->Privileges[0].Attributes = dwAttributes;
    SetLastError(0);
    CallAdjustTokenPrivileges(hToken, FALSE, pPrivileges, 0, NULL, NULL);
    return GetLastError();
}

int RequestNtRestart(void) {
    unique_handle Token;
    /* Zero-filled: a failed look-up then names no privilege rather than garbage. */
    TOKEN_PRIVILEGES Privileges = {};

    if (!CallOpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, Token.receive())) return 0;
    CallLookupPrivilegeValueA(NULL, SE_SHUTDOWN_NAME, &Privileges.Privileges[0].Luid);
    Privileges.PrivilegeCount = 1;
    if (SetShutdownPrivilege(Token.get(), &Privileges, SE_PRIVILEGE_ENABLED) != 0) return 0;
    if (!CallInitiateSystemShutdownA(NULL, NULL, 0, FALSE, TRUE)) return 0;
    SetShutdownPrivilege(Token.get(), &Privileges, 0);
    return 1;
}

}  // namespace

int RequestRestart(LONG nPlatform) {
    if (IsWindows9xPlatform(nPlatform)) return RequestWindows9xRestart();
    return RequestNtRestart();
}
