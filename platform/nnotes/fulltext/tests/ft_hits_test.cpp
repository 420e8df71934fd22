// A search handed to an open collection: its hit list holds the documents the view shows, in result order,
// with their scores, and a search without hits empties it.
#include "fulltext/tests/ft_fixture.h"
#include "testing/view_fixture.h"

#include <cstring>

namespace nnotes::testing {
namespace {

class FullTextHits : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        view_ =
            SaveView("Memos", {ColumnSpec("Subject", "Subject", VIEW_COLUMN_SORT)}, "SELECT Form = \"Memo\"");
        light_ = SaveDocument({Text("Form", "Memo"), Text("Subject", "Budget for spring")});
        heavy_ = SaveDocument({Text("Form", "Memo"), Text("Subject", "budget budget budget")});
        hidden_ = SaveDocument({Text("Form", "Note"), Text("Subject", "budget budget budget budget")});
        SaveDocument({Text("Form", "Memo"), Text("Subject", "Gardening")});
        ASSERT_EQ(FTIndex(db_, 0, nullptr, nullptr), NOERROR);
        ASSERT_EQ(FTOpenSearch(&search_), NOERROR);
        collection_ = Open(view_);
    }

    void TearDown() override {
        CloseCollection(collection_);
        FTCloseSearch(search_);
        ViewTest::TearDown();
    }

    // The collection's hits in hit order, each with its score.
    std::vector<std::pair<NOTEID, uint16_t>> Hits() {
        CollectionPosition position{};
        DHANDLE buffer = NULLHANDLE;
        uint16_t length = 0;
        uint32_t returned = 0;
        const STATUS s =
            ReadEntries(collection_, &position, NAVIGATE_NEXT_HIT, 1, NAVIGATE_NEXT_HIT, 100,
                        READ_MASK_NOTEID | READ_MASK_SCORE, &buffer, &length, nullptr, &returned, nullptr);
        std::vector<std::pair<NOTEID, uint16_t>> hits;
        if (s != NOERROR || buffer == NULLHANDLE) return hits;
        const std::string bytes = BlockBytes(buffer, length);
        FreeBlock(buffer);
        for (uint32_t i = 0; i < returned && 6 * (i + 1) <= bytes.size(); ++i) {
            NOTEID id;
            uint16_t score;
            std::memcpy(&id, bytes.data() + 6 * i, 4);
            std::memcpy(&score, bytes.data() + 6 * i + 4, 2);
            hits.emplace_back(id, score);
        }
        return hits;
    }

    NOTEID view_ = 0, light_ = 0, heavy_ = 0, hidden_ = 0;
    FTSEARCHHANDLE search_ = 0;
    HCOLLECTION collection_ = 0;
};

TEST_F(FullTextHits, TheCollectionShowsItsOwnHitsByRelevanceWithScores) {
    uint32_t count = 0;
    DHANDLE table = NULLHANDLE;
    ASSERT_EQ(FTSearch(db_, &search_, collection_, "budget",
                       FT_SEARCH_SET_COLL | FT_SEARCH_RET_IDTABLE | FT_SEARCH_SCORES, 250, NULLHANDLE, &count,
                       nullptr, &table),
              NOERROR);
    EXPECT_EQ(count, 2u); // the document the view does not select is no hit of it
    const auto hits = Hits();
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].first, heavy_);
    EXPECT_EQ(hits[1].first, light_);
    EXPECT_GE(hits[0].second, hits[1].second);
    EXPECT_GT(hits[1].second, 0);
    EXPECT_NE(IDEntries(table), 0u);
    DestroyIDTable(table);
}

TEST_F(FullTextHits, TheMaximumCountsTheDocumentsTheViewShows) {
    // The most relevant document of the database is one the view does not select.
    uint32_t count = 0;
    DHANDLE table = NULLHANDLE;
    ASSERT_EQ(FTSearch(db_, &search_, collection_, "budget",
                       FT_SEARCH_SET_COLL | FT_SEARCH_RET_IDTABLE | FT_SEARCH_SCORES | FT_SEARCH_TOP_SCORES,
                       1, NULLHANDLE, &count, nullptr, &table),
              NOERROR);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(Hits(), (std::vector<std::pair<NOTEID, uint16_t>>{{heavy_, 100}}));
    EXPECT_EQ(IdsOf(table), std::vector<NOTEID>{heavy_});
    DestroyIDTable(table);
}

TEST_F(FullTextHits, WithoutScoresTheHitsCarryNone) {
    uint32_t count = 0;
    ASSERT_EQ(FTSearch(db_, &search_, collection_, "budget", FT_SEARCH_SET_COLL, 0, NULLHANDLE, &count,
                       nullptr, nullptr),
              NOERROR);
    const auto hits = Hits();
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].first, light_); // note id order
    EXPECT_EQ(hits[0].second, 0);
}

TEST_F(FullTextHits, ASearchWithoutHitsEmptiesTheHitList) {
    uint32_t count = 9;
    ASSERT_EQ(FTSearch(db_, &search_, collection_, "budget", FT_SEARCH_SET_COLL, 0, NULLHANDLE, &count,
                       nullptr, nullptr),
              NOERROR);
    ASSERT_EQ(Hits().size(), 2u);
    EXPECT_EQ(FTSearch(db_, &search_, collection_, "orchids", FT_SEARCH_SET_COLL, 0, NULLHANDLE, &count,
                       nullptr, nullptr),
              ERR_FT_NO_MATCHES);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(Hits().empty());
    // Hits that the view does not show count as none.
    EXPECT_EQ(FTSearch(db_, &search_, collection_, "budget AND note", FT_SEARCH_SET_COLL, 0, NULLHANDLE,
                       &count, nullptr, nullptr),
              ERR_FT_NO_MATCHES);
    EXPECT_EQ(count, 0u);
}

} // namespace
} // namespace nnotes::testing
