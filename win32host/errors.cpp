// errors.cpp - the last error of each thread and the one table that turns a
// host errno into the Win32 error the program would have seen on Windows.
// Every area file reports host failures through win32_error_from_errno, so
// the program never sees an errno.
#include "host.h"

#include <cerrno>

namespace {

// Windows keeps the last error per thread, in the TEB.
thread_local DWORD last_error = ERROR_SUCCESS;

struct ErrnoMapping {
    int err;
    DWORD win32;
};

// The nearest Windows error for each errno the host can return from file,
// memory and process calls; one place, so every area reports alike.
constexpr ErrnoMapping errno_table[] = {
    {0, ERROR_SUCCESS},
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},
    {EROFS, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED},
    {EEXIST, ERROR_FILE_EXISTS},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},
    {EFBIG, ERROR_FILE_TOO_LARGE},
    {EBADF, ERROR_INVALID_HANDLE},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {EBUSY, ERROR_SHARING_VIOLATION},
    {ETXTBSY, ERROR_SHARING_VIOLATION},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {EXDEV, ERROR_NOT_SAME_DEVICE},
    {ELOOP, ERROR_CANT_RESOLVE_FILENAME},
};

}  // namespace

// The last error itself: these two cannot fail, and entry_point (api.h) writes
// through SetLastError, so they need no boundary of their own.
extern "C" {

DWORD WINAPI GetLastError(void) { return last_error; }

void WINAPI SetLastError(DWORD dwErrCode) { last_error = dwErrCode; }

}  // extern "C"

namespace w32h {

DWORD win32_error_from_errno(int err) {
    for (const ErrnoMapping &m : errno_table)
        if (m.err == err) return m.win32;
    // Windows' catch-all for a device or system failure it cannot name.
    return ERROR_GEN_FAILURE;
}

}  // namespace w32h
