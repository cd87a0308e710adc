// test_memory.cpp - what the global heap does on this host beyond Windows'
// documented contract: stale and foreign handles fail with an error instead
// of corrupting the host heap (see memory.cpp's Limits), and GlobalAlloc
// honours WIN32HOST_FAIL. Windows' own behaviour is pinned by the portable
// tests (portable/test_global_memory.cpp).
#include "host.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr DWORD poison = 0xdeadbeef;

// GlobalFree returns NULL on success and the handle on failure; NULL is no
// error. A stale or foreign handle fails with ERROR_INVALID_HANDLE.
TEST(GlobalFree, StaleOrForeignHandleFails) {
    SetLastError(poison);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), poison);
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, 16);
    ASSERT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalFree(block), block);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    alignas(16) char foreign[32];
    SetLastError(poison);
    EXPECT_EQ(GlobalFree(foreign), static_cast<HGLOBAL>(foreign));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

// GlobalSize and GlobalLock fail with ERROR_INVALID_HANDLE; GlobalUnlock
// answers TRUE, and sets that error only for what looks like a moveable
// handle (one pointer past a two-pointer boundary).
TEST(GlobalLock, ForeignHandle) {
    alignas(16) char foreign[32];
    SetLastError(poison);
    EXPECT_EQ(GlobalSize(foreign), SIZE_T(0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    SetLastError(poison);
    EXPECT_EQ(GlobalLock(foreign), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    SetLastError(poison);
    EXPECT_TRUE(GlobalUnlock(foreign));
    EXPECT_EQ(GetLastError(), poison);
    EXPECT_TRUE(GlobalUnlock(foreign + sizeof(void *)));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST(GlobalAlloc, HonoursAnInjectedFailure) {
    setenv("WIN32HOST_FAIL", "GlobalAlloc#2", 1);
    w32h::Config unused;
    ASSERT_FALSE(w32h::load_config(unused));
    HGLOBAL first = GlobalAlloc(GMEM_FIXED, 8);
    SetLastError(poison);
    EXPECT_EQ(GlobalAlloc(GMEM_FIXED, 8), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    setenv("WIN32HOST_FAIL", "", 1);
    ASSERT_FALSE(w32h::load_config(unused));
    EXPECT_EQ(GlobalFree(first), nullptr);
}

}  // namespace
