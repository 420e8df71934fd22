// Memory blocks: stable addresses, nested locks, zero fill, handles, and answers to bad handles.
#include "nnotes/nnotes.h"
#include "testing/process_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace nnotes {
namespace {

class MemoryBlocks : public StartedProcess {
protected:
    static DHANDLE Allocate(uint32_t size) {
        DHANDLE handle = NULLHANDLE;
        EXPECT_EQ(AllocateBlock(0x4000, size, &handle), NOERROR);
        return handle;
    }
    static bool AllZero(const void* p, size_t n) {
        const auto* bytes = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i)
            if (bytes[i] != 0) return false;
        return true;
    }
};

TEST_F(MemoryBlocks, AddressStaysThroughNestedLocksAndResizes) {
    const DHANDLE handle = Allocate(100);
    auto* first = static_cast<char*>(LockBlock(handle));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(LockBlock(handle), first);
    std::memcpy(first, "kept", 4);

    // Read through the address after the inner unlock, as a lock cache does.
    ASSERT_EQ(UnlockBlock(handle), NOERROR);
    EXPECT_EQ(std::memcmp(first, "kept", 4), 0);

    ASSERT_EQ(ResizeBlock(handle, 1u << 20), NOERROR);
    EXPECT_EQ(LockBlock(handle), first);
    EXPECT_EQ(std::memcmp(first, "kept", 4), 0);
    ASSERT_EQ(ResizeBlock(handle, 2), NOERROR);
    ASSERT_EQ(ResizeBlock(handle, 300), NOERROR);
    EXPECT_EQ(LockBlock(handle), first);
    EXPECT_EQ(std::memcmp(first, "ke", 2), 0);

    ASSERT_EQ(UnlockBlock(handle), NOERROR);
    ASSERT_EQ(UnlockBlock(handle), NOERROR);
    ASSERT_EQ(UnlockBlock(handle), NOERROR);
    EXPECT_EQ(UnlockBlock(handle), ERR_BLOCK_NOT_LOCKED);
    EXPECT_EQ(LockBlock(handle), first);
    ASSERT_EQ(UnlockBlock(handle), NOERROR);
    EXPECT_EQ(FreeBlock(handle), NOERROR);
}

TEST_F(MemoryBlocks, NewBytesAreZeroAtAllocationAndGrowth) {
    const DHANDLE handle = Allocate(5000);
    auto* bytes = static_cast<unsigned char*>(LockBlock(handle));
    ASSERT_NE(bytes, nullptr);
    EXPECT_TRUE(AllZero(bytes, 5000));
    std::memset(bytes, 0xAB, 5000);

    // Shrinking and growing again must not bring the old bytes back, within the page or beyond it.
    ASSERT_EQ(ResizeBlock(handle, 10), NOERROR);
    ASSERT_EQ(ResizeBlock(handle, 9000), NOERROR);
    EXPECT_TRUE(std::all_of(bytes, bytes + 10, [](unsigned char b) { return b == 0xAB; }));
    EXPECT_TRUE(AllZero(bytes + 10, 9000 - 10));
    uint32_t size = 0;
    ASSERT_EQ(GetBlockSize(handle, &size), NOERROR);
    EXPECT_EQ(size, 9000u);
    ASSERT_EQ(UnlockBlock(handle), NOERROR);
    ASSERT_EQ(FreeBlock(handle), NOERROR);
}

TEST_F(MemoryBlocks, SizesAtTheLimits) {
    const DHANDLE empty = Allocate(0);
    EXPECT_NE(LockBlock(empty), nullptr);
    EXPECT_EQ(UnlockBlock(empty), NOERROR);

    DHANDLE handle = 99;
    EXPECT_EQ(AllocateBlock(0, MAXBLOCKSIZE + 1, &handle), ERR_BLOCK_TOO_LARGE);
    EXPECT_EQ(handle, NULLHANDLE);
    EXPECT_EQ(ResizeBlock(empty, MAXBLOCKSIZE + 1), ERR_BLOCK_TOO_LARGE);
    EXPECT_EQ(ResizeBlock(empty, MAXBLOCKSIZE), NOERROR);
    uint32_t size = 0;
    ASSERT_EQ(GetBlockSize(empty, &size), NOERROR);
    EXPECT_EQ(size, MAXBLOCKSIZE);
    EXPECT_EQ(FreeBlock(empty), NOERROR);
}

#if defined(__SANITIZE_ADDRESS__)
TEST_F(MemoryBlocks, OverrunsAreCaughtUnderTheSanitizer) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const DHANDLE handle = Allocate(10);
    auto* bytes = static_cast<volatile char*>(LockBlock(handle));
    bytes[9] = 1;
    EXPECT_DEATH(bytes[10] = 1, "use-after-poison");
    ASSERT_EQ(ResizeBlock(handle, 11), NOERROR);
    bytes[10] = 1;
    ASSERT_EQ(ResizeBlock(handle, 5), NOERROR);
    EXPECT_DEATH(bytes[5] = 1, "use-after-poison");
}
#endif

