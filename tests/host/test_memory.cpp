// test_memory.cpp - behaviour tests of memory.cpp: fixed and moveable global
// blocks, lock counts, and the errors for stale and foreign handles, as
// Wine's heap tests (run on Windows) pin them.
#include "host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD poison = 0xdeadbeef;

// A fixed block's handle is its pointer; locking it changes nothing, and
// GlobalUnlock answers TRUE without touching the last error.
TEST(GlobalAlloc, FixedHandleIsThePointer) {
    SetLastError(poison);
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, 10);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalLock(block), block);
    std::memset(block, 'x', 10);
    EXPECT_EQ(GlobalSize(block), SIZE_T(10));
    EXPECT_TRUE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), poison);
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalAlloc, ZeroInitClearsTheBlock) {
    for (UINT flags : {UINT(GPTR), UINT(GHND)}) {
        HGLOBAL block = GlobalAlloc(flags, 4096);
        const auto *bytes = static_cast<const unsigned char *>(GlobalLock(block));
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(std::count(bytes, bytes + 4096, 0), 4096) << flags;
        GlobalUnlock(block);
        GlobalFree(block);
    }
}

// A zero size is valid: a fixed block of its own, of size 0; a moveable one
// exists but is discarded, so it cannot be locked.
TEST(GlobalAlloc, ZeroSizeBlocks) {
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 0), other = GlobalAlloc(GMEM_FIXED, 0);
    HGLOBAL moveable = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_TRUE(fixed && moveable);
    EXPECT_NE(fixed, other);
    SetLastError(poison);
    EXPECT_EQ(GlobalSize(fixed), SIZE_T(0));
    EXPECT_EQ(GlobalSize(moveable), SIZE_T(0));
    EXPECT_EQ(GetLastError(), poison);
    EXPECT_EQ(GlobalLock(moveable), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISCARDED));
    for (HGLOBAL block : {fixed, other, moveable}) EXPECT_EQ(GlobalFree(block), nullptr);
}

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

// GlobalUnlock answers TRUE while a lock remains, FALSE with NO_ERROR when
// the last one goes, then FALSE with ERROR_NOT_LOCKED.
TEST(GlobalLock, MoveableBlockCountsLocks) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 256);
    void *data = GlobalLock(block);
    ASSERT_NE(data, nullptr);
    EXPECT_NE(data, block);
    EXPECT_EQ(GlobalLock(block), data);
    EXPECT_EQ(GlobalSize(block), SIZE_T(256));
    SetLastError(poison);
    EXPECT_TRUE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), poison);
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), DWORD(NO_ERROR));
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_LOCKED));
    EXPECT_EQ(GlobalLock(block), data);
    EXPECT_EQ(GlobalFree(block), nullptr);  // locked or not
    EXPECT_EQ(GlobalLock(block), nullptr);
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
