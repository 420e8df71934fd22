// Collections of views: category levels, documents, responses and totals in view order, and the moves of
// ReadEntries over them.
#include "testing/view_fixture.h"

namespace nnotes::testing {
namespace {

constexpr uint32_t kAll = 0xFFFFFFFF;

class CollectionTest : public ViewTest {
protected:
    // Category A with two documents and B with one, the documents sorted by name.
    void MakeCategorised() {
        view_ = SaveView("By Category|cat",
                         {{"Cat", "Category", VIEW_COLUMN_CATEGORY}, {"Name", "Name", VIEW_COLUMN_SORT}});
        a2_ = SaveDocument({Text("Cat", "A"), Text("Name", "zeta")});
        b1_ = SaveDocument({Text("Cat", "B"), Text("Name", "beta")});
        a1_ = SaveDocument({Text("Cat", "a"), Text("Name", "Alpha")});
    }

    struct Read {
        STATUS status = NOERROR;
        uint32_t skipped = 0, returned = 0;
        std::vector<EntryRow> rows;
    };
    Read Do(HCOLLECTION c, CollectionPosition& pos, uint16_t skipCode, uint32_t skipCount,
            uint16_t returnCode, uint32_t returnCount, uint32_t mask = kEntryMask) {
        const RawRead raw = ReadRaw(c, pos, skipCode, skipCount, returnCode, returnCount, mask);
        return {raw.status, raw.skipped, raw.returned, ParseEntries(raw.bytes, mask)};
    }

