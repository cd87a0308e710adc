/* handles.h - small RAII owners of Win32 handles; each only calls the API
 * that releases its handle, so it compiles on both targets. */
#ifndef SETUPORDANE_HANDLES_H
#define SETUPORDANE_HANDLES_H

#include <windows.h>

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

#endif /* SETUPORDANE_HANDLES_H */
