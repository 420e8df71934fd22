// Collections over a stored index read their rows as far as each read needs. Every move from every kind of
// place must answer exactly as over the same view read whole, which a view kept in another database gives
// (its rows are made in memory at once).
#include "testing/view_fixture.h"
#include "util/coding.h"
#include "views/collection.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <tuple>

namespace nnotes::testing {
namespace {

constexpr uint32_t kAll = 0xFFFFFFFF;
// Counts of peers, children and descendants need the subtree or the peers complete; the rest does not.
constexpr uint32_t kPlainFields =
    READ_MASK_NOTEID | READ_MASK_NOTECLASS | READ_MASK_INDENTLEVELS | READ_MASK_INDEXPEER | READ_MASK_SUMMARY;
constexpr uint32_t kEveryField = READ_MASK_NOTEID | READ_MASK_NOTECLASS | READ_MASK_INDEXSIBLINGS |
                                 READ_MASK_INDEXCHILDREN | READ_MASK_INDEXDESCENDANTS |
                                 READ_MASK_INDENTLEVELS | READ_MASK_INDEXPEER | READ_MASK_SUMMARY;

// What one read gave: everything a caller can see of it.
struct Answer {
    STATUS status = NOERROR;
    uint32_t skipped = 0, returned = 0;
    uint16_t signal = 0;
    std::string bytes;
    std::string position;
    bool operator==(const Answer&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Answer& a) {
    return out << "status " << a.status << ", skipped " << a.skipped << ", returned " << a.returned
               << ", signal " << a.signal << ", " << a.bytes.size() << " bytes, at " << a.position;
}

class CollectionGrowthTest : public ViewTest {
protected:
    // A view with two category levels, a sorted name, a total and enough documents that its rows come in
    // several batches; the same view note in a database of its own.
    void SetUp() override {
        ViewTest::SetUp();
        const std::vector<ColumnSpec> columns = OrderColumns();
        view_ = SaveView("Orders", columns);
        char name[32];
        for (int i = 0; i < kDocuments; ++i) {
            std::snprintf(name, sizeof name, "n%05d", (i * 7919) % kDocuments);
            // One region of a single city and one city of a single document test the edges of levels.
            const int region = i % 5, city = region == 4 ? 0 : (i / 5) % 9;
            const std::string cityName = i == 17 ? "Lonely" : "City" + std::to_string(city);
            ids_.push_back(
                SaveDocument({Text("Region", "Region" + std::to_string(region)), Text("City", cityName),
                              Text("Name", name), Number("Amount", i % 13)}));
        }
        wholeView_ = SaveViewApart("Orders", columns);
    }

    HCOLLECTION Growing() { return Open(view_); }
    HCOLLECTION Whole() { return OpenApart(wholeView_); }

    static Answer Ask(HCOLLECTION c, CollectionPosition pos, uint16_t skipCode, uint32_t skipCount,
                      uint16_t returnCode, uint32_t returnCount, uint32_t mask = kEveryField) {
        RawRead raw = ReadRaw(c, pos, skipCode, skipCount, returnCode, returnCount, mask);
        Answer a{raw.status, raw.skipped, raw.returned, raw.signal, std::move(raw.bytes), ""};
        a.position =
            PathOf(pos) + " min " + std::to_string(pos.MinLevel) + " max " + std::to_string(pos.MaxLevel);
        return a;
    }

    // The position of every entry, in order, with the place before the first and after the last.
    std::vector<CollectionPosition> EveryPlace() {
        const HCOLLECTION c = Whole();
        std::vector<CollectionPosition> places{Position({0})};
        CollectionPosition pos = Position({0});
        for (;;) {
            uint32_t skipped = 0;
            EXPECT_EQ(ReadEntries(c, &pos, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 0, 0, nullptr, nullptr,
                                  &skipped, nullptr, nullptr),
                      NOERROR);
            if (skipped == 0) break;
            places.push_back(pos);
        }
        CloseCollection(c);
        places.push_back(Position({kDocuments * 2}));
        return places;
    }

