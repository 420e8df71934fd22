// The handle tables behind every handle of the library: handles come round again after the last one of the
// table, never while their object is still in the table.
#include "store/store_handles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace nnotes::store {
namespace {

TEST(HandleTableTest, HandlesComeRoundAfterTheLastPassingOverThoseInUse) {
    HandleTable<int> table(UINT32_MAX, UINT32_MAX - 1);
    const uint32_t a = table.Add(std::make_shared<int>(1));
    const uint32_t b = table.Add(std::make_shared<int>(2));
    EXPECT_EQ(a, UINT32_MAX - 1);
    EXPECT_EQ(b, UINT32_MAX);
    const uint32_t c = table.Add(std::make_shared<int>(3));
    EXPECT_EQ(c, 1u) << "after the last handle the table goes on from 1";
    ASSERT_NE(table.Remove(a), nullptr);
    ASSERT_NE(table.Find(b), nullptr);
    EXPECT_EQ(*table.Find(b), 2);
    EXPECT_EQ(table.Find(a), nullptr);

    // A small table: the handles still in use are passed over, a full table hands out nothing.
    HandleTable<int> small(3);
    std::vector<uint32_t> handles;
    for (int i = 0; i < 3; ++i)
        handles.push_back(small.Add(std::make_shared<int>(i)));
    EXPECT_EQ(handles, (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(small.Add(std::make_shared<int>(9)), 0u);
    ASSERT_NE(small.Remove(2), nullptr);
    EXPECT_EQ(small.Add(std::make_shared<int>(4)), 2u) << "handles 1 and 3 are still in use";
    EXPECT_EQ(*small.Find(1), 0);
    EXPECT_EQ(*small.Find(2), 4);
    EXPECT_EQ(*small.Find(3), 2);
    EXPECT_EQ(small.Add(std::make_shared<int>(5)), 0u);
}

} // namespace
} // namespace nnotes::store
