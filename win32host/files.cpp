// files.cpp - files with Windows semantics over POSIX: CreateFileA with share
// modes that hold across processes, ReadFile, WriteFile, DeleteFileA,
// MoveFileExA, file information and times, and the system folder. The
// read-only attribute is the owner's missing write permission, checked here,
// so that it binds root as it binds everybody on Windows.
#include "api.h"
#include "kernel_objects.h"
#include "machine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

namespace w32h {
namespace {

// ---- share modes ---------------------------------------------------------------
//
// Each open that asks for data access takes shared OFD locks on bytes far past
// any data: one byte per access it holds and one per access it denies. A new
// open conflicts when another open holds the byte of an access it wants to
// deny, or denies an access it wants. OFD locks belong to the open file, so
// they bind this process's other handles and other processes alike, and they
// go when the handle closes or the process dies. An open without data access
// (access 0) neither meets nor sets share modes, as on Windows.

constexpr off_t share_lock_base = 0x7fffffff00000000;

enum ShareByte : off_t { holds_read, holds_write, holds_delete, denies_read, denies_write, denies_delete };

struct Access {
    bool read = false, write = false, del = false;
    bool any() const { return read || write || del; }
};

Access data_access(DWORD desired) {
    Access a;
    a.read = desired & (GENERIC_READ | FILE_READ_DATA);
    a.write = desired & (GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA);
    a.del = desired & DELETE;
    return a;
}

// The lock request on one share byte.
struct flock lock_of(ShareByte byte, short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = share_lock_base + byte;
    fl.l_len = 1;
    return fl;
}

bool byte_is_held(int fd, ShareByte byte) {
    struct flock fl = lock_of(byte, F_WRLCK);
    if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;  // a file system without locks shares freely
    return fl.l_type != F_UNLCK;
}

void hold_byte(int fd, ShareByte byte) {
    struct flock fl = lock_of(byte, F_RDLCK);
    fcntl(fd, F_OFD_SETLK, &fl);
}

// Windows' rule between a new open and every open already there.
bool share_conflicts(int fd, Access a, DWORD share) {
    if (!a.any()) return false;
    if (a.read && byte_is_held(fd, denies_read)) return true;
    if (a.write && byte_is_held(fd, denies_write)) return true;
    if (a.del && byte_is_held(fd, denies_delete)) return true;
    if (!(share & FILE_SHARE_READ) && byte_is_held(fd, holds_read)) return true;
    if (!(share & FILE_SHARE_WRITE) && byte_is_held(fd, holds_write)) return true;
    if (!(share & FILE_SHARE_DELETE) && byte_is_held(fd, holds_delete)) return true;
    return false;
}

void take_share_mode(int fd, Access a, DWORD share) {
    if (!a.any()) return;
    if (a.read) hold_byte(fd, holds_read);
    if (a.write) hold_byte(fd, holds_write);
    if (a.del) hold_byte(fd, holds_delete);
    if (!(share & FILE_SHARE_READ)) hold_byte(fd, denies_read);
    if (!(share & FILE_SHARE_WRITE)) hold_byte(fd, denies_write);
    if (!(share & FILE_SHARE_DELETE)) hold_byte(fd, denies_delete);
}

bool any_data_open(int fd) {
    return byte_is_held(fd, holds_read) || byte_is_held(fd, holds_write) || byte_is_held(fd, holds_delete);
}

// ---- open files ------------------------------------------------------------------

struct OpenFile : KernelObject {
    int fd = -1;
    Access access;
    ~OpenFile() override {
        if (fd >= 0) close(fd);
    }
};

OpenFile &file_of(HANDLE handle) {
    OpenFile *f = kernel_object_as<OpenFile>(handle);
    if (!f) fail_with(ERROR_INVALID_HANDLE);
    return *f;
}

[[noreturn]] void fail_with_errno() { fail_with(win32_error_from_errno(errno)); }

bool is_read_only(const struct stat &st) { return !(st.st_mode & S_IWUSR); }

// A descriptor for share-mode checks on a file this call does not open
// itself (delete, rename); -1 when the host will not open it for reading.
int probe_descriptor(const std::string &host) { return open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW); }

struct OpenPlan {
    bool exists = false;
    bool create = false;
    bool truncate = false;
};

// What the disposition does with the file as it stands, or the error Windows gives.
OpenPlan plan_open(const std::string &host, DWORD disposition, Access a) {
    struct stat st {};
    OpenPlan plan;
    plan.exists = stat(host.c_str(), &st) == 0;
    if (!plan.exists && errno != ENOENT) fail_with_errno();
    if (plan.exists && S_ISDIR(st.st_mode)) fail_with(ERROR_ACCESS_DENIED);
    switch (disposition) {
    case CREATE_NEW:
        if (plan.exists) fail_with(ERROR_FILE_EXISTS);
        plan.create = true;
        break;
    case CREATE_ALWAYS:
        plan.create = !plan.exists;
        plan.truncate = plan.exists;
        break;
    case OPEN_ALWAYS:
        plan.create = !plan.exists;
        break;
    case OPEN_EXISTING:
        if (!plan.exists) fail_with(ERROR_FILE_NOT_FOUND);
        break;
    case TRUNCATE_EXISTING:
        if (!a.write) fail_with(ERROR_INVALID_PARAMETER);
        if (!plan.exists) fail_with(ERROR_FILE_NOT_FOUND);
        plan.truncate = true;
        break;
    default:
        fail_with(ERROR_INVALID_PARAMETER);
    }
    if (plan.exists && (a.write || plan.truncate) && is_read_only(st)) fail_with(ERROR_ACCESS_DENIED);
    return plan;
}

int open_flags(const OpenPlan &plan, Access a) {
    int flags = O_CLOEXEC;
    // A handle without data access only looks at the file: O_PATH opens even a
    // file the host would not let us read. Share-mode locks need a readable
    // descriptor, so writers read too.
    if (a.write || plan.truncate)
        flags |= O_RDWR;
    else if (a.read || a.del || plan.create)
        flags |= O_RDONLY;
    else
        flags |= O_PATH;
    if (plan.create) flags |= O_CREAT;
    return flags;
}

HANDLE create_file(const std::string &host, DWORD access, DWORD share, DWORD disposition, DWORD attributes) {
    Access a = data_access(access);
    OpenPlan plan = plan_open(host, disposition, a);
    mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    auto file = std::make_unique<OpenFile>();
    file->access = a;
    file->fd = open(host.c_str(), open_flags(plan, a), mode);
    if (file->fd < 0) fail_with_errno();
    struct stat st {};
    if (fstat(file->fd, &st) != 0) fail_with_errno();
    if (S_ISDIR(st.st_mode)) fail_with(ERROR_ACCESS_DENIED);
    if (share_conflicts(file->fd, a, share)) fail_with(ERROR_SHARING_VIOLATION);
    take_share_mode(file->fd, a, share);
    if (plan.truncate && ftruncate(file->fd, 0) != 0) fail_with_errno();
    HANDLE handle = add_kernel_object(std::move(file));
    bool reopened = plan.exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    SetLastError(reopened ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

// Windows reads and writes a disk file whole unless it meets its end or an
// error; the host may stop early, so both loop.
DWORD read_file(OpenFile &f, BYTE *buffer, DWORD count) {
    if (!f.access.read) fail_with(ERROR_ACCESS_DENIED);
    DWORD done = 0;
    while (done < count) {
        ssize_t n = read(f.fd, buffer + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail_with_errno();
        if (n == 0) break;
        done += static_cast<DWORD>(n);
    }
    return done;
}

DWORD write_file(OpenFile &f, const BYTE *buffer, DWORD count) {
    if (!f.access.write) fail_with(ERROR_ACCESS_DENIED);
    DWORD done = 0;
    while (done < count) {
        ssize_t n = write(f.fd, buffer + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail_with_errno();
        done += static_cast<DWORD>(n);
    }
    return done;
}

// The copy by read and write, for file systems the kernel cannot copy
// between: large blocks, so that a big file costs few calls.
void copy_by_blocks(int from, int to) {
    std::vector<char> block(1 << 20);
    for (;;) {
        ssize_t n = read(from, block.data(), block.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail_with_errno();
        if (n == 0) return;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(to, block.data() + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) fail_with_errno();
            done += w;
        }
    }
}

// The kernel's own copy; false, before any byte moved, where it cannot copy
// between these two files.
bool copy_in_kernel(int from, int to) {
    bool moved = false;
    for (;;) {
        ssize_t n = copy_file_range(from, nullptr, to, nullptr, size_t{1} << 30, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && !moved && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL))
            return false;
        if (n < 0) fail_with_errno();
        if (n == 0) return true;
        moved = true;
    }
}

struct stat existing_file(const std::string &host) {
    struct stat st {};
    if (lstat(host.c_str(), &st) != 0) fail_with_errno();
    return st;
}

void delete_file(const std::string &host) {
    struct stat st = existing_file(host);
    if (S_ISDIR(st.st_mode) || is_read_only(st)) fail_with(ERROR_ACCESS_DENIED);
    int fd = probe_descriptor(host);
    // DeleteFileA opens the file for DELETE with full sharing.
    bool conflict = fd >= 0 && share_conflicts(fd, Access{false, false, true}, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (fd >= 0) close(fd);
    if (conflict) fail_with(ERROR_SHARING_VIOLATION);
    if (unlink(host.c_str()) != 0) fail_with_errno();
}

// Windows will not rename over a file that somebody has open, nor over a
// read-only file or a folder.
void check_replaceable(const std::string &host) {
    struct stat st {};
    if (lstat(host.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode) || is_read_only(st)) fail_with(ERROR_ACCESS_DENIED);
    int fd = probe_descriptor(host);
    bool open_elsewhere = fd >= 0 && any_data_open(fd);
    if (fd >= 0) close(fd);
    if (open_elsewhere) fail_with(ERROR_ACCESS_DENIED);
}

void move_file(const std::string &from, const std::string &to, DWORD flags) {
    struct stat st = existing_file(from);
    if (!S_ISDIR(st.st_mode)) {
        int fd = probe_descriptor(from);
        bool conflict = fd >= 0 && share_conflicts(fd, Access{false, false, true}, FILE_SHARE_READ | FILE_SHARE_WRITE);
        if (fd >= 0) close(fd);
        if (conflict) fail_with(ERROR_SHARING_VIOLATION);
    }
    struct stat target {};
    bool target_exists = lstat(to.c_str(), &target) == 0;
    bool same_file = target_exists && target.st_ino == st.st_ino && target.st_dev == st.st_dev;
    if (target_exists && !same_file) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) fail_with(ERROR_ALREADY_EXISTS);
        check_replaceable(to);
    }
    if (rename(from.c_str(), to.c_str()) != 0) fail_with_errno();
}

// ---- times ---------------------------------------------------------------------------

// FILETIME counts 100-nanosecond intervals since 1 January 1601 (UTC).
constexpr uint64_t ticks_per_second = 10'000'000;
constexpr uint64_t seconds_1601_to_1970 = 11'644'473'600;

FILETIME to_filetime(uint64_t ticks) { return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}; }

uint64_t from_filetime(const FILETIME &ft) { return (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime; }

FILETIME filetime_of(const struct timespec &ts) {
    int64_t seconds = static_cast<int64_t>(ts.tv_sec) + static_cast<int64_t>(seconds_1601_to_1970);
    if (seconds < 0) return to_filetime(0);
    return to_filetime(static_cast<uint64_t>(seconds) * ticks_per_second + static_cast<uint64_t>(ts.tv_nsec) / 100);
}

// Windows turns file times into local time with the bias in force now, not
// the one of the file's date; the bias comes from the host's TZ.
int64_t local_bias_seconds() {
    tzset();
    time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return local.tm_gmtoff;
}

// Ticks to a civil date, counting days from 1 March of year 0 (Howard
// Hinnant's civil_from_days); 1 January 1601 is day 584694 of that count.
SYSTEMTIME civil_from_ticks(uint64_t ticks) {
    uint64_t seconds = ticks / ticks_per_second;
    int64_t days_1601 = static_cast<int64_t>(seconds / 86400);
    uint64_t rest = seconds % 86400;
    int64_t z = days_1601 + 584694;
    int64_t era = z / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t day = doy - (153 * mp + 2) / 5 + 1;
    int64_t month = mp < 10 ? mp + 3 : mp - 9;
    int64_t year = era * 400 + yoe + (month <= 2 ? 1 : 0);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wDayOfWeek = static_cast<WORD>((days_1601 + 1) % 7);  // 1 January 1601 was a Monday
    st.wHour = static_cast<WORD>(rest / 3600);
    st.wMinute = static_cast<WORD>(rest / 60 % 60);
    st.wSecond = static_cast<WORD>(rest % 60);
    st.wMilliseconds = static_cast<WORD>(ticks % ticks_per_second / 10'000);
    return st;
}

DWORD attributes_of(const struct stat &st) {
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (is_read_only(st)) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

// Only the read-only attribute has a host form: the write permissions.
void set_attributes(const std::string &host, DWORD attributes) {
    struct stat st = existing_file(host);
    mode_t mode = st.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (chmod(host.c_str(), mode) != 0) fail_with_errno();
}

BY_HANDLE_FILE_INFORMATION information_of(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0) fail_with_errno();
    BY_HANDLE_FILE_INFORMATION info{};
    info.dwFileAttributes = attributes_of(st);
    // Limits: the host keeps no creation time here; the last change stands in.
    info.ftCreationTime = filetime_of(st.st_ctim);
    info.ftLastAccessTime = filetime_of(st.st_atim);
    info.ftLastWriteTime = filetime_of(st.st_mtim);
    info.dwVolumeSerialNumber = static_cast<DWORD>(st.st_dev);
    uint64_t size = static_cast<uint64_t>(st.st_size);
    info.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    info.nFileSizeLow = static_cast<DWORD>(size);
    info.nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
    info.nFileIndexHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_ino) >> 32);
    info.nFileIndexLow = static_cast<DWORD>(st.st_ino);
    return info;
}

// CreateFileA and DeleteFileA answer an empty or missing name with "path not found".
std::string host_path_of(LPCSTR name) {
    if (!name || !*name) fail_with(ERROR_PATH_NOT_FOUND);
    return to_host_path(name);
}

}  // namespace

void copy_open_file(HANDLE source, HANDLE target) {
    OpenFile &from = file_of(source);
    OpenFile &to = file_of(target);
    if (!from.access.read || !to.access.write) fail_with(ERROR_ACCESS_DENIED);
    if (!copy_in_kernel(from.fd, to.fd)) copy_by_blocks(from.fd, to.fd);
}

}  // namespace w32h

