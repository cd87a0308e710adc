/* handles.h - small owners of Win32 handles, so that a path with an early
 * return can neither leak a handle nor free it twice. One template, one set of
 * member names for every kind (get, reset, release, receive, and a test for
 * holding one); each kind only names its empty value and its closing call,
 * and compiles against Windows' headers and win32host's alike. */
#ifndef SETUPORDANE_HANDLES_H
#define SETUPORDANE_HANDLES_H

#include <windows.h>
#include <winspool.h>

template <class Kind>
class unique_owner {
public:
    typedef typename Kind::Handle Handle;

    unique_owner() : m_h(Kind::None()) {}
    explicit unique_owner(Handle h) : m_h(h) {}
    ~unique_owner() { reset(); }

    unique_owner(const unique_owner &) = delete;
    unique_owner &operator=(const unique_owner &) = delete;
    unique_owner(unique_owner &&other) noexcept : m_h(other.release()) {}
    unique_owner &operator=(unique_owner &&other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const { return m_h; }
    explicit operator bool() const { return m_h != Kind::None(); }

    /* Closes the handle held so far (unless it is the new one) and holds h. */
    void reset(Handle h = Kind::None()) {
        Handle hOld = m_h;
        m_h = h;
        if (hOld != Kind::None() && hOld != h) Kind::Close(hOld);
    }

    /* Gives up the handle without closing it. */
    Handle release() {
        Handle h = m_h;
        m_h = Kind::None();
        return h;
    }

    /* Where an API stores a new handle; the one held so far is closed first. */
    Handle *receive() {
        reset();
        return &m_h;
    }

private:
    Handle m_h;
};

/* Each kind of handle: its type, its empty value, its closing call. */
/* A global-heap block, freed with GlobalFree. */
struct GlobalKind {
    typedef HGLOBAL Handle;
    static Handle None() { return NULL; }
    static void Close(Handle h) { GlobalFree(h); }
};
/* An open file, closed with CloseHandle; INVALID_HANDLE_VALUE when none. */
struct FileKind {
    typedef HANDLE Handle;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};
/* A handle whose "none" is NULL (a process token), closed with CloseHandle. */
struct KernelKind : FileKind {
    static Handle None() { return NULL; }
};
/* A printer handle of the spooler, closed with ClosePrinter (whose result
 * nobody looks at). */
struct PrinterKind : KernelKind {
    static void Close(Handle h) { ClosePrinter(h); }
};

typedef unique_owner<GlobalKind> unique_global;
typedef unique_owner<FileKind> unique_file;
typedef unique_owner<KernelKind> unique_handle;
typedef unique_owner<PrinterKind> unique_printer;

#endif /* SETUPORDANE_HANDLES_H */
