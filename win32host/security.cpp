// security.cpp - the process token with its privileges, and the requests to
// restart Windows. Nothing here touches the host machine: a restart that
// Windows would accept is recorded, as a transcript event and as a line in
// restart.log in the prefix. Windows 95 and 98 have no tokens; there the token
// functions fail as they do on those systems, and ExitWindowsEx needs no
// privilege.
#include "api.h"
#include "frontend.h"
#include "kernel_objects.h"
#include "machine.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <strings.h>

namespace w32h {
namespace {

// GetCurrentProcess's pseudo-handle, as on Windows.
const HANDLE current_process = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// Windows' well-known privilege identifiers (the low part of their LUIDs).
struct PrivilegeName {
    const char *name;
    DWORD luid;
};
constexpr PrivilegeName privilege_names[] = {
    {"SeCreateTokenPrivilege", 2},
    {"SeAssignPrimaryTokenPrivilege", 3},
    {"SeLockMemoryPrivilege", 4},
    {"SeIncreaseQuotaPrivilege", 5},
    {"SeMachineAccountPrivilege", 6},
    {"SeTcbPrivilege", 7},
    {"SeSecurityPrivilege", 8},
    {"SeTakeOwnershipPrivilege", 9},
    {"SeLoadDriverPrivilege", 10},
    {"SeSystemProfilePrivilege", 11},
    {"SeSystemtimePrivilege", 12},
    {"SeProfileSingleProcessPrivilege", 13},
    {"SeIncreaseBasePriorityPrivilege", 14},
    {"SeCreatePagefilePrivilege", 15},
    {"SeCreatePermanentPrivilege", 16},
    {"SeBackupPrivilege", 17},
    {"SeRestorePrivilege", 18},
    {"SeShutdownPrivilege", 19},
    {"SeDebugPrivilege", 20},
    {"SeAuditPrivilege", 21},
    {"SeSystemEnvironmentPrivilege", 22},
    {"SeChangeNotifyPrivilege", 23},
    {"SeRemoteShutdownPrivilege", 24},
    {"SeUndockPrivilege", 25},
};
constexpr DWORD shutdown_luid = 19;
constexpr DWORD change_notify_luid = 23;

// The process token: the privileges it holds, each with its attributes, as an
// ordinary user's token: change-notify enabled, shut-down held but disabled
// (not held at all under WIN32HOST_SHUTDOWN=deny). Made on first use.
std::optional<std::map<DWORD, DWORD>> &process_token() {
    static std::optional<std::map<DWORD, DWORD>> token;
    return token;
}

std::map<DWORD, DWORD> &held_privileges() {
    auto &token = process_token();
    if (!token) {
        token.emplace();
        (*token)[change_notify_luid] = SE_PRIVILEGE_ENABLED_BY_DEFAULT | SE_PRIVILEGE_ENABLED;
        if (config().shutdown_privilege) (*token)[shutdown_luid] = 0;
    }
    return *token;
}

// A handle from OpenProcessToken: the access it was opened with. Every handle
// names the one process token.
struct OpenToken : KernelObject {
    explicit OpenToken(DWORD a) : access(a) {}
    DWORD access;
};

bool restart_requested = false;

bool nt_family() { return windows_traits().nt; }

// The token functions do not exist on Windows 95 and 98.
void require_nt() {
    if (!nt_family()) fail_with(ERROR_CALL_NOT_IMPLEMENTED);
}

bool privilege_enabled(DWORD luid) {
    auto it = held_privileges().find(luid);
    return it != held_privileges().end() && (it->second & SE_PRIVILEGE_ENABLED);
}

bool is_local_machine(LPCSTR name) { return !name || !*name; }

std::string utc_timestamp() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

// The restart that Windows would now begin, recorded instead of performed.
void record_restart(const char *method) {
    std::string path = prefix_file("restart.log");
    FILE *log = std::fopen(path.c_str(), "a");
    if (!log) fail_with(win32_error_from_errno(errno));
    std::fprintf(log, "%s %s\n", utc_timestamp().c_str(), method);
    bool written = std::fclose(log) == 0;
    if (!written) fail_with(ERROR_WRITE_FAULT);
    transcript_restart(method);
    restart_requested = true;
}

DWORD token_access(HANDLE token) {
    OpenToken *t = kernel_object_as<OpenToken>(token);
    if (!t) fail_with(ERROR_INVALID_HANDLE);
    return t->access;
}

DWORD luid_of(LPCSTR name) {
    for (const auto &p : privilege_names)
        if (strcasecmp(p.name, name) == 0) return p.luid;
    fail_with(ERROR_NO_SUCH_PRIVILEGE);
}

// The new attributes of every held privilege that the request changes.
// Limits: SE_PRIVILEGE_REMOVED disables the privilege rather than removing it.
std::map<DWORD, DWORD> privilege_changes(BOOL disable_all, const TOKEN_PRIVILEGES *state, bool &not_all_assigned) {
    std::map<DWORD, DWORD> changes;
    not_all_assigned = false;
    for (const auto &[luid, attributes] : held_privileges()) {
        if (disable_all && (attributes & SE_PRIVILEGE_ENABLED)) changes[luid] = attributes & ~SE_PRIVILEGE_ENABLED;
    }
    if (disable_all) return changes;
    for (DWORD i = 0; i < state->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES &entry = state->Privileges[i];
        auto held = held_privileges().find(entry.Luid.LowPart);
        if (entry.Luid.HighPart != 0 || held == held_privileges().end()) {
            not_all_assigned = true;
            continue;
        }
        DWORD wanted = (held->second & ~SE_PRIVILEGE_ENABLED) | (entry.Attributes & SE_PRIVILEGE_ENABLED);
        if (wanted != held->second) changes[held->first] = wanted;
    }
    return changes;
}

// PreviousState receives the former attributes of the privileges that change.
void report_previous_state(const std::map<DWORD, DWORD> &changes, DWORD length, TOKEN_PRIVILEGES *previous,
                           DWORD *return_length) {
    DWORD needed =
        static_cast<DWORD>(offsetof(TOKEN_PRIVILEGES, Privileges) + changes.size() * sizeof(LUID_AND_ATTRIBUTES));
    *return_length = needed;
    if (length < needed) fail_with(ERROR_INSUFFICIENT_BUFFER);
    previous->PrivilegeCount = static_cast<DWORD>(changes.size());
    DWORD i = 0;
    for (const auto &change : changes) {
        LUID_AND_ATTRIBUTES &entry = previous->Privileges[i++];
        entry.Luid = LUID{change.first, 0};
        entry.Attributes = held_privileges()[change.first];
    }
}

BOOL adjust_privileges(HANDLE token, BOOL disable_all, const TOKEN_PRIVILEGES *state, DWORD length,
                       TOKEN_PRIVILEGES *previous, DWORD *return_length) {
    require_nt();
    DWORD access = token_access(token);
    if (!(access & TOKEN_ADJUST_PRIVILEGES)) fail_with(ERROR_ACCESS_DENIED);
    if (previous && !(access & TOKEN_QUERY)) fail_with(ERROR_ACCESS_DENIED);
    if (previous && !return_length) fail_with(ERROR_NOACCESS);
    if (!disable_all && !state) fail_with(ERROR_INVALID_PARAMETER);
    bool not_all_assigned = false;
    auto changes = privilege_changes(disable_all, state, not_all_assigned);
    if (previous) report_previous_state(changes, length, previous, return_length);
    for (const auto &[luid, attributes] : changes) held_privileges()[luid] = attributes;
    // Windows reports a partial success through the last error alone.
    SetLastError(not_all_assigned ? ERROR_NOT_ALL_ASSIGNED : ERROR_SUCCESS);
    return TRUE;
}

// Limits: only a restart is recorded; log-off, shut-down and power-off are
// refused with ERROR_NOT_SUPPORTED. EWX_FORCE and EWX_FORCEIFHUNG change nothing.
BOOL exit_windows(UINT flags) {
    if ((flags & (EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF)) != EWX_REBOOT) fail_with(ERROR_NOT_SUPPORTED);
    // The NT family wants the shut-down privilege enabled; Windows 95 and 98 do not.
    if (nt_family() && !privilege_enabled(shutdown_luid)) fail_with(ERROR_PRIVILEGE_NOT_HELD);
    record_restart("ExitWindowsEx");
    return TRUE;
}

// Limits: no other machine is reachable (ERROR_BAD_NETPATH); a shut-down
// without restart is refused with ERROR_NOT_SUPPORTED; no countdown is shown
// for the time-out and message, the request is recorded at once.
BOOL initiate_shutdown(LPCSTR machine, BOOL reboot) {
    require_nt();
    if (!is_local_machine(machine)) fail_with(ERROR_BAD_NETPATH);
    if (!privilege_enabled(shutdown_luid)) fail_with(ERROR_PRIVILEGE_NOT_HELD);
    if (restart_requested) fail_with(ERROR_SHUTDOWN_IN_PROGRESS);
    if (!reboot) fail_with(ERROR_NOT_SUPPORTED);
    record_restart("InitiateSystemShutdownA");
    return TRUE;
}

}  // namespace

void reset_security() {
    process_token().reset();
    restart_requested = false;
}

}  // namespace w32h