extern "C" {

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
    (void)lpSecurityAttributes;  // Limits: handles are never inherited; no security descriptors
    (void)hTemplateFile;         // Limits: no template files
    // Limits: of dwFlagsAndAttributes only FILE_ATTRIBUTE_READONLY counts, for a
    // file created; the FILE_FLAG_* options (overlapped, delete on close,
    // backup semantics for folders) are not supported.
    return w32h::entry_point(INVALID_HANDLE_VALUE, [&] {
        if (w32h::injected_failure("CreateFileA", ERROR_ACCESS_DENIED)) return INVALID_HANDLE_VALUE;
        std::string host = w32h::host_path_of(lpFileName);
        return w32h::create_file(host, dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes);
    });
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
        if (w32h::injected_failure("ReadFile", ERROR_READ_FAULT)) return FALSE;
        w32h::OpenFile &f = w32h::file_of(hFile);
        if (lpOverlapped) w32h::fail_with(ERROR_INVALID_PARAMETER);  // Limits: no overlapped reads
        if (!lpBuffer && nNumberOfBytesToRead) w32h::fail_with(ERROR_NOACCESS);
        DWORD done = w32h::read_file(f, static_cast<BYTE *>(lpBuffer), nNumberOfBytesToRead);
        if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
        return TRUE;
    });
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
        w32h::Fault fault = w32h::injected_fault("WriteFile", ERROR_DISK_FULL);
        if (fault == w32h::Fault::fail) return FALSE;
        w32h::OpenFile &f = w32h::file_of(hFile);
        if (lpOverlapped) w32h::fail_with(ERROR_INVALID_PARAMETER);  // Limits: no overlapped writes
        if (!lpBuffer && nNumberOfBytesToWrite) w32h::fail_with(ERROR_NOACCESS);
        // A short write stores half the bytes and reports success, as a disk
        // that fills up part way can.
        DWORD count = fault == w32h::Fault::short_count ? nNumberOfBytesToWrite / 2 : nNumberOfBytesToWrite;
        DWORD done = w32h::write_file(f, static_cast<const BYTE *>(lpBuffer), count);
        if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
        return TRUE;
    });
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        if (w32h::injected_failure("DeleteFileA", ERROR_ACCESS_DENIED)) return FALSE;
        w32h::delete_file(w32h::host_path_of(lpFileName));
        return TRUE;
    });
}