    // The view saved beside the documents and the same view note in the design database: over the first,
    // a collection reads its stored rows on demand; over the second it makes every row in memory at once.
    std::pair<HCOLLECTION, HCOLLECTION> StoredAndWhole(const std::string& title,
                                                       const std::vector<ColumnSpec>& columns,
                                                       const std::string& selection) {
        const NOTEID stored = SaveView(title, columns, selection);
        return {Open(stored), OpenApart(SaveViewApart(title, columns, selection))};
    }

    // Every hit read on its own, as a navigator reads them (one past the last as well), then all of them in
    // one read.
    static std::vector<Answer> HitReads(HCOLLECTION c, uint32_t count, uint32_t mask) {
        std::vector<Answer> reads;
        for (uint32_t rank = 1; rank <= count + 1; ++rank)
            reads.push_back(Ask(c, Position({rank}), NAVIGATE_CURRENT_HIT, 0, NAVIGATE_CURRENT_HIT, 1, mask));
        reads.push_back(Ask(c, Position({0}), NAVIGATE_NEXT_HIT, 1, NAVIGATE_NEXT_HIT, kAll, mask));
        return reads;
    }

    // Attaches hits to both collections and expects the same answers from both, first as a search's walk
    // reads them and then with the counts that only the entries know.
    static void ExpectSameHits(HCOLLECTION stored, HCOLLECTION whole,
                               const std::vector<std::pair<NOTEID, uint16_t>>& hits, uint32_t expected) {
        uint32_t kept[2] = {0, 0};
        ASSERT_EQ(AttachHitList(stored, hits, &kept[0]), NOERROR);
        ASSERT_EQ(AttachHitList(whole, hits, &kept[1]), NOERROR);
        EXPECT_EQ(kept[0], expected);
        EXPECT_EQ(kept[1], expected);
        for (uint32_t mask : {kHitFields, kEveryField | READ_MASK_SCORE}) {
            const auto reads = HitReads(stored, expected, mask);
            EXPECT_EQ(reads, HitReads(whole, expected, mask)) << "mask " << mask;
            EXPECT_EQ(reads.back().returned, expected);
        }
    }

