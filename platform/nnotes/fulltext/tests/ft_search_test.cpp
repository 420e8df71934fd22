// Searches: the query language, relevance and its scores, limits, refining, orders and result forms.
#include "fulltext/tests/ft_fixture.h"
#include "util/coding.h"

#include <algorithm>

namespace nnotes::testing {
namespace {

class FullTextSearch : public FullTextTest {
protected:
    void SetUp() override {
        FullTextTest::SetUp();
        list_ = SaveListNote({"alpha", "beta gamma"});
        ASSERT_EQ(FTIndex(db_, 0, nullptr, nullptr), NOERROR);
    }

    NOTEID SaveListNote(std::initializer_list<std::string> entries) {
        std::string value;
        util::PutFixed16(&value, static_cast<uint16_t>(entries.size()));
        for (const auto& e : entries)
            util::PutFixed16(&value, static_cast<uint16_t>(e.size()));
        for (const auto& e : entries)
            value += e;
        NOTEHANDLE note = 0;
        EXPECT_EQ(CreateNote(db_, &note), NOERROR);
        EXPECT_EQ(AppendItem(note, ITEM_SUMMARY, "Tags", 4, TYPE_TEXT_LIST, value.data(),
                             static_cast<uint32_t>(value.size()), nullptr),
                  NOERROR);
        EXPECT_EQ(UpdateNote(note, 0), NOERROR);
        NOTEID id = 0;
        GetNoteInfo(note, NOTE_INFO_ID, &id);
        CloseNote(note);
        return id;
    }

