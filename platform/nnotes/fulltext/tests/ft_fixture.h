// A database of a few documents for full-text tests, and readers of the two result forms.
#pragma once

#include "testing/store_fixture.h"

#include <cstring>
#include <vector>

namespace nnotes::testing {

// The ids of an ID table, in its order.
inline std::vector<NOTEID> IdsOf(DHANDLE table) {
    std::vector<NOTEID> ids;
    NOTEID id = 0;
    for (bool first = true; IDScan(table, first, &id) == NOERROR; first = false)
        ids.push_back(id);
    return ids;
}

class FullTextTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        db_ = MakeDatabase("ft.nsf");
        annual_ = SaveNote(db_, {{"Subject", "Annual budget review"}, {"Region", "North"}});
        tips_ = SaveNote(db_, {{"Subject", "Budgeting tips"}, {"Region", "South"}});
        cafe_ = SaveNote(db_, {{"Subject", "Caf\xC3\xA9 meeting notes"}});
        heavy_ = SaveNote(db_, {{"Subject", "budget budget budget"}, {"Body", "budget"}});
        ASSERT_EQ(FTOpenSearch(&search_), NOERROR);
    }

    void TearDown() override {
        FTCloseSearch(search_);
        CloseDatabase(db_);
        StoreTest::TearDown();
    }

    struct Result {
        STATUS status = NOERROR;
        uint32_t count = 0;
        uint32_t flags = 0;
        std::vector<NOTEID> ids;
        std::vector<uint8_t> scores;
    };

    // Runs a search that gives the result block and reads it back.
    Result Search(const char* query, uint32_t options = 0, uint16_t maxDocuments = 0,
                  DHANDLE refine = NULLHANDLE) {
        Result r;
        DHANDLE block = NULLHANDLE;
        r.status =
            FTSearch(db_, &search_, 0, query, options, maxDocuments, refine, &r.count, nullptr, &block);
        if (block == NULLHANDLE) return r;
        uint32_t size = 0;
        EXPECT_EQ(GetBlockSize(block, &size), NOERROR);
        const auto* bytes = static_cast<const uint8_t*>(LockBlock(block));
        uint32_t head[2];
        std::memcpy(head, bytes, sizeof head);
        r.flags = head[1];
        r.ids.resize(head[0]);
        std::memcpy(r.ids.data(), bytes + 8, 4 * head[0]);
        if (r.flags & FT_RESULTS_SCORES) r.scores.assign(bytes + 8 + 4 * head[0], bytes + 8 + 5 * head[0]);
        EXPECT_EQ(size, 8 + head[0] * ((r.flags & FT_RESULTS_SCORES) ? 5 : 4));
        UnlockBlock(block);
        FreeBlock(block);
        return r;
    }

    DBHANDLE db_ = 0;
    FTSEARCHHANDLE search_ = 0;
    NOTEID annual_ = 0, tips_ = 0, cafe_ = 0, heavy_ = 0;
};

} // namespace nnotes::testing