    NOTEID view_ = 0, a1_ = 0, a2_ = 0, b1_ = 0;
};

TEST_F(CollectionTest, CategorisedViewListsEachCategoryBeforeItsDocuments) {
    MakeCategorised();
    const HCOLLECTION c = Open(view_);
    const auto rows = ReadAll(c);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_TRUE(rows[0].IsCategory());
    // One category for "a" and "A": it shows the text of its first document.
    EXPECT_EQ(rows[0].values, (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(rows[1].id, a1_);
    EXPECT_EQ(rows[1].values, (std::vector<std::string>{"", "Alpha"}));
    EXPECT_EQ(rows[2].id, a2_);
    EXPECT_TRUE(rows[3].IsCategory());
    EXPECT_EQ(rows[3].values[0], "B");
    EXPECT_EQ(rows[4].id, b1_);
    for (const EntryRow& row : rows) {
        EXPECT_EQ(row.names, (std::vector<std::string>{"Cat", "Name"}));
        EXPECT_EQ(row.noteClass, row.IsCategory() ? 0 : NOTE_CLASS_DOCUMENT);
    }
    EXPECT_EQ(CloseCollection(c), NOERROR);
    EXPECT_EQ(CloseCollection(c), ERR_COLLECTION_HANDLE);
}

TEST_F(CollectionTest, PositionsNameEntriesByTheirPathAndMoveInPlace) {
    MakeCategorised();
    const HCOLLECTION c = Open(view_);
    CollectionPosition pos = Position({1});
    auto r = Do(c, pos, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 1);
    EXPECT_EQ(PathOf(pos), "1.1");
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0].id, a1_);

    // From a document, the next category is B; from B there is none.
    r = Do(c, pos, NAVIGATE_NEXT_CATEGORY, 1, NAVIGATE_CURRENT, 1);
    EXPECT_EQ(PathOf(pos), "2");
    EXPECT_EQ(r.skipped, 1u);
    EXPECT_EQ(r.rows[0].values[0], "B");
    r = Do(c, pos, NAVIGATE_NEXT_CATEGORY, 1, NAVIGATE_CURRENT, 1);
    EXPECT_EQ(r.skipped, 0u);
    EXPECT_EQ(r.returned, 0u);
    EXPECT_EQ(PathOf(pos), "2");

    pos = Position({2, 1});
    Do(c, pos, NAVIGATE_PREV_CATEGORY, 1, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(PathOf(pos), "2");
    Do(c, pos, NAVIGATE_PREV, 1, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(PathOf(pos), "1.2");
    Do(c, pos, NAVIGATE_PARENT, 1, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(PathOf(pos), "1");
    Do(c, pos, NAVIGATE_CHILD, 1, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(PathOf(pos), "1.1");
    Do(c, pos, NAVIGATE_LAST_PEER, 1, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(PathOf(pos), "1.2");
    Do(c, pos, NAVIGATE_NEXT_PARENT, 1, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(PathOf(pos), "2");
    r = Do(c, pos, NAVIGATE_NEXT_NONCATEGORY, 1, NAVIGATE_CURRENT, 1);
    EXPECT_EQ(r.rows.at(0).id, b1_);
    r = Do(c, pos, NAVIGATE_PREV_MAIN, 1, NAVIGATE_CURRENT, 1);
    EXPECT_EQ(r.rows.at(0).id, a2_);
    EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionTest, SkippingAsFarAsPossibleCountsEntries) {
    MakeCategorised();
    const HCOLLECTION c = Open(view_);
    CollectionPosition pos = Position({0});
    auto r = Do(c, pos, NAVIGATE_NEXT, kAll, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(r.skipped, 5u);
    EXPECT_EQ(PathOf(pos), "2.1");

    // Within category A only: its first child, held to that level.
    pos = Position({1});
    pos.MinLevel = 1;
    r = Do(c, pos, NAVIGATE_NEXT | NAVIGATE_MINLEVEL, kAll, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(r.skipped, 2u);
    EXPECT_EQ(PathOf(pos), "1.2");

    // Descendants of A, and the statistics of A.
    pos = Position({1});
    r = Do(c, pos, NAVIGATE_NEXT_DESCENDANT, kAll, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(r.skipped, 2u);
    pos = Position({1});
    DHANDLE buffer = NULLHANDLE;
    uint16_t length = 0;
    ASSERT_EQ(ReadEntries(c, &pos, NAVIGATE_CURRENT, 0, NAVIGATE_CURRENT, 1, 0x0438, &buffer, &length,
                          nullptr, nullptr, nullptr),
              NOERROR);
    ASSERT_EQ(length, 16u);
    const std::string stats = BlockBytes(buffer, length);
    FreeBlock(buffer);
    uint32_t values[4];
    std::memcpy(values, stats.data(), sizeof values);
    EXPECT_EQ(values[0], 2u); // siblings: A and B
    EXPECT_EQ(values[1], 2u); // children
    EXPECT_EQ(values[2], 2u); // descendants
    EXPECT_EQ(values[3], 1u); // first among its peers

    // Maximum level 0: only the categories.
    pos = Position({0});
    pos.MaxLevel = 0;
    r = Do(c, pos, NAVIGATE_NEXT | NAVIGATE_MAXLEVEL, kAll, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(r.skipped, 2u);
    EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionTest, EntryByIndexAndSkipsThatFallShort) {
    MakeCategorised();
    const HCOLLECTION c = Open(view_);
    CollectionPosition pos = Position({1});
    auto r = Do(c, pos, NAVIGATE_NEXT, 3, NAVIGATE_CURRENT, 1);
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_TRUE(r.rows[0].IsCategory());
    EXPECT_EQ(r.rows[0].values[0], "B");

    // A count that cannot be skipped in full returns nothing and leaves the position.
    pos = Position({1});
    r = Do(c, pos, NAVIGATE_NEXT, 5, NAVIGATE_CURRENT, 1);
    EXPECT_EQ(r.skipped, 4u);
    EXPECT_EQ(r.returned, 0u);
    EXPECT_EQ(PathOf(pos), "1");

    // Several entries at once; the position ends on the last one given.
    pos = Position({1});
    r = Do(c, pos, NAVIGATE_CURRENT, 0, NAVIGATE_NEXT, 3);
    EXPECT_EQ(r.returned, 3u);
    EXPECT_EQ(PathOf(pos), "1.2");
    // A position that names no entry gives none.
    pos = Position({7});
    r = Do(c, pos, NAVIGATE_CURRENT, 0, NAVIGATE_CURRENT, 1);
    EXPECT_EQ(r.returned, 0u);
    EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionTest, DocumentsSitUnderEachOfTheirCategoriesAndEmptyOnesUnderAnEmptyOne) {
    view_ = SaveView("Multi", {{"Cat", "Cat", VIEW_COLUMN_CATEGORY}, {"Name", "Name", 0}});
    const NOTEID both = SaveDocument({Texts("Cat", {"Red", "Blue"}), Text("Name", "both")});
    const NOTEID none = SaveDocument({Text("Name", "none")});
    const HCOLLECTION c = Open(view_);
    const auto rows = ReadAll(c);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].values[0], "");
    EXPECT_EQ(rows[1].id, none);
    EXPECT_EQ(rows[2].values[0], "Blue");
    EXPECT_EQ(rows[3].id, both);
    EXPECT_EQ(rows[4].values[0], "Red");
    EXPECT_EQ(rows[5].id, both);
    EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionTest, TwoCategoryLevelsNestAndLevelLimitsHoldMovesInside) {
    view_ = SaveView("Nested", {{"Country", "Country", VIEW_COLUMN_CATEGORY},
                                {"City", "City", VIEW_COLUMN_CATEGORY | VIEW_COLUMN_DESCENDING},
                                {"Name", "Name", VIEW_COLUMN_SORT}});
    SaveDocument({Text("Country", "CH"), Text("City", "Bern"), Text("Name", "a")});
    SaveDocument({Text("Country", "CH"), Text("City", "Zug"), Text("Name", "b")});
    SaveDocument({Text("Country", "CH"), Text("City", "Zug"), Text("Name", "c")});
    SaveDocument({Text("Country", "DE"), Text("City", "Ulm"), Text("Name", "d")});
    const HCOLLECTION c = Open(view_);
    const auto rows = ReadAll(c);
    std::vector<std::string> shown;
    for (const EntryRow& row : rows)
        shown.push_back(row.values[0] + "/" + row.values[1] + "/" + row.values[2]);
    EXPECT_EQ(shown, (std::vector<std::string>{"CH//", "/Zug/", "//b", "//c", "/Bern/", "//a", "DE//",
                                               "/Ulm/", "//d"}));

    // From Zug's last document the next category is Bern, one level up; then DE.
    CollectionPosition pos = Position({1, 1, 2});
    Do(c, pos, NAVIGATE_NEXT_CATEGORY, 1, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(PathOf(pos), "1.2");
    Do(c, pos, NAVIGATE_NEXT_CATEGORY, 1, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(PathOf(pos), "2");

    // Held to CH's subtree and to the city level: Zug and Bern only.
    pos = Position({1});
    pos.MinLevel = 1;
    pos.MaxLevel = 1;
    auto r = Do(c, pos, NAVIGATE_NEXT | NAVIGATE_MINLEVEL | NAVIGATE_MAXLEVEL, kAll, NAVIGATE_CURRENT, 0);
    EXPECT_EQ(r.skipped, 2u);
    EXPECT_EQ(PathOf(pos), "1.2");
    r = Do(c, pos, NAVIGATE_PREV | NAVIGATE_MAXLEVEL, 1, NAVIGATE_CURRENT, 1);
    EXPECT_EQ(PathOf(pos), "1.1");
    // A child below the maximum level is out of reach.
    r = Do(c, pos, NAVIGATE_CHILD | NAVIGATE_MAXLEVEL, 1, NAVIGATE_CURRENT, 1);
    EXPECT_EQ(r.skipped, 0u);
    EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionTest, ResponsesFollowTheirParentsWithTheirDepth) {
    view_ = SaveView("Threads",
                     {{"Subject", "Subject", VIEW_COLUMN_SORT}, {"Reply", "Reply", VIEW_COLUMN_RESPONSE}});
    const NOTEID main = SaveDocument({Text("Subject", "b main")});
    const NOTEID other = SaveDocument({Text("Subject", "a other")});
    const NOTEID reply = SaveDocument({Text("Reply", "re")}, main);
    const NOTEID deeper = SaveDocument({Text("Reply", "re re")}, reply);
    const HCOLLECTION c = Open(view_);
    const auto rows = ReadAll(c);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].id, other);
    EXPECT_EQ(rows[1].id, main);
    EXPECT_EQ(rows[2].id, reply);
    EXPECT_EQ(rows[2].indent, 1u);
    EXPECT_EQ(rows[3].id, deeper);
    EXPECT_EQ(rows[3].indent, 2u);

    CollectionPosition pos = Position({2, 1, 1});
    auto r = Do(c, pos, NAVIGATE_MAIN, 1, NAVIGATE_CURRENT, 1);
    EXPECT_EQ(PathOf(pos), "2");
    EXPECT_EQ(r.rows.at(0).id, main);
    r = Do(c, pos, NAVIGATE_NEXT_MAIN, 1, NAVIGATE_CURRENT, 1);
    EXPECT_EQ(r.skipped, 0u);

    // Without its parent a response is not shown.
    ASSERT_EQ(DeleteNote(db_, main, 0), NOERROR);
    ASSERT_EQ(UpdateCollection(c), NOERROR);
    EXPECT_EQ(ReadAll(c).size(), 1u);
    EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionTest, SortsNumbersDescendingComputesFormulasAndTotals) {
    view_ = SaveView("Amounts",
                     {{"Amount", "Amount", VIEW_COLUMN_SORT | VIEW_COLUMN_DESCENDING | VIEW_COLUMN_TOTAL},
                      {"$1", "Double", 0, "Amount * 2"},
                      {"", "Fixed", 0, "", std::string("\x00\x05", 2) + "fixed"}},
                     "SELECT Form = \"Order\"");
    SaveDocument({Text("Form", "Order"), Number("Amount", 5)});
    SaveDocument({Text("Form", "Order"), Number("Amount", 30)});
    SaveDocument({Text("Form", "Other"), Number("Amount", 1000)});
    SaveDocument({Text("Form", "Order"), Number("Amount", -2)});
    const HCOLLECTION c = Open(view_);
    const auto rows = ReadAll(c);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].values, (std::vector<std::string>{"30", "60"}));
    EXPECT_EQ(rows[1].values, (std::vector<std::string>{"5", "10"}));
    EXPECT_EQ(rows[2].values, (std::vector<std::string>{"-2", "-4"}));
    EXPECT_TRUE(rows[3].IsTotal());
    EXPECT_EQ(rows[3].values, (std::vector<std::string>{"33", ""}));
    EXPECT_EQ(rows[0].names, (std::vector<std::string>{"Amount", "$1"}));
    EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionTest, LargeReadsComeInBuffersThatContinueWhereTheyStopped) {
    view_ = SaveView("Big", {{"Name", "Name", VIEW_COLUMN_SORT}, {"Body", "Body", 0}});
    const std::string body(2000, 'x');
    char name[16];
    for (int i = 0; i < 100; ++i) {
        std::snprintf(name, sizeof name, "n%03d", i);
        SaveDocument({Text("Name", name), Text("Body", body)});
    }
    const HCOLLECTION c = Open(view_);
    CollectionPosition pos = Position({0});
    DHANDLE buffer = NULLHANDLE;
    uint16_t length = 0, signal = 0;
    uint32_t returned = 0;
    ASSERT_EQ(ReadEntries(c, &pos, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, kAll, kEntryMask, &buffer, &length,
                          nullptr, &returned, &signal),
              NOERROR);
    FreeBlock(buffer);
    EXPECT_EQ(signal, SIGNAL_MORE_TO_DO);
    EXPECT_GT(returned, 0u);
    EXPECT_LT(returned, 100u);
    EXPECT_EQ(pos.EntryIndex[0], returned);

    const auto rows = ReadAll(c);
    ASSERT_EQ(rows.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        std::snprintf(name, sizeof name, "n%03d", i);
        EXPECT_EQ(rows[i].values[0], name);
    }
    EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionTest, FullBuffersHoldEveryEntryThatFitsWhateverTheEntriesSizes) {
    // Entries from a few bytes to more than a tenth of a buffer, so that the entry that no longer fits is
    // at times far larger than the room a buffer was made with.
    view_ = SaveView("Sizes", {{"Name", "Name", VIEW_COLUMN_SORT}, {"Body", "Body", 0}});
    const size_t sizes[] = {10, 7000, 300, 12000, 1, 9000, 64, 15000, 2500};
    char name[16];
    for (int i = 0; i < 60; ++i) {
        std::snprintf(name, sizeof name, "n%03d", i);
        SaveDocument({Text("Name", name), Text("Body", std::string(sizes[i % 9] + i, 'a' + i % 26))});
    }
    const HCOLLECTION c = Open(view_);
    // Each entry's bytes, read one at a time.
    std::vector<std::string> one;
    CollectionPosition at = Position({0});
    for (;;) {
        const RawRead r = ReadRaw(c, at, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 1, kEntryMask);
        if (r.returned == 0) break;
        one.push_back(r.bytes);
    }
    ASSERT_EQ(one.size(), 60u);
    // The buffers of reads of every entry: each holds the next entries as long as they fit, byte for byte.
    CollectionPosition pos = Position({0});
    size_t next = 0, buffers = 0;
    for (;;) {
        const RawRead r = ReadRaw(c, pos, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, kAll, kEntryMask);
        ASSERT_EQ(r.status, NOERROR);
        if (r.returned == 0) break;
        ++buffers;
        std::string expected;
        for (uint32_t i = 0; i < r.returned; ++i)
            expected += one.at(next + i);
        next += r.returned;
        ASSERT_LE(r.bytes.size(), size_t{MAXREADBUFFER});
        EXPECT_EQ(r.bytes, expected) << "buffer " << buffers;
        if (r.signal & SIGNAL_MORE_TO_DO) {
            ASSERT_LT(next, one.size());
            EXPECT_GT(r.bytes.size() + one[next].size(), size_t{MAXREADBUFFER}) << "buffer " << buffers;
        } else {
            break;
        }
    }
    EXPECT_EQ(next, one.size());
    EXPECT_GT(buffers, 3u);
    EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionTest, RefusesUnknownCodesMasksAndPositions) {
    MakeCategorised();
    const HCOLLECTION c = Open(view_);
    CollectionPosition pos = Position({1});
    EXPECT_EQ(ReadEntries(c, &pos, 2, 1, 0, 1, kEntryMask, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERR_COLLECTION_NAVIGATOR);
    EXPECT_EQ(ReadEntries(c, &pos, NAVIGATE_NEXT | 0x0400, 1, 0, 1, kEntryMask, nullptr, nullptr, nullptr,
                          nullptr, nullptr),
              ERR_COLLECTION_NAVIGATOR);
    EXPECT_EQ(ReadEntries(c, &pos, NAVIGATE_NEXT | NAVIGATE_CONTINUE, 1, 0, 1, kEntryMask, nullptr, nullptr,
                          nullptr, nullptr, nullptr),
              NOERROR);
    EXPECT_EQ(ReadEntries(c, &pos, 0, 0, 0, 1, 0x0002, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERR_COLLECTION_MASK);
    pos.Level = MAXTUMBLERLEVELS;
    EXPECT_EQ(ReadEntries(c, &pos, 0, 0, 0, 1, kEntryMask, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERR_COLLECTION_POSITION);
    EXPECT_EQ(ReadEntries(c, nullptr, 0, 0, 0, 1, kEntryMask, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERR_MISSING_ARGUMENT);
    EXPECT_EQ(ReadEntries(0, &pos, 0, 0, 0, 1, kEntryMask, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERR_COLLECTION_HANDLE);
    EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(CollectionTest, EveryCallAnswersAfterTheLibraryStopped) {
    MakeCategorised();
    const HCOLLECTION c = Open(view_);
    CloseDatabase(db_);
    db_ = 0;
    ASSERT_EQ(TermProcess(), NOERROR);
    CollectionPosition pos = Position({1});
    HCOLLECTION other = 0;
    EXPECT_EQ(OpenCollection(1, 1, view_, 0, NULLHANDLE, &other), ERR_NOT_INITIALIZED);
    EXPECT_EQ(ReadEntries(c, &pos, 0, 0, 0, 1, kEntryMask, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERR_NOT_INITIALIZED);
    EXPECT_EQ(UpdateCollection(c), ERR_NOT_INITIALIZED);
    EXPECT_EQ(CloseCollection(c), ERR_NOT_INITIALIZED);
    EXPECT_EQ(FindByKey(c, "", 0, &pos, nullptr), ERR_NOT_INITIALIZED);
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
    EXPECT_EQ(CloseCollection(c), ERR_COLLECTION_HANDLE);
}

} // namespace
} // namespace nnotes::testing