    std::vector<NOTEID> Sorted(std::vector<NOTEID> ids) {
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    NOTEID list_ = 0;
};

TEST_F(FullTextSearch, TheQueryLanguageFindsWhatPeopleExpect) {
    const struct {
        const char* query;
        std::vector<NOTEID> hits;
    } cases[] = {
        {"budget", {annual_, heavy_}},
        {"BUDGET", {annual_, heavy_}},
        {"budg*", {annual_, tips_, heavy_}},
        {"\"annual budget\"", {annual_}},
        {"\"budget annual\"", {}},
        {"budget north", {annual_}},
        {"budget AND north", {annual_}},
        {"budget and NORTH", {annual_}},
        {"review OR tips", {annual_, tips_}},
        {"budget NOT annual", {heavy_}},
        {"NOT budg*", {cafe_, list_}},
        {"(review OR tips) AND south", {tips_}},
        {"review OR tips AND south", {annual_, tips_}},
        {"NOT NOT review", {annual_}},
        {"cafe", {cafe_}},
        {"caf\xC3\xA9", {cafe_}},
        {"gamma", {list_}},
        {"\"beta gamma\"", {list_}},
        {"\"and\"", {}},
        {"nothing-like-this", {}},
    };
    for (const auto& c : cases) {
        const Result r = Search(c.query);
        if (c.hits.empty()) {
            EXPECT_EQ(r.status, ERR_FT_NO_MATCHES) << c.query;
            EXPECT_EQ(r.count, 0u) << c.query;
            EXPECT_TRUE(r.ids.empty()) << c.query;
        } else {
            EXPECT_EQ(r.status, NOERROR) << c.query;
            EXPECT_EQ(r.ids, c.hits) << c.query; // note id order without a sort option
            EXPECT_EQ(r.count, c.hits.size()) << c.query;
        }
    }
}

TEST_F(FullTextSearch, QueriesThatCannotBeReadAreRefused) {
    for (const char* query : {"", "   ", "\"open", "(budget", "budget)", "budget AND", "OR budget", "NOT",
                              "bu*dget", "*", "\"\"", "budget AND OR tips"})
        EXPECT_EQ(Search(query).status, ERR_FT_QUERY) << query;
}

// A query nested deeper than 64 levels of parentheses and NOTs is refused however deep it goes, rather than
// read level by level on the stack.
TEST_F(FullTextSearch, QueriesNestedTooDeepAreRefusedWhateverTheirDepth) {
    const auto nested = [](int depth, const std::string& open, const std::string& close) {
        std::string query;
        for (int i = 0; i < depth; ++i)
            query += open;
        query += "review";
        for (int i = 0; i < depth; ++i)
            query += close;
        return query;
    };
    EXPECT_EQ(Search(nested(63, "(", ")").c_str()).ids, std::vector<NOTEID>{annual_});
    EXPECT_EQ(Search(nested(16, "NOT ", "").c_str()).ids, std::vector<NOTEID>{annual_});
    EXPECT_EQ(Search(nested(8, "(NOT ", ")").c_str()).ids, std::vector<NOTEID>{annual_});
    for (const int depth : {65, 5000, 200000}) {
        EXPECT_EQ(Search(nested(depth, "(", ")").c_str()).status, ERR_FT_QUERY) << depth;
        EXPECT_EQ(Search(nested(depth, "(", "").c_str()).status, ERR_FT_QUERY) << depth;
        EXPECT_EQ(Search(nested(depth, "NOT ", "").c_str()).status, ERR_FT_QUERY) << depth;
        EXPECT_EQ(Search(nested(depth / 2 + 1, "(NOT ", ")").c_str()).status, ERR_FT_QUERY) << depth;
    }
}

TEST_F(FullTextSearch, ScoresRankTheHitsAndTheBestScores100) {
    const Result r = Search("budget", FT_SEARCH_SCORES);
    ASSERT_EQ(r.status, NOERROR);
    EXPECT_EQ(r.flags, FT_RESULTS_SCORES);
    ASSERT_EQ(r.ids, (std::vector<NOTEID>{heavy_, annual_}));
    ASSERT_EQ(r.scores.size(), 2u);
    EXPECT_EQ(r.scores[0], 100);
    EXPECT_GE(r.scores[1], 1);
    EXPECT_LT(r.scores[1], 100);

    const Result plain = Search("budget");
    EXPECT_EQ(plain.flags, 0u);
    EXPECT_TRUE(plain.scores.empty());
}

TEST_F(FullTextSearch, TheMaximumCutsTheResultOrTakesTheMostRelevant) {
    EXPECT_EQ(Search("budget", 0, 1).ids, std::vector<NOTEID>{annual_});
    EXPECT_EQ(Search("budget", FT_SEARCH_SCORES, 1).ids, std::vector<NOTEID>{heavy_});
    // The most relevant one, then in the order asked for.
    const Result top = Search("budg*", FT_SEARCH_TOP_SCORES, 2);
    EXPECT_EQ(top.ids.size(), 2u);
    EXPECT_TRUE(std::is_sorted(top.ids.begin(), top.ids.end()));
    EXPECT_NE(std::find(top.ids.begin(), top.ids.end(), heavy_), top.ids.end());
    EXPECT_EQ(Search("budg*", 0, 0).count, 3u);
}

TEST_F(FullTextSearch, DateOrderFollowsTheLastSaves) {
    // Saves may share a hundredth of a second; equal times keep note id order.
    std::vector<std::pair<int64_t, NOTEID>> saved;
    for (NOTEID id : {annual_, tips_, heavy_}) {
        NOTEHANDLE note = 0;
        ASSERT_EQ(OpenNote(db_, id, 0, &note), NOERROR);
        Instant t{};
        ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_MODIFIED, &t), NOERROR);
        CloseNote(note);
        saved.push_back({int64_t{t.words[1] & 0xFFFFFF} * 8640000 + t.words[0], id});
    }
    auto newestFirst = saved, oldestFirst = saved;
    std::sort(newestFirst.begin(), newestFirst.end(),
              [](auto& a, auto& b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
    std::sort(oldestFirst.begin(), oldestFirst.end());
    auto ids = [](const auto& v) {
        std::vector<NOTEID> out;
        for (const auto& [time, id] : v)
            out.push_back(id);
        return out;
    };
    EXPECT_EQ(Search("budg*", FT_SEARCH_SORT_DATE).ids, ids(newestFirst));
    EXPECT_EQ(Search("budg*", FT_SEARCH_SORT_DATE | FT_SEARCH_SORT_ASCEND).ids, ids(oldestFirst));
}

TEST_F(FullTextSearch, RefiningKeepsTheHitsOfTheTableAndLeavesItsScanAlone) {
    DHANDLE table = NULLHANDLE;
    ASSERT_EQ(CreateIDTable(&table), NOERROR);
    ASSERT_EQ(InsertID(table, tips_, nullptr), NOERROR);
    ASSERT_EQ(InsertID(table, heavy_, nullptr), NOERROR);
    ASSERT_EQ(InsertID(table, cafe_, nullptr), NOERROR);
    NOTEID first = 0;
    ASSERT_EQ(IDScan(table, true, &first), NOERROR);
    EXPECT_EQ(Search("budg*", FT_SEARCH_REFINE, 0, table).ids, (std::vector<NOTEID>{tips_, heavy_}));
    EXPECT_EQ(Search("review", FT_SEARCH_REFINE, 0, table).status, ERR_FT_NO_MATCHES);
    // Scores are relative to the best hit that is left.
    EXPECT_EQ(Search("budget", FT_SEARCH_REFINE | FT_SEARCH_SCORES, 0, table).scores,
              std::vector<uint8_t>{100});
    NOTEID next = 0;
    ASSERT_EQ(IDScan(table, false, &next), NOERROR);
    EXPECT_GT(next, first);
    // Without the option the table is not looked at.
    EXPECT_EQ(Search("review", 0, 0, table).ids, std::vector<NOTEID>{annual_});
    DestroyIDTable(table);
}

TEST_F(FullTextSearch, ResultsComeAsAnIdTableOrAsACountAlone) {
    DHANDLE table = NULLHANDLE;
    uint32_t count = 0;
    ASSERT_EQ(FTSearch(db_, &search_, 0, "budget", FT_SEARCH_RET_IDTABLE | FT_SEARCH_SCORES, 0, NULLHANDLE,
                       &count, nullptr, &table),
              NOERROR);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(IdsOf(table), (std::vector<NOTEID>{annual_, heavy_}));
    DestroyIDTable(table);
    EXPECT_EQ(FTSearch(db_, &search_, 0, "budget", 0, 0, NULLHANDLE, &count, nullptr, nullptr), NOERROR);
    EXPECT_EQ(count, 2u);
}

TEST_F(FullTextSearch, ArgumentsAndHandlesAreChecked) {
    uint32_t count = 7;
    DHANDLE out = 7;
    FTSEARCHHANDLE closed = 0;
    ASSERT_EQ(FTOpenSearch(&closed), NOERROR);
    ASSERT_EQ(FTCloseSearch(closed), NOERROR);
    EXPECT_EQ(FTCloseSearch(closed), ERR_FT_SEARCH_HANDLE);
    EXPECT_EQ(FTSearch(db_, &closed, 0, "budget", 0, 0, NULLHANDLE, &count, nullptr, &out),
              ERR_FT_SEARCH_HANDLE);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(out, NULLHANDLE);
    EXPECT_EQ(FTSearch(db_, nullptr, 0, "budget", 0, 0, NULLHANDLE, &count, nullptr, &out),
              ERR_MISSING_ARGUMENT);
    EXPECT_EQ(FTSearch(db_, &search_, 0, nullptr, 0, 0, NULLHANDLE, &count, nullptr, &out),
              ERR_MISSING_ARGUMENT);
    EXPECT_EQ(FTSearch(db_, &search_, 0, "budget", FT_SEARCH_REFINE, 0, NULLHANDLE, &count, nullptr, &out),
              ERR_FT_OPTIONS);
    EXPECT_EQ(FTSearch(db_, &search_, 0, "budget", FT_SEARCH_SET_COLL, 0, NULLHANDLE, &count, nullptr, &out),
              ERR_FT_OPTIONS);
    EXPECT_EQ(FTSearch(db_, &search_, 0, "budget", 0, 0, NULLHANDLE, &count, &count, &out), ERR_FT_OPTIONS);
    EXPECT_EQ(FTSearch(db_ + 1000, &search_, 0, "budget", 0, 0, NULLHANDLE, &count, nullptr, &out),
              ERR_DB_HANDLE);
    EXPECT_EQ(FTOpenSearch(nullptr), ERR_MISSING_ARGUMENT);
}

} // namespace
} // namespace nnotes::testing
