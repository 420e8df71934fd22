// Seeded random ID tables read by index against a std::set: ids at both ends of the range among random and
// repeated ones, the table grown and scanned by its owner between reads, copies of it wrapped anew, and a
// table too large for the walks that once moved a cursor record by record.
#include "ln/lnerrors.h"
#include "ln/lnheap.h"
#include "ln/lnidtable.h"
#include "nnotes/idtable.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "os/os.h"
#include "testobjects.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

class IDTableRandomTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR); }
    void TearDown() override {
        LNClearThrowAllErrors();
        EXPECT_TRUE(boxes.Boxes().empty());
        EXPECT_EQ(nnotes::TermProcess(), nnotes::NOERROR);
    }

    testsupport::TestArea area;
    os::MessageBoxRecorder boxes;
};

nnotes::NOTEID RandomId(std::mt19937& random) {
    switch (random() % 8) {
    case 0:
        return 0;
    case 1:
        return 0xFFFFFFFF - random() % 2;
    case 2:
        return static_cast<nnotes::NOTEID>(random());
    default:
        return 1 + random() % 64; // often met again
    }
}

TEST_F(IDTableRandomTest, IndexesAgreeWithTheSetWhateverTheOwnerDoes) {
    for (const uint32_t seed : {11u, 12u, 20261210u}) {
        std::mt19937 random(seed);
        nnotes::DHANDLE handle = nnotes::NULLHANDLE;
        ASSERT_EQ(nnotes::CreateIDTable(&handle), nnotes::NOERROR);
        std::set<nnotes::NOTEID> model;
        for (int i = 0; i < 20; ++i) {
            const nnotes::NOTEID id = RandomId(random);
            bool inserted = false;
            ASSERT_EQ(nnotes::InsertID(handle, id, &inserted), nnotes::NOERROR);
            ASSERT_EQ(inserted, model.insert(id).second);
        }
        auto table = std::make_unique<LNIDTable>(handle);
        // The count the table was wrapped with: indexes at or past it are out of range.
        auto counted = static_cast<uint32_t>(model.size());
        // Tables wrapped around copies; the first owns the handle.
        std::vector<std::unique_ptr<LNIDTable>> copies;
        for (int step = 0; step < 1500; ++step) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
            switch (random() % 6) {
            case 0: {
                // The owner of the handle adds an id.
                const nnotes::NOTEID id = RandomId(random);
                bool inserted = false;
                ASSERT_EQ(nnotes::InsertID(handle, id, &inserted), nnotes::NOERROR);
                ASSERT_EQ(inserted, model.insert(id).second) << id;
                break;
            }
            case 1: {
                // An outside scan moves the table's own position, not the object's.
                nnotes::NOTEID seen = 0;
                nnotes::IDScan(handle, random() % 2 == 0, &seen);
                break;
            }
            case 2: {
                if (copies.size() < 3) {
                    nnotes::DHANDLE copy = nnotes::NULLHANDLE;
                    ASSERT_EQ(nnotes::CopyIDTable(handle, &copy), nnotes::NOERROR);
                    copies.push_back(std::make_unique<LNIDTable>(copy));
                    ASSERT_EQ(copies.back()->GetCount(), model.size());
                } else {
                    ASSERT_EQ(copies.back()->Close(), LNNOERROR);
                    ASSERT_EQ(copies.back()->Close(), LNWARN_NOT_OPEN);
                    copies.pop_back();
                }
                break;
            }
            default: {
                ASSERT_EQ(table->GetCount(), counted);
                const std::vector<nnotes::NOTEID> ids(model.begin(), model.end());
                const uint32_t index =
                    random() % 4 == 0 ? counted - 1 + random() % 3 : random() % (counted + 1);
                if (index >= counted) {
                    ASSERT_EQ(Thrown([&] { (*table)[index]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE) << index;
                } else {
                    ASSERT_EQ((*table)[index], ids[index]) << "index " << index;
                }
                break;
            }
            }
        }
        ASSERT_EQ(table->Close(), LNNOERROR);
        EXPECT_EQ(nnotes::IDEntries(handle), 0u) << "the table took its handle with it";
    }
}

TEST_F(IDTableRandomTest, ALargeTableIsWalkedBothWaysAndByJumps) {
    nnotes::DHANDLE handle = nnotes::NULLHANDLE;
    ASSERT_EQ(nnotes::CreateIDTable(&handle), nnotes::NOERROR);
    constexpr uint32_t kIds = 300000;
    // Ascending inserts append; the step leaves gaps and reaches the top of the range.
    for (uint32_t i = 0; i < kIds; ++i)
        ASSERT_EQ(nnotes::InsertID(handle, 0xFFFFFFFF - (kIds - 1 - i) * 4, nullptr), nnotes::NOERROR);
    LNIDTable table(handle);
    ASSERT_EQ(table.GetCount(), kIds);
    for (uint32_t i = 0; i < kIds; ++i)
        ASSERT_EQ(table[i], 0xFFFFFFFF - (kIds - 1 - i) * 4) << i;
    for (uint32_t i = kIds; i-- > 0;)
        ASSERT_EQ(table[i], 0xFFFFFFFF - (kIds - 1 - i) * 4) << i;
    std::mt19937 random(5);
    for (int k = 0; k < 1000; ++k) {
        const uint32_t i = random() % kIds;
        ASSERT_EQ(table[i], 0xFFFFFFFF - (kIds - 1 - i) * 4) << "seed 5 jump " << k;
    }
    EXPECT_EQ(table[kIds - 1], 0xFFFFFFFFu);
}

} // namespace
