// Start and end of the process and of further threads, and what calls answer outside them.
#include "nnotes/nnotes.h"
#include "process/process.h"

#include <gtest/gtest.h>

#include <thread>

namespace nnotes {
namespace {

int releaseCalls = 0;
void CountRelease() {
    ++releaseCalls;
}

TEST(Process, StartsNestAndOnlyTheLastEndReleases) {
    AtTermProcess(CountRelease);
    AtTermProcess(CountRelease);
    releaseCalls = 0;
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
    DHANDLE block = NULLHANDLE;
    ASSERT_EQ(AllocateBlock(0, 16, &block), NOERROR);

    EXPECT_EQ(TermProcess(), NOERROR);
    EXPECT_EQ(RequireProcess(), NOERROR);
    EXPECT_EQ(releaseCalls, 0);
    uint32_t size = 0;
    EXPECT_EQ(GetBlockSize(block, &size), NOERROR);

    EXPECT_EQ(TermProcess(), NOERROR);
    EXPECT_EQ(releaseCalls, 1);
    EXPECT_EQ(RequireProcess(), ERR_NOT_INITIALIZED);
    EXPECT_EQ(TermProcess(), ERR_NOT_INITIALIZED);
}

TEST(Process, CallsAfterTheEndAnswerAStatus) {
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
    DHANDLE block = NULLHANDLE;
    ASSERT_EQ(AllocateBlock(0, 16, &block), NOERROR);
    ASSERT_NE(LockBlock(block), nullptr);
    ASSERT_EQ(TermProcess(), NOERROR);

    uint32_t size = 0;
    EXPECT_EQ(GetBlockSize(block, &size), ERR_NOT_INITIALIZED);
    EXPECT_EQ(LockBlock(block), nullptr);
    EXPECT_EQ(UnlockBlock(block), ERR_NOT_INITIALIZED);
    EXPECT_EQ(ResizeBlock(block, 8), ERR_NOT_INITIALIZED);
    EXPECT_EQ(FreeBlock(block), ERR_NOT_INITIALIZED);
    DHANDLE other = 77;
    EXPECT_EQ(AllocateBlock(0, 16, &other), ERR_NOT_INITIALIZED);

    // A block of the ended process stays dead after a new start.
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
    EXPECT_EQ(GetBlockSize(block, &size), ERR_BAD_HANDLE);
    EXPECT_EQ(FreeBlock(block), ERR_BAD_HANDLE);
    ASSERT_EQ(AllocateBlock(0, 16, &other), NOERROR);
    EXPECT_GT(other, block);
    ASSERT_EQ(TermProcess(), NOERROR);
}

TEST(Process, ThreadsNeedAStartedProcessAndMatchTheirEnds) {
    EXPECT_EQ(InitThread(), ERR_NOT_INITIALIZED);
    EXPECT_EQ(TermThread(), ERR_THREAD_NOT_INITIALIZED);
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
    STATUS first = 1, second = 1, third = 1, fourth = 1;
    std::thread worker([&] {
        first = InitThread();
        second = InitThread();
        third = TermThread();
        fourth = TermThread();
    });
    worker.join();
    EXPECT_EQ(first, NOERROR);
    EXPECT_EQ(second, NOERROR);
    EXPECT_EQ(third, NOERROR);
    EXPECT_EQ(fourth, NOERROR);
    // Thread starts are counted per thread: this one has none of its own.
    EXPECT_EQ(TermThread(), ERR_THREAD_NOT_INITIALIZED);
    ASSERT_EQ(TermProcess(), NOERROR);
}

} // namespace
} // namespace nnotes
