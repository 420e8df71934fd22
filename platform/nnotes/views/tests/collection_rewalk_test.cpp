// Walks that start again over a collection whose first rows have left memory: after the categories, a
// second time from the top, from a key found, backwards and by jumps. Each must give what the same view read
// whole gives (a view kept in another database, made in memory at once), and rows changed since the entries
// were made must read as they are stored now.
#include "testing/view_fixture.h"
#include "util/coding.h"
#include "views/collection.h"

#include <sqlite3.h>

#include <algorithm>
#include <set>

namespace nnotes::testing {
namespace {

constexpr uint32_t kAll = 0xFFFFFFFF;

struct Step {
    STATUS status = NOERROR;
    uint32_t skipped = 0, returned = 0;
    std::string bytes, path;
    bool operator==(const Step&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Step& s) {
    return out << "status " << s.status << ", skipped " << s.skipped << ", returned " << s.returned << ", "
               << s.bytes.size() << " bytes, at " << s.path;
}

class CollectionRewalkTest : public ViewTest {
protected:
    // Two category levels, a sorted name and a total, over enough documents that the first rows have left
    // memory once the last are read; a few documents stand under two regions (two rows each).
    void SetUp() override {
        ViewTest::SetUp();
        const std::vector<ColumnSpec> columns = OrderColumns();
        view_ = SaveView("Orders", columns);
        char name[32];
        for (int i = 0; i < kDocuments; ++i) {
            std::snprintf(name, sizeof name, "n%05d", (i * 7919) % kDocuments);
            const std::string region = "Region" + std::to_string(i % 5);
            ItemSpec regions = i % 97 == 3 ? Texts("Region", {region, "Region4"}) : Text("Region", region);
            ids_.push_back(SaveDocument({regions, Text("City", "City" + std::to_string((i / 5) % 6)),
                                         Text("Name", name), Number("Amount", i % 13)}));
        }
        wholeView_ = SaveViewApart("Orders", columns);
    }

    HCOLLECTION Whole() { return OpenApart(wholeView_); }

    static Step Ask(HCOLLECTION c, CollectionPosition& pos, uint16_t skipCode, uint32_t skipCount,
                    uint16_t returnCode, uint32_t returnCount, uint32_t mask = kEntryMask) {
        RawRead raw = ReadRaw(c, pos, skipCode, skipCount, returnCode, returnCount, mask);
        return {raw.status, raw.skipped, raw.returned, std::move(raw.bytes), PathOf(pos)};
    }

    // The categories as the desktop lists them: the first entry, then every next category. Their count.
    static size_t WalkCategories(HCOLLECTION c) {
        CollectionPosition pos = Position({1});
        size_t count = 0;
        for (Step s = Ask(c, pos, NAVIGATE_CURRENT, 0, NAVIGATE_CURRENT, 1); s.returned == 1;
             s = Ask(c, pos, NAVIGATE_NEXT_CATEGORY, 1, NAVIGATE_CURRENT, 1)) {
            EXPECT_EQ(s.status, NOERROR);
            ++count;
        }
        return count;
    }

    // Every entry one read at a time with its position, from the start (or from pos) to the end.
    static std::vector<Step> EveryEntry(HCOLLECTION c, CollectionPosition pos = Position({0})) {
        std::vector<Step> steps;
        for (;;) {
            Step s = Ask(c, pos, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 1);
            EXPECT_EQ(s.status, NOERROR) << "after " << steps.size() << " entries";
            if (s.returned == 0 || s.status != NOERROR) return steps;
            steps.push_back(std::move(s));
        }
    }

    static CollectionPosition At(const std::string& path) {
        CollectionPosition pos{};
        pos.MaxLevel = MAXTUMBLERLEVELS - 1;
        size_t at = 0;
        for (uint16_t level = 0;; ++level) {
            const size_t dot = path.find('.', at);
            pos.Level = level;
            pos.EntryIndex[level] = static_cast<uint32_t>(std::stoul(path.substr(at, dot - at)));
            if (dot == std::string::npos) return pos;
            at = dot + 1;
        }
    }

    static std::string KeyTable(const std::string& text) {
        std::string key;
        util::PutFixed16(&key, TYPE_TEXT);
        key += text;
        std::string table;
        util::PutFixed16(&table, static_cast<uint16_t>(8 + key.size()));
        util::PutFixed16(&table, 1);
        util::PutFixed16(&table, 0);
        util::PutFixed16(&table, static_cast<uint16_t>(key.size()));
        return table + key;
    }

