// test_global_memory.cpp - the global heap as Windows has it: fixed and
// moveable blocks, zero sizes, zero-initialised blocks and lock counts, as
// Wine's heap tests (run on Windows) pin them.
#include <windows.h>

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

// A zero size is valid: a fixed block of its own, which Windows sizes as one
// byte; a moveable one exists but is discarded, so it cannot be locked.
TEST(GlobalAlloc, ZeroSizeBlocks) {
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 0), other = GlobalAlloc(GMEM_FIXED, 0);
    HGLOBAL moveable = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_TRUE(fixed && moveable);
    EXPECT_NE(fixed, other);
    SetLastError(poison);
    EXPECT_EQ(GlobalSize(fixed), SIZE_T(1));
    EXPECT_EQ(GlobalSize(moveable), SIZE_T(0));
    EXPECT_EQ(GetLastError(), poison);
    EXPECT_EQ(GlobalLock(moveable), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISCARDED));
    for (HGLOBAL block : {fixed, other, moveable}) EXPECT_EQ(GlobalFree(block), nullptr);
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

}  // namespace
