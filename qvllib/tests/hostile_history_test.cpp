// The write-back into documents whose history item is already there in a form nobody on the project wrote:
// a number, rich text, a list of 10,000 lines, 60 KB of text, lines of ill-formed UTF-8 and NULs, an item
// without the summary flag, two items of the name, or one changed by another writer since the walk. The
// history gains exactly the new line, or the document stays as it was; nothing else changes.
#include "history.h"
#include "libfixture.h"
#include "raw_notes.h"
#include "testsupport/item_bytes.h"

namespace qvltest {
namespace {

constexpr const char* kHistoryDatabase = "hist.nsf";

struct StoredItem {
    uint16_t flags = 0;
    testsupport::ItemBytes bytes;
    bool operator==(const StoredItem& other) const {
        return flags == other.flags && bytes.type == other.bytes.type && bytes.value == other.bytes.value;
    }
    // Flags, type and the first bytes of the value, for the failure messages.
    friend void PrintTo(const StoredItem& item, std::ostream* out) {
        *out << "flags " << item.flags << " type " << item.bytes.type << " " << item.bytes.value.size()
             << " bytes " << ::testing::PrintToString(item.bytes.value.substr(0, 40));
    }
};

// Every stored item of the note, in item order: name, flags, type and value.
std::vector<std::pair<std::string, StoredItem>> StoredNote(int id) {
    std::vector<std::pair<std::string, StoredItem>> items;
    nnotes::DBHANDLE db = 0;
    if (nnotes::OpenDatabase(kHistoryDatabase, &db) != nnotes::NOERROR) return items;
    nnotes::NOTEHANDLE note = 0;
    if (nnotes::OpenNote(db, static_cast<nnotes::NOTEID>(id), 0, &note) == nnotes::NOERROR) {
        nnotes::BLOCKID item{};
        for (nnotes::STATUS found =
                 nnotes::FindItemByName(note, nullptr, 0, &item, nullptr, nullptr, nullptr);
             found == nnotes::NOERROR;
             found = nnotes::FindNextItemByName(note, nullptr, 0, item, &item, nullptr, nullptr, nullptr)) {
            char name[64] = {};
            uint16_t nameLength = 0, flags = 0, type = 0;
            nnotes::BLOCKID value{};
            uint32_t length = 0;
            nnotes::QueryItemByBlock(note, item, name, sizeof name, &nameLength, &flags, &type, &value,
                                     &length);
            StoredItem stored;
            stored.flags = flags;
            stored.bytes.type = type;
            const char* bytes = static_cast<const char*>(nnotes::LockBlock(value.pool));
            if (bytes != nullptr) stored.bytes.value.assign(bytes + value.block, length);
            nnotes::UnlockBlock(value.pool);
            items.emplace_back(name, stored);
        }
        nnotes::CloseNote(note);
    }
    nnotes::CloseDatabase(db);
    return items;
}

class HostileHistoryTest : public LibraryTest {
protected:
    void SetUp() override {
        Build(DataSourceDatabase(kServer, DataSource("History", kHistoryDatabase, "All")));
        Build(R"({"path": "hist.nsf", "views": [{"name": "All", "columns": [
            {"title": "Name", "item": "Name", "sorted": true}]}], "documents": []})");
        UseServer(kServer);
        ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    }

    // A document named name holding these items besides its name; the data source is opened on it.
    int Document(const std::vector<RawItem>& items) {
        std::vector<RawItem> all{TextItem("Name", "Doc " + std::to_string(++documents_))};
        all.insert(all.end(), items.begin(), items.end());
        const int id = AddRawDocument(kHistoryDatabase, all);
        EXPECT_NE(id, 0);
        EXPECT_EQ(DSOpen("History"), 1);
        return id;
    }

    // The stored note with the history item's value replaced by the text list of lines, its flags kept; the
    // changed item goes last, as every item the object layer changes does.
    static std::vector<std::pair<std::string, StoredItem>>
    WithHistory(std::vector<std::pair<std::string, StoredItem>> note, const std::vector<std::string>& lines) {
        for (auto at = note.begin(); at != note.end(); ++at)
            if (at->first == "MergeHistory") {
                StoredItem item = at->second;
                note.erase(at);
                item.bytes.value.clear();
                util::PutFixed16(&item.bytes.value, nnotes::TYPE_TEXT_LIST);
                item.bytes.type = nnotes::TYPE_TEXT_LIST;
                item.bytes.value += TextListData(lines);
                note.emplace_back("MergeHistory", item);
                break;
            }
        return note;
    }

    int documents_ = 0;
};