    static constexpr int kDocuments = 2500;
    NOTEID view_ = 0, wholeView_ = 0;
    std::vector<NOTEID> ids_;
};

TEST_F(CollectionRewalkTest, WalksAfterTheCategoriesGiveWhatTheViewReadWholeGives) {
    const HCOLLECTION whole = Whole(), growing = Open(view_);
    const std::vector<Step> expected = EveryEntry(whole);
    ASSERT_GT(expected.size(), size_t{kDocuments});
    const size_t categories = WalkCategories(growing);
    EXPECT_EQ(categories, WalkCategories(whole));
    EXPECT_GT(categories, 30u);
    // From the top after the categories, then a second time, entry by entry and buffer by buffer.
    for (int pass = 0; pass < 2; ++pass) {
        const std::vector<Step> walked = EveryEntry(growing);
        ASSERT_EQ(walked.size(), expected.size());
        for (size_t i = 0; i < walked.size(); ++i)
            ASSERT_EQ(walked[i], expected[i]) << "pass " << pass << ", entry " << i;
        const auto rows = ReadAll(growing), wholeRows = ReadAll(whole);
        ASSERT_EQ(rows.size(), wholeRows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].id, wholeRows[i].id) << "entry " << i;
            EXPECT_EQ(rows[i].values, wholeRows[i].values) << "entry " << i;
        }
    }
    // Backwards from the end, one entry at a time.
    CollectionPosition a = Position({kDocuments * 2}), b = a;
    for (size_t i = expected.size(); i-- > 0;) {
        const Step left = Ask(whole, a, NAVIGATE_PREV, 1, NAVIGATE_CURRENT, 1);
        ASSERT_EQ(Ask(growing, b, NAVIGATE_PREV, 1, NAVIGATE_CURRENT, 1), left) << "entry " << i;
        ASSERT_EQ(left, expected[i]);
    }
    // Jumps: a few entries from places all over the view, in no order.
    std::vector<size_t> picks;
    for (size_t i = 0; i < expected.size(); i += 37)
        picks.push_back((i * 7919) % expected.size());
    for (size_t pick : picks) {
        CollectionPosition left = At(expected[pick].path), right = left;
        const Step wanted = Ask(whole, left, NAVIGATE_CURRENT, 0, NAVIGATE_NEXT, 3);
        ASSERT_EQ(Ask(growing, right, NAVIGATE_CURRENT, 0, NAVIGATE_NEXT, 3), wanted) << "entry " << pick;
    }
    for (HCOLLECTION c : {whole, growing})
        EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionRewalkTest, WalksStartedAgainHalfWayOrPastCategoriesGiveTheSameEntries) {
    const HCOLLECTION whole = Whole(), growing = Open(view_);
    const std::vector<Step> expected = EveryEntry(whole);
    // Half the view, then from the top again; then passing over every subcategory's documents as a
    // retrieval of chosen categories does, then from the top again.
    CollectionPosition pos = Position({0});
    for (size_t i = 0; i < expected.size() / 2; ++i)
        ASSERT_EQ(Ask(growing, pos, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 1), expected[i]) << "entry " << i;
    std::vector<Step> walked = EveryEntry(growing);
    ASSERT_EQ(walked.size(), expected.size());
    for (size_t i = 0; i < walked.size(); ++i)
        ASSERT_EQ(walked[i], expected[i]) << "entry " << i;
    CollectionPosition left = Position({0}), right = left;
    for (;;) {
        const Step wanted = Ask(whole, left, NAVIGATE_NEXT_CATEGORY, 1, NAVIGATE_NEXT, 2);
        ASSERT_EQ(Ask(growing, right, NAVIGATE_NEXT_CATEGORY, 1, NAVIGATE_NEXT, 2), wanted);
        if (wanted.returned == 0) break;
    }
    walked = EveryEntry(growing);
    ASSERT_EQ(walked.size(), expected.size());
    for (size_t i = 0; i < walked.size(); ++i)
        ASSERT_EQ(walked[i], expected[i]) << "entry " << i;
    for (HCOLLECTION c : {whole, growing})
        EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionRewalkTest, AKeyFoundThenWalkingOnGivesTheEntriesAfterIt) {
    const HCOLLECTION whole = Whole();
    // Region0's rows are read first and have left memory by the time the key is looked for; Region3's
    // lie in the middle of the view.
    for (const char* region : {"Region0", "Region3"}) {
        for (bool categoriesFirst : {false, true}) {
            const HCOLLECTION growing = Open(view_);
            if (categoriesFirst) WalkCategories(growing);
            const std::string table = KeyTable(region);
            CollectionPosition found[2]{};
            uint32_t counts[2] = {0, 0};
            ASSERT_EQ(FindByKey(whole, table.data(), 0, &found[0], &counts[0]), NOERROR);
            ASSERT_EQ(FindByKey(growing, table.data(), 0, &found[1], &counts[1]), NOERROR);
            ASSERT_EQ(PathOf(found[1]), PathOf(found[0])) << region;
            EXPECT_EQ(counts[1], counts[0]);
            const std::vector<Step> expected = EveryEntry(whole, found[0]);
            const std::vector<Step> walked = EveryEntry(growing, found[1]);
            ASSERT_EQ(walked.size(), expected.size());
            for (size_t i = 0; i < walked.size(); ++i)
                ASSERT_EQ(walked[i], expected[i]) << region << ", entry " << i;
            EXPECT_EQ(CloseCollection(growing), NOERROR);
        }
    }
    EXPECT_EQ(CloseCollection(whole), NOERROR);
}

TEST_F(CollectionRewalkTest, RowsDeletedSavedOrAddedBetweenBatchesReadAsTheyAreStoredNow) {
    const HCOLLECTION whole = Whole(), growing = Open(view_);
    const std::vector<EntryRow> before = ReadAll(whole);
    WalkCategories(growing);
    // The first rows are read again, and the rows after them with them, in one batch.
    CollectionPosition pos = Position({0});
    ASSERT_EQ(Ask(growing, pos, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, 10).returned, 10u);
    std::vector<size_t> documents;
    for (size_t i = 0; i < before.size(); ++i)
        if (!before[i].IsCategory() && !before[i].IsTotal()) documents.push_back(i);
    const size_t inBatch = documents[40], deleted = documents[400], saved = documents[600],
                 moved = documents[700];
    const auto idOf = [&](size_t entry) { return before[entry].id; };
    // Saved in place, saved under a name that sorts it elsewhere, deleted, and one document added.
    UpdateDocument(idOf(inBatch), {Number("Amount", 1000)});
    UpdateDocument(idOf(saved), {Number("Amount", 2000)});
    UpdateDocument(idOf(moved), {Text("Name", "a moved name")});
    ASSERT_EQ(DeleteNote(db_, idOf(deleted), 0), NOERROR);
    const NOTEID added =
        SaveDocument({Text("Region", "Region0"), Text("City", "City0"), Text("Name", "n00001a")});
    const auto expect = [&](const std::vector<EntryRow>& rows, bool batchGone) {
        ASSERT_EQ(rows.size(), before.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            std::vector<std::string> values = before[i].values;
            if (i == deleted)
                values.assign(values.size(), "");
            else if (i == saved)
                values[3] = "2000";
            else if (i == moved)
                values[2] = "a moved name";
            else if (i == inBatch && batchGone)
                values[3] = "1000";
            EXPECT_EQ(rows[i].id, before[i].id) << "entry " << i;
            EXPECT_NE(rows[i].id, added);
            EXPECT_EQ(rows[i].values, values) << "entry " << i;
        }
    };
    // The entries of the batch read before the changes stay as read, as those of a first walk do; the
    // later ones read the rows as they are now, and the rows after each change still find their entries.
    std::vector<EntryRow> rows;
    const std::vector<EntryRow> first = ParseEntries(
        Ask(growing, pos = Position({0}), NAVIGATE_NEXT, 1, NAVIGATE_NEXT, 10).bytes, kEntryMask);
    rows.insert(rows.end(), first.begin(), first.end());
    for (;;) {
        const Step s = Ask(growing, pos, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, 50);
        ASSERT_EQ(s.status, NOERROR);
        if (s.returned == 0) break;
        const std::vector<EntryRow> more = ParseEntries(s.bytes, kEntryMask);
        rows.insert(rows.end(), more.begin(), more.end());
    }
    expect(rows, false);
    // Once that batch has gone too, its rows are read as they are now.
    expect(ReadAll(growing), true);
    for (HCOLLECTION c : {whole, growing})
        EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionRewalkTest, ARowDamagedOrUnreadableFailsTheReadThatReachesIt) {
    const HCOLLECTION whole = Whole(), growing = Open(view_);
    const std::vector<Step> expected = EveryEntry(whole);
    WalkCategories(growing);
    std::vector<size_t> documents;
    const std::vector<EntryRow> rows = ReadAll(whole);
    for (size_t i = 0; i < rows.size(); ++i)
        if (!rows[i].IsCategory() && !rows[i].IsTotal()) documents.push_back(i);
    // Rows that cannot be read again (the documents' database was closed) fail the walk; it does not go
    // on quietly with empty entries.
    DBHANDLE data = 0;
    ASSERT_EQ(OpenDatabase("views.nsf", &data), NOERROR);
    HCOLLECTION cut = 0;
    ASSERT_EQ(OpenCollection(db_, data, view_, 0, NULLHANDLE, &cut), NOERROR);
    WalkCategories(cut);
    ASSERT_EQ(CloseDatabase(data), NOERROR);
    CollectionPosition pos = Position({0});
    STATUS failed = NOERROR;
    for (size_t i = 0; i < expected.size() && failed == NOERROR; ++i)
        failed = Ask(cut, pos, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 1).status;
    EXPECT_NE(failed, NOERROR);
    CloseCollection(cut);

    // A damaged row (written behind the store's back while it has the file open) fails the read that
    // reaches it.
    const size_t damaged = documents[300];
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((data_ + "/views.nsf").c_str(), &raw), SQLITE_OK);
    const std::string damage =
        "UPDATE view_rows SET summary = x'40000100' WHERE note = " + std::to_string(rows[damaged].id);
    ASSERT_EQ(sqlite3_exec(raw, damage.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    // The entries before it read as they were, though their batch holds the damaged row.
    pos = Position({0});
    for (size_t i = 0; i < damaged; ++i)
        ASSERT_EQ(Ask(growing, pos, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 1), expected[i]) << "entry " << i;
    EXPECT_EQ(Ask(growing, pos, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 1).status, ERR_VIEW_INDEX_DAMAGED);
    EXPECT_EQ(CloseCollection(growing), NOERROR);
    EXPECT_EQ(CloseCollection(whole), NOERROR);
}

// A view sorted by a column of six values: hundreds of rows share each sort key, so the batches read again
// begin within a key's rows, and the rows after the place must come in (note, part) order from there.
TEST_F(CollectionRewalkTest, RowsReadAgainFromWithinOneKeysRowsGiveTheSameEntries) {
    const std::vector<ColumnSpec> columns = {{"City", "City", VIEW_COLUMN_SORT}, {"Name", "Name"}};
    const NOTEID cities = SaveView("Cities", columns), apart = SaveViewApart("Cities", columns);
    const HCOLLECTION whole = OpenApart(apart), growing = Open(cities);
    const std::vector<Step> expected = EveryEntry(whole);
    ASSERT_EQ(expected.size(), size_t{kDocuments});
    for (int pass = 0; pass < 3; ++pass) {
        const std::vector<Step> walked = EveryEntry(growing);
        ASSERT_EQ(walked.size(), expected.size());
        for (size_t i = 0; i < walked.size(); ++i)
            ASSERT_EQ(walked[i], expected[i]) << "pass " << pass << ", entry " << i;
    }
    // Reading on from places all over the view, many entries at a time.
    for (size_t pick = 1; pick < expected.size(); pick += 211) {
        CollectionPosition left = At(expected[pick].path), right = left;
        const Step wanted = Ask(whole, left, NAVIGATE_CURRENT, 0, NAVIGATE_NEXT, 700);
        ASSERT_EQ(wanted.returned, std::min<size_t>(700, expected.size() - pick));
        ASSERT_EQ(Ask(growing, right, NAVIGATE_CURRENT, 0, NAVIGATE_NEXT, 700), wanted) << "entry " << pick;
    }
    for (HCOLLECTION c : {whole, growing})
        EXPECT_EQ(CloseCollection(c), NOERROR);
}

} // namespace
} // namespace nnotes::testing