TEST_F(MemoryBlocks, FreedBlocksComeBackZeroed) {
    // Small blocks are recycled; whatever a block held must not reach the next one.
    std::vector<DHANDLE> handles;
    for (int i = 0; i < 50; ++i) {
        const DHANDLE handle = Allocate(4096);
        std::memset(LockBlock(handle), 0xCD, 4096);
        ASSERT_EQ(ResizeBlock(handle, 100), NOERROR); // leaves stale bytes past the new end in its page
        handles.push_back(handle);
    }
    for (DHANDLE handle : handles)
        ASSERT_EQ(FreeBlock(handle), NOERROR);
    for (int i = 0; i < 50; ++i) {
        const DHANDLE handle = Allocate(4096);
        EXPECT_TRUE(AllZero(LockBlock(handle), 4096));
    }
}

TEST_F(MemoryBlocks, AFreedHandleIsNotHandedOutAgainSoon) {
    std::set<DHANDLE> seen;
    for (int i = 0; i < 200; ++i) {
        const DHANDLE handle = Allocate(8);
        ASSERT_NE(handle, NULLHANDLE);
        EXPECT_TRUE(seen.insert(handle).second);
        ASSERT_EQ(FreeBlock(handle), NOERROR);
    }
}

TEST_F(MemoryBlocks, BlocksOfEveryAgeStayReachableAmongThousandsMadeAndFreed) {
    // A block kept while thousands of others come and go, some of those kept too, in any order of freeing.
    const DHANDLE kept = Allocate(16);
    std::memcpy(LockBlock(kept), "kept", 5);
    ASSERT_EQ(UnlockBlock(kept), NOERROR);
    std::vector<DHANDLE> held;
    for (int i = 0; i < 5000; ++i) {
        const DHANDLE handle = Allocate(8);
        if (i % 700 == 0)
            held.push_back(handle);
        else
            ASSERT_EQ(FreeBlock(handle), NOERROR);
    }
    EXPECT_STREQ(static_cast<const char*>(LockBlock(kept)), "kept");
    EXPECT_EQ(UnlockBlock(kept), NOERROR);
    uint32_t size = 0;
    for (auto it = held.rbegin(); it != held.rend(); ++it) {
        EXPECT_EQ(GetBlockSize(*it, &size), NOERROR);
        EXPECT_EQ(size, 8u);
        EXPECT_EQ(FreeBlock(*it), NOERROR);
        EXPECT_EQ(FreeBlock(*it), ERR_BAD_HANDLE);
    }
    EXPECT_EQ(FreeBlock(kept), NOERROR);
    EXPECT_EQ(LockBlock(kept), nullptr);
    // Freed in the order made, the last of a run of blocks is still found.
    std::vector<DHANDLE> run;
    for (int i = 0; i < 2100; ++i)
        run.push_back(Allocate(4));
    for (size_t i = 0; i + 1 < run.size(); ++i)
        ASSERT_EQ(FreeBlock(run[i]), NOERROR);
    EXPECT_EQ(GetBlockSize(run.back(), &size), NOERROR);
    EXPECT_EQ(FreeBlock(run.back()), NOERROR);
    EXPECT_EQ(GetBlockSize(run.back(), &size), ERR_BAD_HANDLE);
}

TEST_F(MemoryBlocks, UnknownAndFreedHandlesAnswerAStatus) {
    const DHANDLE handle = Allocate(8);
    ASSERT_NE(LockBlock(handle), nullptr);
    EXPECT_EQ(FreeBlock(handle), NOERROR); // freeing a locked block is allowed

    for (DHANDLE bad : {handle, NULLHANDLE, DHANDLE{0xFFFFFFF0}}) {
        uint32_t size = 0;
        EXPECT_EQ(FreeBlock(bad), ERR_BAD_HANDLE);
        EXPECT_EQ(UnlockBlock(bad), ERR_BAD_HANDLE);
        EXPECT_EQ(ResizeBlock(bad, 4), ERR_BAD_HANDLE);
        EXPECT_EQ(GetBlockSize(bad, &size), ERR_BAD_HANDLE);
        EXPECT_EQ(LockBlock(bad), nullptr);
    }
    EXPECT_EQ(AllocateBlock(0, 4, nullptr), ERR_MISSING_ARGUMENT);
    const DHANDLE live = Allocate(4);
    EXPECT_EQ(GetBlockSize(live, nullptr), ERR_MISSING_ARGUMENT);
    EXPECT_EQ(UnlockBlock(live), ERR_BLOCK_NOT_LOCKED);
}

TEST_F(MemoryBlocks, ThreadsShareTheRegistry) {
    constexpr int kThreads = 4;
    constexpr int kBlocks = 100;
    std::vector<std::vector<DHANDLE>> handles(kThreads);
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([t, &handles] {
            for (int i = 0; i < kBlocks; ++i) {
                DHANDLE handle = NULLHANDLE;
                if (AllocateBlock(0, 64, &handle) != NOERROR) return;
                auto* bytes = static_cast<unsigned char*>(LockBlock(handle));
                bytes[0] = static_cast<unsigned char>(t);
                UnlockBlock(handle);
                handles[t].push_back(handle);
            }
        });
    }
    for (auto& worker : workers)
        worker.join();
    std::set<DHANDLE> all;
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(handles[t].size(), static_cast<size_t>(kBlocks));
        for (DHANDLE handle : handles[t]) {
            all.insert(handle);
            EXPECT_EQ(*static_cast<unsigned char*>(LockBlock(handle)), t);
            EXPECT_EQ(UnlockBlock(handle), NOERROR);
        }
    }
    EXPECT_EQ(all.size(), static_cast<size_t>(kThreads * kBlocks));
}

} // namespace
} // namespace nnotes