// Values that are no text take no line: the document keeps every byte it had.
TEST_F(HostileHistoryTest, AHistoryThatIsNoTextIsLeftAsItWas) {
    const std::vector<RawItem> histories = {
        RawItem{"MergeHistory", nnotes::TYPE_NUMBER, DoubleData(7)},
        RawItem{"MergeHistory", nnotes::TYPE_NUMBER_RANGE, RangeData({DoubleData(1), DoubleData(2)}, {})},
        RawItem{"MergeHistory", nnotes::TYPE_TIME, InstantData(100, 2450000)},
        RawItem{"MergeHistory", nnotes::TYPE_TIME_RANGE, RangeData({InstantData(1, 2450000)}, {})},
        RawItem{"MergeHistory", nnotes::TYPE_COMPOSITE, std::string("\x01\x00\x02\x00rich", 8)},
        RawItem{"MergeHistory", 0x1234, "opaque", 0},
    };
    for (const RawItem& history : histories) {
        const int id = Document({history, TextItem("Other", "kept")});
        const auto before = StoredNote(id);
        UpdateDocument("MergeHistory", "Merge A", id);
        EXPECT_EQ(StoredNote(id), before) << "type " << history.type;
    }
}

// A list of 10,000 lines gains the one line; lines of ill-formed UTF-8, NULs, CR/LF and tabs stay byte for
// byte as they were stored, and the item keeps its flags and its place.
TEST_F(HostileHistoryTest, AListOfTenThousandOddLinesGainsExactlyTheNewLine) {
    std::vector<std::string> lines;
    const std::string odd[] = {
        std::string("a\0b", 3), "\xFF\xFE", "\xC3", "\r\n", "\t|=", "\xED\xA0\x80", "\xF0\x9F\x98\x80", ""};
    for (int i = 0; i < 10000; ++i)
        lines.push_back(i % 10 == 0 ? odd[(i / 10) % std::size(odd)] : std::to_string(i % 1000));
    for (const uint16_t flags : {uint16_t{nnotes::ITEM_SUMMARY}, uint16_t{0}}) {
        const int id = Document({TextItem("Before", "b"),
                                 RawItem{"MergeHistory", nnotes::TYPE_TEXT_LIST, TextListData(lines), flags},
                                 TextItem("After", "a", 0)});
        const auto before = StoredNote(id);
        UpdateDocument("MergeHistory", "Merge A", id);
        std::vector<std::string> grown = lines;
        grown.push_back("Merge A");
        const auto stored = StoredLines(kHistoryDatabase, id, "MergeHistory");
        ASSERT_TRUE(stored.has_value());
        ASSERT_EQ(stored->size(), grown.size());
        for (size_t i = 0; i < grown.size(); ++i)
            ASSERT_EQ((*stored)[i], grown[i]) << "line " << i << ", flags " << flags;
        EXPECT_EQ(StoredNote(id), WithHistory(before, grown)) << "flags " << flags;
    }
}

