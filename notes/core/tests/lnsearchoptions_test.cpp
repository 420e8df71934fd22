// The option classes of searches and database creation, and full-text result tables.
#include "lnsession_fixture.h"

#include "ln/lncreatedboptions.h"
#include "ln/lnftsearch.h"
#include "ln/lnsearchoptions.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

#include <cstring>

namespace {

TEST(CreateDatabaseOptions, DefaultsAndLevels) {
    LNCreateDatabaseOptions options;
    EXPECT_EQ(options.GetFlags32(), 0x20u);
    EXPECT_EQ(options.GetFlags16(), 0u);
    EXPECT_TRUE(options.IsFromTemplate());
    EXPECT_FALSE(options.IsForce());
    EXPECT_FALSE(options.CreatesFTIndex());
    EXPECT_EQ(options.GetLevel(), 0u);
    ASSERT_EQ(options.SetLevel(2), LNNOERROR);
    EXPECT_EQ(options.GetFlags32() & 0x1C0u, 0x80u);
    EXPECT_EQ(options.GetFlags16(), 1u);
    ASSERT_EQ(options.SetLevel(0), LNNOERROR);
    EXPECT_EQ(options.GetFlags32() & 0x1C0u, 0u);
    EXPECT_EQ(options.GetFlags16(), 0u);
    EXPECT_EQ(options.SetLevel(4), LNERR_INVALID_PARAMETER);
    options.SetCopyOption10(false).SetCopyOption200(true).SetCreateFTIndex(true).SetDesignOnly(true);
    EXPECT_EQ(options.GetFlags32(), 0x210u);
    EXPECT_TRUE(options.IsDesignOnly());
    const LNCreateDatabaseOptions copy(options);
    EXPECT_EQ(copy.GetFlags32(), 0x210u);
}

TEST(CreateDatabaseOptions, SizeLimits) {
    LNCreateDatabaseOptions options;
    ASSERT_EQ(options.SetSizeLimit(4096), LNNOERROR);
    EXPECT_EQ(options.GetFlags16(), 4u);
    EXPECT_EQ(options.GetSizeLimitBytes(), UINT32_MAX) << "4 GB does not wrap to no limit";
    EXPECT_EQ(options.SetSizeLimit(4097), LNERR_OUT_OF_RANGE);
    EXPECT_EQ(options.GetSizeLimit(), 4096u);
    ASSERT_EQ(options.SetSizeLimit(10), LNNOERROR);
    EXPECT_EQ(options.GetSizeLimitBytes(), 10u * 1048576u);
    ASSERT_EQ(options.SetSizeLimit(0), LNNOERROR);
    EXPECT_EQ(options.GetFlags16(), 0u);
}

TEST(FTSearchOptions, SortOrderAndLimits) {
    LNFTSearchOptions options;
    EXPECT_EQ(options.GetOptions(), 0x288u);
    EXPECT_EQ(options.GetMaxDocuments(), 250u);
    ASSERT_EQ(options.SetSortOrder(8), LNNOERROR);
    EXPECT_EQ(options.GetOptions(), 0x288u);
    ASSERT_EQ(options.SetSortOrder(32), LNNOERROR);
    EXPECT_EQ(options.GetOptions(), 0x220u);
    EXPECT_EQ(options.GetSortOrder(), 32u);
    ASSERT_EQ(options.SetSortOrder(96), LNNOERROR);
    EXPECT_EQ(options.GetSortOrder(), 96u);
    EXPECT_EQ(options.SetSortOrder(16), LNERR_INVALID_PARAMETER);
    ASSERT_EQ(options.SetMaxDocuments(0), LNNOERROR);
    EXPECT_EQ(options.GetOptions(), 0x260u);
    EXPECT_EQ(options.SetMaxDocuments(70000), LNERR_INVALID_PARAMETER);
    options.SetStemWords(false);
    options.SetThesaurusWords(true);
    EXPECT_FALSE(options.GetStemWords());
    EXPECT_TRUE(options.GetThesaurusWords());
}

TEST(FTIndexStatistics, SetTogetherReadOneByOne) {
    LNFTIndexStatistics stats;
    EXPECT_EQ(stats.GetDocsAdded(), 0u);
    stats.SetStatistics(1, 2, 3, 4);
    const LNFTIndexStatistics copy(stats);
    EXPECT_EQ(copy.GetDocsUpdated(), 2u);
    EXPECT_EQ(copy.GetBytesIndexed(), 4u);
}

class ResultTableTest : public SessionTest {
protected:
    // A result block of ids, with scores when given.
    static nnotes::DHANDLE Block(std::initializer_list<uint32_t> ids,
                                 std::initializer_list<uint8_t> scores = {}) {
        const uint32_t header[2] = {static_cast<uint32_t>(ids.size()), scores.size() != 0 ? 1u : 0u};
        std::string bytes(reinterpret_cast<const char*>(header), sizeof header);
        for (const uint32_t id : ids)
            bytes.append(reinterpret_cast<const char*>(&id), sizeof id);
        for (const uint8_t score : scores)
            bytes.push_back(static_cast<char>(score));
        nnotes::DHANDLE block = 0;
        EXPECT_EQ(nnotes::AllocateBlock(0, static_cast<uint32_t>(bytes.size()), &block), nnotes::NOERROR);
        std::memcpy(nnotes::LockBlock(block), bytes.data(), bytes.size());
        nnotes::UnlockBlock(block);
        return block;
    }
};

TEST_F(ResultTableTest, IdsScoresAndTheirTable) {
    auto* results = new LNFTArrayBody(Block({7, 3, 9}));
    EXPECT_EQ(results->GetCount(), 3u);
    EXPECT_EQ((*results)[1], 3u);
    EXPECT_EQ(results->GetScore(1), 0u) << "no scores in the block";
    EXPECT_EQ(Thrown([&] { (*results)[3]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    const nnotes::DHANDLE table = results->GetHandle();
    EXPECT_EQ(nnotes::IDEntries(table), 3u);
    EXPECT_EQ(results->GetHandle(), table) << "built once";
    delete results;

    results = new LNFTArrayBody(Block({5, 6}, {100, 40}));
    EXPECT_EQ(results->GetScore(0), 100u);
    EXPECT_EQ(results->GetScore(1), 40u);
    delete results;
}

TEST_F(ResultTableTest, DamagedOrMissingBlocksAreRefused) {
    EXPECT_EQ(Thrown([] { LNFTArrayBody body(nnotes::NULLHANDLE); }), LNERR_NULL_POINTER);
    nnotes::DHANDLE block = Block({1, 2, 3}, {1, 2, 3});
    ASSERT_EQ(nnotes::ResizeBlock(block, 8 + 12 + 2), nnotes::NOERROR);
    EXPECT_EQ(Thrown([&] { LNFTArrayBody body(block); }), LNERR_CORRUPTED);
    uint32_t size = 0;
    EXPECT_EQ(nnotes::GetBlockSize(block, &size), nnotes::ERR_BAD_HANDLE) << "the refused block was freed";
}

TEST_F(SessionTest, SearchOptionsTakeTextDates) {
    LNSearchOptions options;
    EXPECT_EQ(options.GetMaxNotes(), 0u);
    EXPECT_EQ(options.GetNoteClass(), 1u);
    EXPECT_EQ(options.GetBeginTime().words[0], 0xFFFFFFFFu);
    ASSERT_EQ(options.SetBeginDate(T("01/15/2024")), LNNOERROR);
    EXPECT_NE(options.GetBeginTime().words[1], 0xFFFFFFFFu);
    EXPECT_EQ(options.SetEndDate(LNString()), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(options.SetEndDate(T("not a date")), nnotes::ERR_TIME_BAD_TEXT);
    EXPECT_EQ(options.GetEndTime().words[1], 0xFFFFFFFFu) << "a refused text changes nothing";
}

} // namespace