using namespace w32h;

extern "C" {

HANDLE WINAPI GetCurrentProcess(void) { return current_process; }

// Limits: only the current process's own token can be opened; the access
// asked for is granted whole.
BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("OpenProcessToken", ERROR_ACCESS_DENIED)) return FALSE;
        require_nt();
        if (ProcessHandle != current_process) fail_with(ERROR_INVALID_HANDLE);
        if (!TokenHandle) fail_with(ERROR_NOACCESS);
        *TokenHandle = add_kernel_object(std::make_unique<OpenToken>(DesiredAccess));
        return TRUE;
    });
}

// Limits: privilege names are known on this machine only (RPC_S_SERVER_UNAVAILABLE).
BOOL WINAPI LookupPrivilegeValueA(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid) {
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("LookupPrivilegeValueA", ERROR_NO_SUCH_PRIVILEGE)) return FALSE;
        require_nt();
        if (!is_local_machine(lpSystemName)) fail_with(RPC_S_SERVER_UNAVAILABLE);
        if (!lpName || !lpLuid) fail_with(ERROR_NOACCESS);
        *lpLuid = LUID{luid_of(lpName), 0};
        return TRUE;
    });
}

BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges, PTOKEN_PRIVILEGES NewState,
                                  DWORD BufferLength, PTOKEN_PRIVILEGES PreviousState, PDWORD ReturnLength) {
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("AdjustTokenPrivileges", ERROR_ACCESS_DENIED)) return FALSE;
        return adjust_privileges(TokenHandle, DisableAllPrivileges, NewState, BufferLength, PreviousState,
                                 ReturnLength);
    });
}

BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD dwReason) {
    (void)dwReason; /* only recorded by Windows' shut-down event log */
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("ExitWindowsEx", ERROR_PRIVILEGE_NOT_HELD)) return FALSE;
        return exit_windows(uFlags);
    });
}

BOOL WINAPI InitiateSystemShutdownA(LPSTR lpMachineName, LPSTR lpMessage, DWORD dwTimeout, BOOL bForceAppsClosed,
                                    BOOL bRebootAfterShutdown) {
    (void)lpMessage, (void)dwTimeout, (void)bForceAppsClosed;
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("InitiateSystemShutdownA", ERROR_PRIVILEGE_NOT_HELD)) return FALSE;
        return initiate_shutdown(lpMachineName, bRebootAfterShutdown);
    });
}

}  // extern "C"