// A single text item of ill-formed bytes, or 60 KB long, becomes a list of itself and the new line when
// that fits, and stays as it was when it does not.
TEST_F(HostileHistoryTest, ASingleTextHistoryBecomesAListOfItselfAndTheLineOrStays) {
    const std::string odd("x\0\xFF\r\n\xE2\x82", 7);
    int id = Document({RawItem{"MergeHistory", nnotes::TYPE_TEXT, odd, 0}});
    auto before = StoredNote(id);
    UpdateDocument("MergeHistory", "Merge A", id);
    EXPECT_EQ(StoredNote(id), WithHistory(before, {odd, "Merge A"}));

    const std::string large(60000, 'h');
    id = Document({RawItem{"MergeHistory", nnotes::TYPE_TEXT, large}});
    before = StoredNote(id);
    UpdateDocument("MergeHistory", std::string(6000, 'n').c_str(), id); // 65,531 bytes would not hold it
    EXPECT_EQ(StoredNote(id), before);
    UpdateDocument("MergeHistory", "Merge A", id);
    EXPECT_EQ(StoredNote(id), WithHistory(before, {large, "Merge A"}));

    id = Document({RawItem{"MergeHistory", nnotes::TYPE_TEXT_LIST, TextListData({})}});
    before = StoredNote(id);
    UpdateDocument("MergeHistory", "Merge A", id);
    EXPECT_EQ(StoredNote(id), WithHistory(before, {"Merge A"}));
}

// Item names are matched without regard to case: a history item spelt otherwise gains the line, and no
// second item is made.
TEST_F(HostileHistoryTest, AHistoryItemSpeltInAnotherCaseGainsTheLine) {
    const int id = Document({TextItem("mergehistory", "old")});
    const auto before = StoredNote(id);
    UpdateDocument("MergeHistory", "Merge A", id);
    const auto after = StoredNote(id);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.back().first, "mergehistory");
    EXPECT_EQ(StoredLines(kHistoryDatabase, id, "MergeHistory"),
              (std::vector<std::string>{"old", "Merge A"}));
}

// Of two items of the name, readers see the first. The changed item would go last and leave the other one
// first, so that the history seen would lose its lines: such a document is left as it was.
TEST_F(HostileHistoryTest, ADocumentWithTwoHistoryItemsIsLeftAsItWas) {
    const int id = Document(
        {TextItem("MergeHistory", "first"), TextItem("Between", "b"), TextItem("mergeHistory", "second")});
    const auto before = StoredNote(id);
    UpdateDocument("MergeHistory", "Merge A", id);
    EXPECT_EQ(StoredNote(id), before);
    EXPECT_EQ(StoredLines(kHistoryDatabase, id, "MergeHistory"), (std::vector<std::string>{"first"}));
}

// Another writer that turned the history into a number after the walk reached the document wins: the
// write-back reads the document afresh and finds no text to add to.
TEST_F(HostileHistoryTest, AHistoryAnotherWriterTurnedIntoANumberSinceTheWalkIsLeftAlone) {
    const int id = Document({TextItem("MergeHistory", "old")});
    ASSERT_EQ(GotoFirst(), 1);
    ASSERT_EQ(GetNoteID(), id);
    nnotes::DBHANDLE db = 0;
    ASSERT_EQ(nnotes::OpenDatabase(kHistoryDatabase, &db), nnotes::NOERROR);
    nnotes::NOTEHANDLE note = 0;
    ASSERT_EQ(nnotes::OpenNote(db, static_cast<nnotes::NOTEID>(id), 0, &note), nnotes::NOERROR);
    ASSERT_EQ(nnotes::DeleteItem(note, "MergeHistory", 12), nnotes::NOERROR);
    ASSERT_EQ(AppendItems(note, {RawItem{"MergeHistory", nnotes::TYPE_NUMBER, DoubleData(3)}}),
              nnotes::NOERROR);
    ASSERT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR);
    nnotes::CloseNote(note);
    nnotes::CloseDatabase(db);
    const auto before = StoredNote(id);
    UpdateDocument("MergeHistory", "Merge A", id);
    EXPECT_EQ(StoredNote(id), before);
}

} // namespace
} // namespace qvltest
