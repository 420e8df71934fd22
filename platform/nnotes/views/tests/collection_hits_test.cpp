// Full-text hits handed to a collection: walked in hit order, with their scores.
#include "testing/view_fixture.h"
#include "views/collection.h"

#include <cstring>

namespace nnotes::testing {
namespace {

class CollectionHitsTest : public ViewTest {
protected:
    static constexpr uint32_t kHitMask = kEntryMask | READ_MASK_SCORE;

    std::vector<std::pair<NOTEID, uint16_t>> Walk(HCOLLECTION c) {
        std::vector<std::pair<NOTEID, uint16_t>> out;
        CollectionPosition pos = Position({1});
        for (uint32_t skip = 0;; skip = 1) {
            DHANDLE buffer = NULLHANDLE;
            uint16_t length = 0;
            EXPECT_EQ(ReadEntries(c, &pos, NAVIGATE_NEXT_HIT, skip, NAVIGATE_CURRENT_HIT, 1, kHitMask,
                                  &buffer, &length, nullptr, nullptr, nullptr),
                      NOERROR);
            if (buffer == NULLHANDLE) break;
            const std::string bytes = BlockBytes(buffer, length);
            FreeBlock(buffer);
            uint32_t id = 0;
            uint16_t score = 0;
            std::memcpy(&id, bytes.data(), 4);
            std::memcpy(&score, bytes.data() + 8, 2);
            out.emplace_back(id, score);
        }
        return out;
    }
};

TEST_F(CollectionHitsTest, HitsOfTheViewAreWalkedInHitOrder) {
    const NOTEID view =
        SaveView("Selected", {{"Name", "Name", VIEW_COLUMN_SORT}}, "SELECT Name != \"hidden\"");
    const NOTEID a = SaveDocument({Text("Name", "a")});
    const NOTEID b = SaveDocument({Text("Name", "b")});
    const NOTEID hidden = SaveDocument({Text("Name", "hidden")});
    const HCOLLECTION c = Open(view);
    EXPECT_TRUE(Walk(c).empty());

    uint32_t kept = 0;
    ASSERT_EQ(AttachHitList(c, {{b, 90}, {hidden, 80}, {a, 70}, {b, 60}}, &kept), NOERROR);
    EXPECT_EQ(kept, 2u);
    EXPECT_EQ(Walk(c), (std::vector<std::pair<NOTEID, uint16_t>>{{b, 90}, {a, 70}}));

    // Counting hits, and hits gone with their document after an update.
    CollectionPosition pos = Position({0});
    uint32_t skipped = 0;
    ASSERT_EQ(ReadEntries(c, &pos, NAVIGATE_NEXT_HIT, 0xFFFFFFFF, NAVIGATE_CURRENT, 0, 0, nullptr, nullptr,
                          &skipped, nullptr, nullptr),
              NOERROR);
    EXPECT_EQ(skipped, 2u);
    ASSERT_EQ(DeleteNote(db_, b, 0), NOERROR);
    ASSERT_EQ(UpdateCollection(c), NOERROR);
    EXPECT_EQ(Walk(c), (std::vector<std::pair<NOTEID, uint16_t>>{{a, 70}}));

    // Hit codes do not mix with moves through the entries.
    EXPECT_EQ(ReadEntries(c, &pos, NAVIGATE_NEXT_HIT, 1, NAVIGATE_NEXT, 1, 0, nullptr, nullptr, nullptr,
                          nullptr, nullptr),
              ERR_COLLECTION_NAVIGATOR);
    ASSERT_EQ(ClearHitList(c), NOERROR);
    EXPECT_TRUE(Walk(c).empty());
    EXPECT_EQ(CloseCollection(c), NOERROR);
    EXPECT_EQ(AttachHitList(c, {}, nullptr), ERR_COLLECTION_HANDLE);
}

} // namespace
} // namespace nnotes::testing
