// api.h - the one shape of a win32host entry point. An entry point is
// extern "C" with Windows' name and MSDN's parameter names; it checks its
// arguments, converts them, calls one worker and returns. entry_point() is the
// boundary: no exception reaches the program, a worker's failure becomes the
// last error that Windows would have set.
#pragma once

#include "host.h"

#include <new>

namespace w32h {

// Thrown by a worker to fail the call with a Win32 error number.
struct Win32Failure {
    DWORD error;
};

[[noreturn]] inline void fail_with(DWORD error) { throw Win32Failure{error}; }

// Runs worker() and returns its result; when it throws, sets the last error
// (ERROR_NOT_ENOUGH_MEMORY for std::bad_alloc) and returns failure.
template <class R, class Worker>
R entry_point(R failure, Worker &&worker) noexcept {
    try {
        return worker();
    } catch (const Win32Failure &f) {
        SetLastError(f.error);
    } catch (const std::bad_alloc &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        SetLastError(ERROR_INTERNAL_ERROR);
    }
    return failure;
}

// The same for entry points that return nothing.
template <class Worker>
void entry_point_void(Worker &&worker) noexcept {
    entry_point(0, [&] {
        worker();
        return 0;
    });
}

}  // namespace w32h
