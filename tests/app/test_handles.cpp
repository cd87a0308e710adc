// test_handles.cpp - the handle owners of handles.h: a block is freed exactly
// once, when its owner lets it go, and ShutDown frees the target folders. A
// freed block is seen through GlobalSize, which fails for a stale handle.
#include <gtest/gtest.h>

#include <utility>

#include "handles.h"
#include "setup_ordane.h"

namespace {

HGLOBAL new_block() { return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 16); }

bool is_freed(HGLOBAL hBlock) {
    SetLastError(0xdeadbeef);
    return GlobalSize(hBlock) == 0 && GetLastError() == ERROR_INVALID_HANDLE;
}

TEST(UniqueGlobal, FreesItsBlockWhenItGoesAndOnReset) {
    HGLOBAL hFirst = new_block();
    HGLOBAL hSecond = new_block();
    {
        unique_global Owner(hFirst);
        Owner.reset(hFirst); /* the same block again: kept */
        EXPECT_FALSE(is_freed(hFirst));
        Owner.reset(hSecond);
        EXPECT_TRUE(is_freed(hFirst));
        EXPECT_EQ(hSecond, Owner.get());
        EXPECT_FALSE(is_freed(hSecond));
    }
    EXPECT_TRUE(is_freed(hSecond));
}

TEST(UniqueGlobal, MoveHandsOverAndReleaseGivesUp) {
    HGLOBAL hBlock = new_block();
    unique_global Target;
    {
        unique_global Source(hBlock);
        Target = std::move(Source);
        EXPECT_FALSE(Source);
    }
    unique_global Final(std::move(Target));
    EXPECT_FALSE(Target);
    EXPECT_FALSE(is_freed(hBlock));
    ASSERT_TRUE(Final);
    EXPECT_EQ(hBlock, Final.release());
    EXPECT_FALSE(Final);
    EXPECT_FALSE(is_freed(hBlock));
    EXPECT_EQ(nullptr, GlobalFree(hBlock));
}

TEST(ShutDown, FreesTheTargetFolders) {
    HGLOBAL hSystem = new_block();
    HGLOBAL hDriver = new_block();
    g_SystemFolder = hSystem;
    g_PrinterDriverFolder = hDriver;
    ShutDown(NULL);
    EXPECT_FALSE(g_SystemFolder);
    EXPECT_FALSE(g_PrinterDriverFolder);
    EXPECT_TRUE(is_freed(hSystem));
    EXPECT_TRUE(is_freed(hDriver));
}

}  // namespace
