// gtest_win32_notification.h - forced into every GoogleTest file of the mingw
// build. GoogleTest 1.12 builds its Notification on std::mutex, which Debian's
// mingw-w64 g++ 12 (win32 thread model) lacks; this one waits on a Win32 event.
#pragma once

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() : m_hEvent(CreateEventA(NULL, TRUE, FALSE, NULL)) {}
    ~Notification() { CloseHandle(m_hEvent); }
    Notification(const Notification &) = delete;
    Notification &operator=(const Notification &) = delete;
    void Notify() { SetEvent(m_hEvent); }
    void WaitForNotification() { WaitForSingleObject(m_hEvent, INFINITE); }

private:
    HANDLE m_hEvent;
};

}  // namespace testing::internal
