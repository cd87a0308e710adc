// test_global_memory.cpp - the global heap as Windows has it: fixed and
// moveable blocks, zero sizes, zero-initialised blocks, lock counts, the
// table of moveable handles and what GlobalFree says of what is no block, as
// Wine's heap tests (run on Windows) pin them.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "portable.h"

namespace {

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

// Windows keeps moveable handles in a table of 65536 entries: the next
// moveable block fails with ERROR_NOT_ENOUGH_MEMORY, while fixed blocks,
// which need no handle, are still made, and freeing gives the handles back
// (Wine's test_GlobalAlloc).
TEST(GlobalAlloc, TheHandleTableHolds65536MoveableBlocks) {
    constexpr size_t table = 0x10000;
    std::vector<HGLOBAL> moveable;
    moveable.reserve(table + 1);
    for (HGLOBAL block; moveable.size() <= table && (block = GlobalAlloc(GMEM_MOVEABLE, 0));) moveable.push_back(block);
    SetLastError(poison);
    HGLOBAL one_more = GlobalAlloc(GMEM_MOVEABLE, 0);
    const DWORD error = one_more ? NO_ERROR : GetLastError();
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 0);
    EXPECT_NE(nullptr, fixed);
    ExpectWindows(DWORD(table), DWORD(moveable.size()), "moveable blocks made");
    ExpectWindows(ERROR_NOT_ENOUGH_MEMORY, error, "the moveable block after them");
    for (HGLOBAL block : moveable) EXPECT_EQ(nullptr, GlobalFree(block));
    GlobalFree(one_more);
    GlobalFree(fixed);
    HGLOBAL again = GlobalAlloc(GMEM_MOVEABLE, 0);  // freed handles are free again
    EXPECT_NE(nullptr, again);
    GlobalFree(again);
}

// GlobalFree answers what it cannot free with the value itself: a pointer
// where no memory is fails with ERROR_NOACCESS, a handle of no block, freed
// or never made, with ERROR_INVALID_HANDLE. Known Wine gap: Wine's own test
// marks the first todo, and Wine 8 answers ERROR_INVALID_HANDLE.
TEST(GlobalFree, WhatIsNoBlockFailsWithWindowsError) {
    HGLOBAL freed = GlobalAlloc(GMEM_MOVEABLE, 256);
    ASSERT_EQ(nullptr, GlobalFree(freed));
    void *const nowhere = reinterpret_cast<void *>(UINT_PTR(0xdeadbee0));
    const struct {
        const char *what;
        HGLOBAL mem;
        DWORD error;
    } cases[] = {
        {"a pointer to no memory", nowhere, ERROR_NOACCESS},
        {"a handle of no block", static_cast<char *>(nowhere) + sizeof(void *), ERROR_INVALID_HANDLE},
        {"a freed moveable handle", freed, ERROR_INVALID_HANDLE},
    };
    for (const auto &c : cases) {
        SetLastError(poison);
        EXPECT_EQ(c.mem, GlobalFree(c.mem)) << c.what;
        ExpectWindows(c.error, GetLastError(), std::string("GlobalFree of ") + c.what);
    }
}

}  // namespace