// Never over an existing file: ERROR_ALREADY_EXISTS.
BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        if (w32h::injected_failure("MoveFileA", ERROR_ACCESS_DENIED)) return FALSE;
        std::string from = w32h::host_path_of(lpExistingFileName);
        w32h::move_file(from, w32h::host_path_of(lpNewFileName), 0);
        return TRUE;
    });
}

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        if (w32h::injected_failure("MoveFileExA", ERROR_ACCESS_DENIED)) return FALSE;
        // Windows 95, 98 and Me export it but do not implement it (KB Q129532).
        if (!w32h::windows_traits().nt) w32h::fail_with(ERROR_CALL_NOT_IMPLEMENTED);
        // Limits: no moves at restart; a move to another file system fails.
        if (dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT) w32h::fail_with(ERROR_INVALID_PARAMETER);
        std::string from = w32h::host_path_of(lpExistingFileName);
        if (!lpNewFileName) w32h::fail_with(ERROR_INVALID_PARAMETER);  // Limits: no deletion by move
        w32h::move_file(from, w32h::host_path_of(lpNewFileName), dwFlags);
        return TRUE;
    });
}

BOOL WINAPI GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION lpFileInformation) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        w32h::OpenFile &f = w32h::file_of(hFile);
        if (!lpFileInformation) w32h::fail_with(ERROR_NOACCESS);
        *lpFileInformation = w32h::information_of(f.fd);
        return TRUE;
    });
}

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME *lpFileTime, LPFILETIME lpLocalFileTime) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        if (!lpFileTime || !lpLocalFileTime) w32h::fail_with(ERROR_NOACCESS);
        int64_t ticks = static_cast<int64_t>(w32h::from_filetime(*lpFileTime));
        ticks += w32h::local_bias_seconds() * static_cast<int64_t>(w32h::ticks_per_second);
        *lpLocalFileTime = w32h::to_filetime(static_cast<uint64_t>(ticks));
        return TRUE;
    });
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME *lpFileTime, LPSYSTEMTIME lpSystemTime) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        if (!lpFileTime || !lpSystemTime) w32h::fail_with(ERROR_NOACCESS);
        uint64_t ticks = w32h::from_filetime(*lpFileTime);
        if (ticks >> 63) w32h::fail_with(ERROR_INVALID_PARAMETER);  // beyond what a FILETIME can mean
        *lpSystemTime = w32h::civil_from_ticks(ticks);
        return TRUE;
    });
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    return w32h::entry_point<DWORD>(INVALID_FILE_ATTRIBUTES, [&] {
        return w32h::attributes_of(w32h::existing_file(w32h::host_path_of(lpFileName)));
    });
}

// Limits: hidden, system and archive are accepted and not kept.
BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        w32h::set_attributes(w32h::host_path_of(lpFileName), dwFileAttributes);
        return TRUE;
    });
}

// The length without the terminator; when the buffer is too small, the size it
// needs with the terminator, and nothing written.
UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return w32h::entry_point<UINT>(0, [&] {
        if (w32h::injected_failure("GetSystemDirectoryA", ERROR_GEN_FAILURE)) return 0u;
        w32h::ensure_machine();
        const std::string &folder = w32h::machine_folders().system;
        UINT length = static_cast<UINT>(folder.size());
        if (!lpBuffer || uSize <= length) return length + 1;
        std::memcpy(lpBuffer, folder.c_str(), length + 1);
        return length;
    });
}

}  // extern "C"
