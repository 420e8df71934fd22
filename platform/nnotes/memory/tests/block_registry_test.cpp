// The registry of live memory blocks: seeded random allocations and frees against a model, across the
// window of recent handles and across the handles coming round again after the last one.
#include "memory/block_registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <unordered_map>
#include <vector>

namespace nnotes {
namespace {

Block Tagged(uint32_t tag) {
    return Block{nullptr, tag, 0};
}

TEST(BlockRegistryTest, HandlesComeRoundAgainPassingOverTheBlocksStillAlive) {
    BlockRegistry registry(5);
    std::vector<DHANDLE> handles;
    for (uint32_t i = 1; i <= 5; ++i)
        handles.push_back(registry.Add(Tagged(i)));
    EXPECT_EQ(handles, (std::vector<DHANDLE>{1, 2, 3, 4, 5}));
    EXPECT_EQ(registry.Add(Tagged(6)), NULLHANDLE) << "every handle is in use";
    Block removed{};
    ASSERT_TRUE(registry.Remove(2, removed));
    ASSERT_TRUE(registry.Remove(4, removed));
    EXPECT_EQ(registry.Add(Tagged(7)), 2u);
    EXPECT_EQ(registry.Add(Tagged(8)), 4u);
    EXPECT_EQ(registry.Find(2)->size, 7u);
    EXPECT_EQ(registry.Find(4)->size, 8u);
    EXPECT_EQ(registry.Find(5)->size, 5u);
    EXPECT_EQ(registry.Add(Tagged(9)), NULLHANDLE);

    // The largest handle of all is handed out, and the next one is 1 again.
    BlockRegistry top(std::numeric_limits<DHANDLE>::max(), std::numeric_limits<DHANDLE>::max() - 1);
    EXPECT_EQ(top.Add(Tagged(1)), std::numeric_limits<DHANDLE>::max());
    EXPECT_EQ(top.Add(Tagged(2)), 1u);
    EXPECT_EQ(top.Find(std::numeric_limits<DHANDLE>::max())->size, 1u);
}

TEST(BlockRegistryTest, RandomAllocationsAndFreesAgreeWithAModel) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        // Fewer handles than the window holds, a few more, and many more.
        const DHANDLE last = std::vector<DHANDLE>{700, 1100, 5000}[seed % 3];
        BlockRegistry registry(last, static_cast<DHANDLE>(random() % last));
        std::unordered_map<DHANDLE, uint32_t> tags; // the live blocks' tags by handle
        std::vector<DHANDLE> live;                  // in the order they were made
        std::vector<DHANDLE> stale;                 // freed and not handed out again
        const auto at = [&](std::vector<DHANDLE>& from, size_t i) {
            const DHANDLE handle = from[i];
            from.erase(from.begin() + static_cast<ptrdiff_t>(i));
            return handle;
        };
        uint32_t tag = 0;
        for (int step = 0; step < 20000; ++step) {
            const unsigned what = random() % 100;
            Block removed{};
            if (what < 50) {
                const DHANDLE handle = registry.Add(Tagged(++tag));
                if (live.size() == last) {
                    ASSERT_EQ(handle, NULLHANDLE) << "seed " << seed << " step " << step;
                    continue;
                }
                ASSERT_NE(handle, NULLHANDLE) << "seed " << seed << " step " << step;
                ASSERT_LE(handle, last) << "seed " << seed << " step " << step;
                ASSERT_EQ(tags.count(handle), 0u)
                    << "seed " << seed << " step " << step << ": " << handle << " is still in use";
                tags[handle] = tag;
                live.push_back(handle);
                std::erase(stale, handle);
            } else if (what < 95 && !live.empty()) {
                // Mostly the newest blocks, as callers free them, sometimes any.
                const size_t i = random() % 4 != 0
                                     ? live.size() - 1 - random() % std::min<size_t>(8, live.size())
                                     : random() % live.size();
                const DHANDLE handle = at(live, i);
                ASSERT_TRUE(registry.Remove(handle, removed)) << "seed " << seed << " step " << step;
                ASSERT_EQ(removed.size, tags[handle]) << "seed " << seed << " step " << step;
                tags.erase(handle);
                stale.push_back(handle);
                if (stale.size() > 256) at(stale, 0);
            } else {
                // A sample of the freed handles finds nothing, and of the live ones each its block.
                for (int i = 0; i < 32 && !stale.empty(); ++i) {
                    const DHANDLE handle = stale[random() % stale.size()];
                    ASSERT_EQ(registry.Find(handle), nullptr) << "seed " << seed << " step " << step;
                    ASSERT_FALSE(registry.Remove(handle, removed)) << "seed " << seed << " step " << step;
                }
                for (int i = 0; i < 32 && !live.empty(); ++i) {
                    const DHANDLE handle = live[random() % live.size()];
                    const Block* block = registry.Find(handle);
                    ASSERT_NE(block, nullptr) << "seed " << seed << " step " << step << " handle " << handle;
                    ASSERT_EQ(block->size, tags[handle]) << "seed " << seed << " step " << step;
                }
            }
        }
        size_t counted = 0;
        registry.ForEach([&](const Block&) { ++counted; });
        EXPECT_EQ(counted, live.size()) << "seed " << seed;
        for (DHANDLE handle : live)
            ASSERT_EQ(registry.Find(handle)->size, tags[handle]) << "seed " << seed << " handle " << handle;
    }
}

} // namespace
} // namespace nnotes