    // What a search navigator reads of each hit.
    static constexpr uint32_t kHitFields = kEntryMask | READ_MASK_SCORE;
    static constexpr int kDocuments = 1500;
    NOTEID view_ = 0, wholeView_ = 0;
    std::vector<NOTEID> ids_;
};

TEST_F(CollectionGrowthTest, ReadingEverythingGivesWhatTheWholeViewGives) {
    const HCOLLECTION whole = Whole(), growing = Growing();
    const auto all = ReadAll(whole);
    ASSERT_GT(all.size(), size_t{kDocuments});
    EXPECT_TRUE(all.back().IsTotal());
    EXPECT_EQ(ReadAll(growing).size(), all.size());
    // Buffer by buffer, byte for byte, from a collection that has read nothing past its first rows.
    CloseCollection(growing);
    const HCOLLECTION fresh = Growing();
    CollectionPosition a = Position({0}), b = Position({0});
    for (;;) {
        const Answer left = Ask(whole, a, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, kAll, kPlainFields);
        const Answer right = Ask(fresh, b, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, kAll, kPlainFields);
        ASSERT_EQ(right, left);
        if (left.returned == 0) break;
        // Go on from the last entry given.
        ASSERT_EQ(ReadEntries(whole, &a, NAVIGATE_NEXT, left.returned, NAVIGATE_CURRENT, 0, 0, nullptr,
                              nullptr, nullptr, nullptr, nullptr),
                  NOERROR);
        b = a;
    }
    for (HCOLLECTION c : {whole, fresh})
        EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionGrowthTest, EveryMoveFromEveryKindOfPlaceAnswersAsOverTheWholeView) {
    const std::vector<CollectionPosition> places = EveryPlace();
    const uint16_t codes[] = {NAVIGATE_CURRENT,
                              NAVIGATE_NEXT,
                              NAVIGATE_PREV,
                              NAVIGATE_PARENT,
                              NAVIGATE_CHILD,
                              NAVIGATE_NEXT_PEER,
                              NAVIGATE_PREV_PEER,
                              NAVIGATE_FIRST_PEER,
                              NAVIGATE_LAST_PEER,
                              NAVIGATE_MAIN,
                              NAVIGATE_NEXT_MAIN,
                              NAVIGATE_PREV_MAIN,
                              NAVIGATE_NEXT_PARENT,
                              NAVIGATE_PREV_PARENT,
                              NAVIGATE_NEXT_CATEGORY,
                              NAVIGATE_PREV_CATEGORY,
                              NAVIGATE_NEXT_NONCATEGORY,
                              NAVIGATE_PREV_NONCATEGORY};
    const HCOLLECTION whole = Whole();
    // Places at the start, at the first batch's edge, deep inside and at the end, each from a fresh
    // collection so that the move itself has to read on.
    std::vector<size_t> picks = {0,
                                 1,
                                 2,
                                 250,
                                 255,
                                 256,
                                 257,
                                 258,
                                 700,
                                 places.size() / 2,
                                 places.size() - 3,
                                 places.size() - 2,
                                 places.size() - 1};
    for (size_t pick : picks) {
        for (uint16_t code : codes) {
            for (uint32_t count : {1u, kAll}) {
                for (uint32_t mask : {kPlainFields, kEveryField}) {
                    const HCOLLECTION growing = Growing();
                    const Answer expected = Ask(whole, places[pick], code, count, NAVIGATE_NEXT, 2, mask);
                    EXPECT_EQ(Ask(growing, places[pick], code, count, NAVIGATE_NEXT, 2, mask), expected)
                        << "place " << pick << " (" << PathOf(places[pick]) << "), code " << code
                        << ", count " << count << ", mask " << mask;
                    CloseCollection(growing);
                }
            }
        }
        // Descendants of a top category, and moves held between two levels.
        CollectionPosition held = places[pick];
        held.MinLevel = 1;
        held.MaxLevel = 1;
        for (uint16_t code :
             {uint16_t(NAVIGATE_NEXT | NAVIGATE_MINLEVEL | NAVIGATE_MAXLEVEL),
              uint16_t(NAVIGATE_PREV | NAVIGATE_MAXLEVEL), uint16_t(NAVIGATE_NEXT_DESCENDANT)}) {
            const HCOLLECTION growing = Growing();
            const Answer expected = Ask(whole, held, code, kAll, NAVIGATE_CURRENT, 1, kPlainFields);
            EXPECT_EQ(Ask(growing, held, code, kAll, NAVIGATE_CURRENT, 1, kPlainFields), expected)
                << "place " << pick << ", code " << code;
            CloseCollection(growing);
            const HCOLLECTION again = Growing();
            const Answer expectedRun = Ask(whole, held, NAVIGATE_CURRENT, 0, code, 40, kPlainFields);
            EXPECT_EQ(Ask(again, held, NAVIGATE_CURRENT, 0, code, 40, kPlainFields), expectedRun)
                << "place " << pick << ", code " << code;
            CloseCollection(again);
        }
    }
    EXPECT_EQ(CloseCollection(whole), NOERROR);
}

TEST_F(CollectionGrowthTest, EntriesReadAgainAfterTheirRowsLeftMemoryComeFromTheStore) {
    // Counting reads every row, so only the last batches stay in memory; reading from the start again
    // reads the earlier rows from the store, and must give the same bytes.
    const HCOLLECTION whole = Whole(), growing = Growing();
    ASSERT_EQ(Ask(growing, Position({0}), NAVIGATE_NEXT, kAll, NAVIGATE_CURRENT, 0).skipped,
              Ask(whole, Position({0}), NAVIGATE_NEXT, kAll, NAVIGATE_CURRENT, 0).skipped);
    for (uint32_t mask : {kPlainFields, kEveryField}) {
        CollectionPosition a = Position({0});
        for (;;) {
            const Answer left = Ask(whole, a, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, kAll, mask);
            ASSERT_EQ(Ask(growing, a, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, kAll, mask), left);
            if (left.returned == 0) break;
            ASSERT_EQ(ReadEntries(whole, &a, NAVIGATE_NEXT, left.returned, NAVIGATE_CURRENT, 0, 0, nullptr,
                                  nullptr, nullptr, nullptr, nullptr),
                      NOERROR);
        }
    }
    // A document deleted since shows its entry with empty columns; the keys still find the others.
    const std::vector<EntryRow> before = ReadAll(growing);
    ASSERT_EQ(DeleteNote(db_, ids_[0], 0), NOERROR);
    const std::vector<EntryRow> after = ReadAll(growing);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        if (after[i].id != ids_[0]) {
            EXPECT_EQ(after[i].values, before[i].values) << "entry " << i;
            continue;
        }
        for (const std::string& value : after[i].values)
            EXPECT_EQ(value, "");
    }
    for (HCOLLECTION c : {whole, growing})
        EXPECT_EQ(CloseCollection(c), NOERROR);
}

// A batch that ends inside a run of rows with the same key goes on with the rest of that key, then the keys
// after it: every row once, in order, also when no column is sorted and every row has the same key.
TEST_F(CollectionGrowthTest, BatchesEndingInsideOneKeyGoOnWithTheRestOfIt) {
    const std::vector<std::vector<ColumnSpec>> views = {
        {{"Region", "Region", VIEW_COLUMN_CATEGORY}, {"Name", "Name", 0}},
        {{"Name", "Name", 0}, {"Amount", "Amount", VIEW_COLUMN_TOTAL}}};
    for (size_t v = 0; v < views.size(); ++v) {
        const auto [stored, whole] = StoredAndWhole("Same keys " + std::to_string(v), views[v], "");
        const auto all = ReadAll(whole);
        ASSERT_GT(all.size(), size_t{kDocuments});
        std::set<NOTEID> documents;
        for (const EntryRow& e : all)
            if (!e.IsCategory() && !e.IsTotal()) documents.insert(e.id);
        EXPECT_EQ(documents.size(), size_t{kDocuments}) << "view " << v;
        // Buffer by buffer, from a collection that has read nothing past its first rows.
        CollectionPosition a = Position({0}), b = Position({0});
        for (;;) {
            const Answer left = Ask(whole, a, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, kAll, kPlainFields);
            const Answer right = Ask(stored, b, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, kAll, kPlainFields);
            ASSERT_EQ(right, left) << "view " << v;
            if (left.returned == 0) break;
            ASSERT_EQ(ReadEntries(whole, &a, NAVIGATE_NEXT, left.returned, NAVIGATE_CURRENT, 0, 0, nullptr,
                                  nullptr, nullptr, nullptr, nullptr),
                      NOERROR);
            b = a;
        }
        for (HCOLLECTION c : {stored, whole})
            EXPECT_EQ(CloseCollection(c), NOERROR);
    }
}

TEST_F(CollectionGrowthTest, KeysAndHitsFindEntriesPastTheFirstRows) {
    const HCOLLECTION whole = Whole(), growing = Growing();
    std::string key;
    util::PutFixed16(&key, TYPE_TEXT);
    key += "Region0"; // its rows are read first, and have left memory by the time the key is looked for
    std::string table;
    util::PutFixed16(&table, static_cast<uint16_t>(8 + key.size()));
    util::PutFixed16(&table, 1);
    util::PutFixed16(&table, 0);
    util::PutFixed16(&table, static_cast<uint16_t>(key.size()));
    table += key;
    CollectionPosition found[2]{};
    uint32_t counts[2] = {0, 0};
    ASSERT_EQ(FindByKey(whole, table.data(), 0, &found[0], &counts[0]), NOERROR);
    ASSERT_EQ(FindByKey(growing, table.data(), 0, &found[1], &counts[1]), NOERROR);
    EXPECT_EQ(PathOf(found[1]), PathOf(found[0]));
    EXPECT_EQ(counts[1], counts[0]);
    EXPECT_EQ(counts[0], uint32_t{kDocuments / 5});
    CloseCollection(growing);

    // Rows that cannot be read again (the documents' database was closed) fail the search; they are not
    // keys that are missing.
    DBHANDLE data = 0;
    ASSERT_EQ(OpenDatabase("views.nsf", &data), NOERROR);
    HCOLLECTION cut = 0;
    ASSERT_EQ(OpenCollection(db_, data, view_, 0, NULLHANDLE, &cut), NOERROR);
    ASSERT_EQ(Ask(cut, Position({0}), NAVIGATE_NEXT, kAll, NAVIGATE_CURRENT, 0).status, NOERROR);
    ASSERT_EQ(CloseDatabase(data), NOERROR);
    CollectionPosition none{};
    const STATUS cutOff = FindByKey(cut, table.data(), 0, &none, nullptr);
    EXPECT_NE(cutOff, NOERROR);
    EXPECT_NE(cutOff, ERR_NOT_FOUND);
    CloseCollection(cut);

    // The last saved document sorts last of all; a hit on it is placed without reading the view first.
    const HCOLLECTION hits = Growing();
    uint32_t kept = 0;
    ASSERT_EQ(AttachHitList(hits, {{ids_.back(), 50}, {ids_.front(), 40}}, &kept), NOERROR);
    EXPECT_EQ(kept, 2u);
    const Answer first =
        Ask(hits, Position({0}), NAVIGATE_NEXT_HIT, 1, NAVIGATE_NEXT_HIT, 5, READ_MASK_NOTEID);
    ASSERT_EQ(first.returned, 2u);
    NOTEID ids[2];
    std::memcpy(ids, first.bytes.data(), sizeof ids);
    EXPECT_EQ(ids[0], ids_.back());
    EXPECT_EQ(ids[1], ids_.front());
    for (HCOLLECTION c : {whole, hits})
        EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionGrowthTest, RowsReadLaterAreReadAsTheIndexStandsThenAndDamageIsReported) {
    // Entries already read stay as they were; what lies ahead is read as saved since, never twice.
    HCOLLECTION c = Growing();
    const auto first = ReadAll(c, kEntryMask);
    CloseCollection(c);
    c = Growing();
    ASSERT_EQ(Ask(c, Position({0}), NAVIGATE_NEXT, 10, NAVIGATE_CURRENT, 1).returned, 1u);
    const NOTEID added = SaveDocument(
        {Text("Region", "Region4"), Text("City", "City0"), Text("Name", "zzz"), Number("Amount", 1)});
    ASSERT_EQ(DeleteNote(db_, ids_[ids_.size() - 2], 0), NOERROR);
    const auto rows = ReadAll(c, kEntryMask);
    std::set<NOTEID> seen;
    bool sawAdded = false;
    for (const EntryRow& row : rows) {
        if (row.IsCategory() || row.IsTotal()) continue;
        EXPECT_TRUE(seen.insert(row.id).second) << "note " << row.id << " twice";
        EXPECT_NE(row.id, ids_[ids_.size() - 2]);
        sawAdded = sawAdded || row.id == added;
    }
    EXPECT_TRUE(sawAdded);
    EXPECT_EQ(seen.size(), size_t{kDocuments});
    EXPECT_EQ(first.size(), rows.size());
    CloseCollection(c);

    // A damaged row past the first batch fails the read that reaches it, and every read after it.
    CloseDatabase(db_);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((data_ + "/views.nsf").c_str(), &raw), SQLITE_OK);
    const std::string damage =
        "UPDATE view_rows SET summary = x'40000100' WHERE note = " + std::to_string(added);
    ASSERT_EQ(sqlite3_exec(raw, damage.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
    c = Growing();
    EXPECT_EQ(Ask(c, Position({0}), NAVIGATE_NEXT, kAll, NAVIGATE_CURRENT, 0).status, ERR_VIEW_INDEX_DAMAGED);
    EXPECT_EQ(Ask(c, Position({1}), NAVIGATE_CURRENT, 0, NAVIGATE_NEXT, 1).status, ERR_VIEW_INDEX_DAMAGED);
    EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionGrowthTest, HitsAreReadAsTheWholeViewReadsThem) {
    // Two category levels with a total: out of view order, one named twice, one that is no document.
    auto [stored, whole] = std::make_pair(Growing(), Whole());
    ExpectSameHits(stored, whole,
                   {{ids_[1400], 90},
                    {ids_[3], 80},
                    {view_, 75},
                    {ids_[17], 70},
                    {ids_[3], 60},
                    {ids_[700], 50},
                    {ids_.back(), 40},
                    {ids_.front(), 30}},
                   6);
    // Placing the hits among the entries for their counts leaves what a search reads of them as it was.
    EXPECT_EQ(HitReads(stored, 6, kHitFields), HitReads(whole, 6, kHitFields));
    for (HCOLLECTION c : {stored, whole})
        EXPECT_EQ(CloseCollection(c), NOERROR);

    // A view without categories.
    std::tie(stored, whole) =
        StoredAndWhole("Flat", {{"Name", "Name", VIEW_COLUMN_SORT}, {"City", "City"}}, "");
    ExpectSameHits(stored, whole, {{ids_[900], 10}, {ids_[5], 20}, {ids_[1499], 30}}, 3);
    for (HCOLLECTION c : {stored, whole})
        EXPECT_EQ(CloseCollection(c), NOERROR);

    // Documents under two categories each: a hit is the first of its document's entries.
    std::vector<NOTEID> tagged;
    for (int i = 0; i < 300; ++i)
        tagged.push_back(
            SaveDocument({Text("Kind", "tagged"),
                          Texts("Tag", {"t" + std::to_string(i % 7), "t" + std::to_string((i + 3) % 7)}),
                          Text("Name", "m" + std::to_string(1000 + (i * 37) % 300))}));
    std::tie(stored, whole) =
        StoredAndWhole("Tags", {{"Tag", "Tag", VIEW_COLUMN_CATEGORY}, {"Name", "Name", VIEW_COLUMN_SORT}},
                       "SELECT Kind = \"tagged\"");
    ExpectSameHits(stored, whole, {{tagged[299], 1}, {tagged[0], 2}, {ids_[0], 3}, {tagged[150], 4}}, 3);
    for (HCOLLECTION c : {stored, whole})
        EXPECT_EQ(CloseCollection(c), NOERROR);

    // Responses under their parents.
    std::vector<NOTEID> thread;
    for (int i = 0; i < 40; ++i) {
        thread.push_back(
            SaveDocument({Text("Kind", "thread"), Text("Subject", "s" + std::to_string(100 + i))}));
        thread.push_back(SaveDocument({Text("Kind", "thread"), Text("Reply", "re")}, thread.back()));
        thread.push_back(SaveDocument({Text("Kind", "thread"), Text("Reply", "re re")}, thread.back()));
    }
    std::tie(stored, whole) = StoredAndWhole(
        "Threads", {{"Subject", "Subject", VIEW_COLUMN_SORT}, {"Reply", "Reply", VIEW_COLUMN_RESPONSE}},
        "SELECT Kind = \"thread\"");
    ExpectSameHits(stored, whole, {{thread[5], 1}, {thread[30], 2}, {thread[0], 3}, {thread[119], 4}}, 4);
    for (HCOLLECTION c : {stored, whole})
        EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionGrowthTest, ASearchReadsTheRowsOfItsHitsAlone) {
    // A damaged row that is no hit's does not fail a search; the hit whose row it is reports it.
    const HCOLLECTION whole = Whole();
    CloseDatabase(db_);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((data_ + "/views.nsf").c_str(), &raw), SQLITE_OK);
    const std::string damage =
        "UPDATE view_rows SET summary = x'40000100' WHERE note = " + std::to_string(ids_[800]);
    ASSERT_EQ(sqlite3_exec(raw, damage.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
    const HCOLLECTION stored = Growing();
    const std::vector<std::pair<NOTEID, uint16_t>> hits = {{ids_[1200], 5}, {ids_[2], 4}, {ids_[1499], 3}};
    for (HCOLLECTION c : {stored, whole})
        ASSERT_EQ(AttachHitList(c, hits, nullptr), NOERROR);
    EXPECT_EQ(HitReads(stored, 3, kHitFields), HitReads(whole, 3, kHitFields));
    ASSERT_EQ(AttachHitList(stored, {{ids_[800], 1}}, nullptr), NOERROR);
    EXPECT_EQ(Ask(stored, Position({1}), NAVIGATE_CURRENT_HIT, 0, NAVIGATE_CURRENT_HIT, 1, kHitFields).status,
              ERR_VIEW_INDEX_DAMAGED);
    for (HCOLLECTION c : {stored, whole})
        EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionGrowthTest, HitsAreReadAsStoredWhenReachedAndPlacedAgainByAnUpdate) {
    const HCOLLECTION stored = Growing(), whole = Whole();
    const std::vector<std::pair<NOTEID, uint16_t>> hits = {{ids_[10], 3}, {ids_[20], 2}, {ids_[30], 1}};
    for (HCOLLECTION c : {stored, whole})
        ASSERT_EQ(AttachHitList(c, hits, nullptr), NOERROR);
    // After the search one hit is deleted and another saved again under another region and name.
    ASSERT_EQ(DeleteNote(db_, ids_[20], 0), NOERROR);
    UpdateDocument(ids_[30],
                   {Text("Region", "Region9"), Text("City", "Far"), Text("Name", "a0"), Number("Amount", 7)});
    const Answer all = Ask(stored, Position({0}), NAVIGATE_NEXT_HIT, 1, NAVIGATE_NEXT_HIT, kAll, kHitFields);
    ASSERT_EQ(all.status, NOERROR);
    const auto rows = ParseEntries(all.bytes, kHitFields);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].id, ids_[10]);
    EXPECT_EQ(rows[1].id, ids_[20]);
    for (const std::string& value : rows[1].values)
        EXPECT_EQ(value, "") << "a deleted document shows empty columns";
    EXPECT_EQ(rows[2].id, ids_[30]);
    EXPECT_NE(std::find(rows[2].values.begin(), rows[2].values.end(), "a0"), rows[2].values.end());

    // An update places the hits again: the deleted one is gone, the saved one is where it stands now, and
    // both collections agree.
    for (HCOLLECTION c : {stored, whole})
        ASSERT_EQ(UpdateCollection(c), NOERROR);
    for (uint32_t mask : {kHitFields, kEveryField | READ_MASK_SCORE})
        EXPECT_EQ(HitReads(stored, 2, mask), HitReads(whole, 2, mask));
    EXPECT_EQ(
        Ask(stored, Position({0}), NAVIGATE_NEXT_HIT, 1, NAVIGATE_NEXT_HIT, kAll, READ_MASK_NOTEID).returned,
        2u);
    for (HCOLLECTION c : {stored, whole})
        EXPECT_EQ(CloseCollection(c), NOERROR);
}

} // namespace
} // namespace nnotes::testing
