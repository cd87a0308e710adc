/* handles.h - small owners of Win32 handles, so that a path with an early
 * return can neither leak a handle nor free it twice. Each class only calls the
 * API, and compiles against Windows' headers and win32host's alike. */
#ifndef SETUPORDANE_HANDLES_H
#define SETUPORDANE_HANDLES_H

#include <windows.h>
#include <winspool.h>

/* A global-heap block, freed with GlobalFree. */
class unique_global {
public:
    constexpr unique_global() noexcept : m_hGlobal(NULL) {}
    explicit unique_global(HGLOBAL hGlobal) : m_hGlobal(hGlobal) {}
    ~unique_global() { reset(); }

    unique_global(const unique_global &) = delete;
    unique_global &operator=(const unique_global &) = delete;
    unique_global(unique_global &&other) noexcept : m_hGlobal(other.release()) {}
    unique_global &operator=(unique_global &&other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    HGLOBAL get() const { return m_hGlobal; }
    explicit operator bool() const { return m_hGlobal != NULL; }

    /* Frees the block held so far (unless it is the new one) and holds hGlobal. */
    void reset(HGLOBAL hGlobal = NULL) {
        HGLOBAL hOld = m_hGlobal;
        m_hGlobal = hGlobal;
        if (hOld && hOld != hGlobal) GlobalFree(hOld);
    }

    /* Gives up the block without freeing it. */
    HGLOBAL release() {
        HGLOBAL hGlobal = m_hGlobal;
        m_hGlobal = NULL;
        return hGlobal;
    }

private:
    HGLOBAL m_hGlobal;
};

/* An open file, closed with CloseHandle; INVALID_HANDLE_VALUE when none. */
class unique_file {
public:
    explicit unique_file(HANDLE hFile = INVALID_HANDLE_VALUE) : m_hFile(hFile) {}
    ~unique_file() { reset(); }
    unique_file(const unique_file &) = delete;
    unique_file &operator=(const unique_file &) = delete;

    HANDLE get() const { return m_hFile; }
    void reset(HANDLE hFile = INVALID_HANDLE_VALUE) {
        if (m_hFile != INVALID_HANDLE_VALUE) CloseHandle(m_hFile);
        m_hFile = hFile;
    }
    HANDLE release() {
        HANDLE hFile = m_hFile;
        m_hFile = INVALID_HANDLE_VALUE;
        return hFile;
    }

private:
    HANDLE m_hFile;
};

/* A handle whose "none" is NULL (a process token), closed with CloseHandle. */
class unique_handle {
public:
    unique_handle() : m_hObject(NULL) {}
    ~unique_handle() {
        if (m_hObject) CloseHandle(m_hObject);
    }
    unique_handle(const unique_handle &) = delete;
    unique_handle &operator=(const unique_handle &) = delete;

    HANDLE get() const { return m_hObject; }
    /* Where an API stores a new handle; only on an empty owner. */
    HANDLE *receive() { return &m_hObject; }

private:
    HANDLE m_hObject;
};

/* A printer handle of the spooler, closed with ClosePrinter (whose result
 * nobody looks at). */
class unique_printer {
public:
    constexpr unique_printer() : m_hPrinter(NULL) {}
    ~unique_printer() { reset(); }

    unique_printer(const unique_printer &) = delete;
    unique_printer &operator=(const unique_printer &) = delete;

    HANDLE get() const { return m_hPrinter; }
    explicit operator bool() const { return m_hPrinter != NULL; }

    /* Where OpenPrinterA stores the handle; closes the one held so far. */
    LPHANDLE put() {
        reset();
        return &m_hPrinter;
    }

    void reset(HANDLE hPrinter = NULL) {
        HANDLE hOld = m_hPrinter;
        m_hPrinter = hPrinter;
        if (hOld && hOld != hPrinter) ClosePrinter(hOld);
    }

private:
    HANDLE m_hPrinter;
};

#endif /* SETUPORDANE_HANDLES_H */
