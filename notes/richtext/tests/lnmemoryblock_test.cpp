#include "ln/lnmemoryblock.h"
#include "nnotes/memblock.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"
#include "richtextfixture.h"

namespace {

using MemoryBlockTest = RichTextTest;

TEST_F(MemoryBlockTest, ReadIsBoundedBySize) {
    LNMemoryBlock block;
    ASSERT_EQ(block.Allocate(10), 0u);
    const char bytes[] = "0123456789";
    ASSERT_EQ(block.Write(10, bytes, 0), 0u);
    char out[11] = {};
    EXPECT_EQ(block.Read(0, out, 0), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(block.Read(4, nullptr, 0), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(block.Read(4, out, 6), 0u);
    EXPECT_EQ(std::string(out, 4), "6789");
    EXPECT_EQ(block.Read(4, out, 7), LNERR_INVALID_RICHTEXT);
    // An offset near the top of the range must not wrap into the block.
    EXPECT_EQ(block.Read(4, out, 0xFFFFFFFEu), LNERR_INVALID_RICHTEXT);
    EXPECT_EQ(block.Write(4, bytes, 7), LNERR_CORRUPTED);
    EXPECT_EQ(block.Write(0, bytes, 0), LNERR_INVALID_PARAMETER);
}

TEST_F(MemoryBlockTest, ShiftMovesOverlappingBytesWhole) {
    LNMemoryBlock block;
    ASSERT_EQ(block.Allocate(11), 0u);
    ASSERT_EQ(block.Write(10, "ABCDEFGHIJ", 0), 0u);
    ASSERT_EQ(block.Shift(10, 1, 0), 0u);
    char out[11] = {};
    ASSERT_EQ(block.Read(11, out, 0), 0u);
    EXPECT_EQ(std::string(out + 1, 10), "ABCDEFGHIJ");
    EXPECT_EQ(block.Shift(0, 1, 0), LNERR_OUT_OF_RANGE);
    EXPECT_EQ(block.Shift(10, 0, 0), LNERR_OUT_OF_RANGE);
    EXPECT_EQ(block.Shift(10, 2, 0), LNERR_CORRUPTED);
}

TEST_F(MemoryBlockTest, AttachDetachAndOwnership) {
    LNMemoryBlock owner;
    ASSERT_EQ(owner.Allocate(16), 0u);
    EXPECT_EQ(owner.Allocate(16), LNERR_ALREADY_ALLOCATED);
    LNMemoryBlock view;
    ASSERT_EQ(view.AttachRange(owner, 8, 4), 0u);
    EXPECT_EQ(view.GetBlockID().block, 4);
    EXPECT_EQ(view.GetSize(), 8u);
    EXPECT_FALSE(view.IsAllocatedByThisClass());
    view.Lock(0);
    // Detach only drops the lock; the view keeps naming its bytes.
    ASSERT_EQ(view.Detach(), 0u);
    EXPECT_FALSE(view.IsLocked());
    EXPECT_EQ(view.GetSize(), 8u);
    EXPECT_EQ(view.GetBlockID().pool, owner.GetBlockID().pool);
    ASSERT_EQ(view.Write(3, "xyz", 0), 0u);
    char out[3] = {};
    ASSERT_EQ(owner.Read(3, out, 4), 0u);
    EXPECT_EQ(std::string(out, 3), "xyz");
    EXPECT_THROW(view.AttachRange(owner, 16, 4), LNSTATUS);
}

TEST_F(MemoryBlockTest, CopyFromAnotherPool) {
    LNMemoryBlock from;
    LNMemoryBlock to;
    ASSERT_EQ(from.Allocate(4), 0u);
    ASSERT_EQ(to.Allocate(8), 0u);
    ASSERT_EQ(from.Write(4, "abcd", 0), 0u);
    ASSERT_EQ(to.CopyFrom(from, 4, 0), 0u);
    char out[4] = {};
    ASSERT_EQ(to.Read(4, out, 4), 0u);
    EXPECT_EQ(std::string(out, 4), "abcd");
    EXPECT_EQ(to.CopyFrom(from, 0, 5), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(to.CopyFrom(from, 5, 0), LNERR_CORRUPTED);
}

TEST_F(MemoryBlockTest, LockCacheHoldsOneHandle) {
    nnotes::DHANDLE first = 0;
    nnotes::DHANDLE second = 0;
    ASSERT_EQ(nnotes::AllocateBlock(0, 8, &first), nnotes::NOERROR);
    ASSERT_EQ(nnotes::AllocateBlock(0, 8, &second), nnotes::NOERROR);
    uint8_t* a = MemoryBlockLockCache::Lock(first, 2);
    EXPECT_EQ(MemoryBlockLockCache::Lock(first, 4), a + 2);
    // One store lock for both: a single unlock leaves the handle unlocked.
    ASSERT_EQ(nnotes::UnlockBlock(first), nnotes::NOERROR);
    EXPECT_EQ(nnotes::UnlockBlock(first), nnotes::ERR_BLOCK_NOT_LOCKED);
    nnotes::LockBlock(first);
    MemoryBlockLockCache::Lock(second, 0);
    EXPECT_EQ(MemoryBlockLockCache::CachedHandle(), second);
    EXPECT_EQ(nnotes::UnlockBlock(first), nnotes::ERR_BLOCK_NOT_LOCKED);
    MemoryBlockLockCache::Release();
    EXPECT_EQ(MemoryBlockLockCache::CachedHandle(), nnotes::NULLHANDLE);
    nnotes::FreeBlock(first);
    nnotes::FreeBlock(second);
}

TEST_F(MemoryBlockTest, StructuresAreCheckedAgainstSize) {
    LNMemoryBlock block;
    ASSERT_EQ(block.Allocate(8), 0u);
    const nnotes::ODSTextRecord header{0xFF85, 12, 0x0A000001};
    ASSERT_EQ(block.WriteStructure(nnotes::ODS_TEXT_RECORD, &header, 0), 0u);
    nnotes::ODSTextRecord read{};
    ASSERT_EQ(block.ReadStructure(nnotes::ODS_TEXT_RECORD, &read, 0), 0u);
    EXPECT_EQ(read.Length, 12);
    EXPECT_EQ(read.FontID, 0x0A000001u);
    EXPECT_EQ(block.ReadStructure(nnotes::ODS_TEXT_RECORD, &read, 2), LNERR_INVALID_RICHTEXT);
    EXPECT_EQ(block.WriteStructure(nnotes::ODS_TEXT_RECORD, &header, 2), LNERR_CORRUPTED);
    EXPECT_EQ(block.ReadStructure(nnotes::ODS_TEXT_RECORD, nullptr, 0), LNERR_INVALID_PARAMETER);
}

} // namespace
