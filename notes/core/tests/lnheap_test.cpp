#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "ln/lnheap.h"
#include "os/os.h"
#include "testobjects.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

uint32_t& MagicOf(void* block) {
    return static_cast<uint32_t*>(block)[-1];
}

// Records the order in which objects die.
class Ordered : public FakeObject {
public:
    Ordered(std::vector<int>* order, int id) : order_(order), id_(id) {}
    ~Ordered() override { order_->push_back(id_); }

private:
    std::vector<int>* order_;
    int id_;
};

TEST(HeapTest, BlocksCarryTheMagicAndAreAligned) {
    void* block = LNNew(3);
    EXPECT_EQ(MagicOf(block), LNHEAP_MAGIC);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
    EXPECT_TRUE(LNIsHeapBlock(block));
    LNDelete(block);
    LNDelete(nullptr);
}

TEST(HeapTest, DeleteRefusesForeignAndDamagedBlocks) {
    int onStack = 0;
    EXPECT_EQ(Thrown([&] { LNDelete(&onStack); }), LNERR_NOT_ALLOCATED_BY_LNNEW);
    auto plain = std::make_unique<char[]>(64);
    EXPECT_EQ(Thrown([&] { LNDelete(plain.get() + 32); }), LNERR_NOT_ALLOCATED_BY_LNNEW);
    EXPECT_FALSE(LNIsHeapBlock(plain.get() + 32));

    void* block = LNNew(8);
    EXPECT_EQ(Thrown([&] { LNDelete(static_cast<char*>(block) + 16); }), LNERR_NOT_ALLOCATED_BY_LNNEW);
    MagicOf(block) = 1234;
    EXPECT_FALSE(LNIsHeapBlock(block));
    EXPECT_EQ(Thrown([&] { LNDelete(block); }), LNERR_NOT_ALLOCATED_BY_LNNEW);
    MagicOf(block) = LNHEAP_MAGIC; // nothing was freed: the block is still whole
    EXPECT_TRUE(LNIsHeapBlock(block));
    LNDelete(block);
    EXPECT_EQ(Thrown([] { LNNew(SIZE_MAX); }), LNERR_NO_MEMORY);
}

TEST(HeapTest, ReleaseOperatorReportsARefusedBlockWithoutThrowing) {
    os::MessageBoxRecorder boxes;
    Tally tally;
    auto* object = new FakeObject(&tally);
    MagicOf(object) = 0;
    delete object;
    EXPECT_EQ(tally.deleted, 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("LNDelete: memory block not allocated by LNNew"), std::string::npos);
    MagicOf(object) = LNHEAP_MAGIC;
    LNDelete(object);
}

TEST(HeapTest, DeleteAllGoesNewestFirstAndSkipsFreedBlocks) {
    std::vector<int> order;
    auto* first = new Ordered(&order, 1);
    new Ordered(&order, 2);
    new Ordered(&order, 3);
    auto* fourth = new Ordered(&order, 4);
    delete first;  // the oldest
    delete fourth; // the newest
    order.clear();
    EXPECT_EQ(LNDeleteAllObjects(), 2u);
    EXPECT_EQ(order, (std::vector<int>{3, 2}));
    EXPECT_EQ(LNDeleteAllObjects(), 0u);

    // A block in the middle of the list.
    new Ordered(&order, 5);
    auto* middle = new Ordered(&order, 6);
    new Ordered(&order, 7);
    delete middle;
    order.clear();
    EXPECT_EQ(LNDeleteAllObjects(), 2u);
    EXPECT_EQ(order, (std::vector<int>{7, 5}));
}

TEST(HeapTest, DeleteAllClosesAReferencedBodyAndLeavesItUsable) {
    Tally tally;
    FakeHandle handle(new FakeBody(&tally));
    FakeHandle shared(handle);
    new FakeObject(&tally);
    EXPECT_EQ(LNDeleteAllObjects(), 2u);
    EXPECT_EQ(tally.closed, 1);
    EXPECT_EQ(tally.deleted, 1);
    EXPECT_EQ(handle.Body()->GetRefCount(), 2u);
    EXPECT_TRUE(handle.Body()->IsOnHeap()) << "still a live block, only off the list";
    EXPECT_EQ(LNDeleteAllObjects(), 0u);

    shared = FakeHandle();
    handle = FakeHandle(); // deleting an unlisted block passes over the unlinking
    EXPECT_EQ(tally.deleted, 2);
}

TEST(HeapTest, DeleteAllDeletesABodyWhoseCloseDroppedTheLastHandle) {
    Tally tally;
    FakeHandle holder;
    auto* body = new FakeBody(&tally);
    holder.AssignBody(body);
    body->onClose = [&holder] { holder.ReleaseBody(); };
    EXPECT_EQ(LNDeleteAllObjects(), 1u);
    EXPECT_EQ(tally.deleted, 1);
    EXPECT_TRUE(holder.IsNull());
}

TEST(HeapTest, AllocatingDuringDeleteAllIsRefused) {
    Tally tally;
    FakeHandle handle(new FakeBody(&tally));
    LNSTATUS seen = 0;
    uint32_t nested = 99;
    handle.Body()->onClose = [&] {
        seen = Thrown([] { new FakeObject; });
        nested = LNDeleteAllObjects();
    };
    EXPECT_EQ(LNDeleteAllObjects(), 1u);
    EXPECT_EQ(seen, LNERR_ALLOCATE_DURING_DELETE_ALL);
    EXPECT_EQ(nested, 0u) << "a nested delete-all does nothing";

    // The flag is cleared afterwards, also when Close throws.
    handle.Body()->onClose = [] { throw LNERR_NO_MEMORY; };
    new FakeObject;
    EXPECT_EQ(LNDeleteAllObjects(), 1u);
    auto* fresh = new FakeObject;
    delete fresh;
}

TEST(HeapTest, DeleteAllDoesNotStallOnARefusedBlock) {
    os::MessageBoxRecorder boxes;
    Tally tally;
    auto* object = new FakeObject(&tally);
    MagicOf(object) = 0;
    EXPECT_EQ(LNDeleteAllObjects(), 1u);
    EXPECT_EQ(tally.deleted, 1);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    MagicOf(object) = LNHEAP_MAGIC;
    LNDelete(object);
}

} // namespace
