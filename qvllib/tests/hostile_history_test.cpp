// The write-back into documents whose history item is already there in a form nobody on the project wrote:
// a number, rich text, a list of 10,000 lines, 60 KB of text, lines of ill-formed UTF-8 and NULs, an item
// without the summary flag, two items of the name, or one changed by another writer since the walk. The
// history gains exactly the new line, or the document stays as it was; nothing else changes.
#include "history.h"
#include "libfixture.h"
#include "raw_notes.h"
#include "testsupport/item_bytes.h"
#include "value_model.h"

#include <algorithm>
#include <random>
#include <strings.h>

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

// ---- Seeded: histories of every kind, written back to again and again, with another writer between

// The bytes a text list of these lines takes with its type word; the largest value a note holds.
size_t HistoryBytes(const std::vector<std::string>& lines) {
    size_t bytes = 4;
    for (const std::string& line : lines)
        bytes += 2 + line.size();
    return bytes;
}
constexpr size_t kLargestHistory = 0xFFFF - 4;

// What the model knows of one document: the lines of its history while it is one text item, nothing when
// it is not (its stored note must then stay as it was).
struct HistoryModel {
    int id = 0;
    std::optional<std::vector<std::string>> lines; // nullopt: no history item yet, or one that takes none
    bool takesLines = true;                        // false: an item that is no text, or two of the name
};

class HostileHistoryDriver : public HostileHistoryTest {
protected:
    std::string RandomLine(size_t longest) {
        static const char* const pieces[] = {"Merge",
                                             " ",
                                             "\t",
                                             "\r\n",
                                             "=",
                                             "|",
                                             "\xC3\xA9",
                                             "\xE6\x9D\xB1",
                                             "\xF0\x9F\x98\x80",
                                             "\x80",
                                             "\xC3",
                                             "\xE2\x82",
                                             "\xFF",
                                             "\xED\xA0\x80"};
        const size_t target = random_() % 10 ? random_() % 20 : random_() % longest;
        std::string line;
        while (line.size() < target)
            line += pieces[random_() % std::size(pieces)];
        return line;
    }

    // A new document with a history of a random kind; the model of it.
    HistoryModel RandomDocument() {
        std::vector<RawItem> items{TextItem("Other", "kept", 0)};
        HistoryModel model;
        const uint16_t flags = random_() % 2 ? nnotes::ITEM_SUMMARY : 0;
        const char* name = random_() % 3 ? "MergeHistory" : "MERGEhistory";
        switch (random_() % 12) {
        case 0:
            break; // none yet
        case 1:
        case 7:
        case 8: {
            const std::string line = RandomLine(60000);
            items.push_back(RawItem{name, nnotes::TYPE_TEXT, line, flags});
            model.lines = std::vector<std::string>{line};
            break;
        }
        case 2:
        case 3:
        case 9:
        case 10: {
            std::vector<std::string> lines;
            const size_t count = random_() % 4 ? random_() % 20 : 5000 + random_() % 10000;
            for (size_t i = 0; i < count; ++i) {
                lines.push_back(count > 100 ? std::to_string(i) : RandomLine(3000));
                if (HistoryBytes(lines) > kLargestHistory - random_() % 50) {
                    lines.pop_back();
                    break;
                }
            }
            items.push_back(RawItem{name, nnotes::TYPE_TEXT_LIST, TextListData(lines), flags});
            model.lines = lines;
            break;
        }
        case 4:
            items.push_back(RawItem{name, nnotes::TYPE_NUMBER, DoubleData(7), flags});
            model.takesLines = false;
            break;
        case 5:
            items.push_back(RawItem{name, nnotes::TYPE_COMPOSITE, RandomLine(500), flags});
            model.takesLines = false;
            break;
        case 6:
            items.push_back(
                RawItem{name, nnotes::TYPE_TIME_RANGE, RangeData({InstantData(1, 2450000)}, {}), flags});
            model.takesLines = false;
            break;
        default:
            items.push_back(TextItem(name, "one"));
            items.push_back(TextItem("MergeHistory", "two"));
            model.takesLines = false;
            break;
        }
        items.push_back(TextItem("Last", "kept too"));
        model.id = Document(items);
        return model;
    }

    // Another writer adds a line to the history through the store (or turns it into a number).
    void OtherWriter(HistoryModel& model) {
        if (!model.takesLines || !model.lines) return;
        nnotes::DBHANDLE db = 0;
        ASSERT_EQ(nnotes::OpenDatabase(kHistoryDatabase, &db), nnotes::NOERROR);
        nnotes::NOTEHANDLE note = 0;
        ASSERT_EQ(nnotes::OpenNote(db, static_cast<nnotes::NOTEID>(model.id), 0, &note), nnotes::NOERROR);
        ASSERT_EQ(nnotes::DeleteItem(note, "MergeHistory", 12), nnotes::NOERROR);
        if (random_() % 4 == 0) {
            ASSERT_EQ(AppendItems(note, {RawItem{"MergeHistory", nnotes::TYPE_NUMBER, DoubleData(1)}}),
                      nnotes::NOERROR);
            model.takesLines = false;
        } else {
            std::vector<std::string> lines = *model.lines;
            if (HistoryBytes(lines) + 8 <= kLargestHistory) lines.push_back("theirs");
            ASSERT_EQ(
                AppendItems(note, {RawItem{"MergeHistory", nnotes::TYPE_TEXT_LIST, TextListData(lines)}}),
                nnotes::NOERROR);
            model.lines = lines;
        }
        ASSERT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR);
        nnotes::CloseNote(note);
        nnotes::CloseDatabase(db);
    }

    static bool IsHistory(const std::string& name) {
        return name.size() == 12 && strncasecmp(name.c_str(), "MergeHistory", 12) == 0;
    }
    static std::vector<std::pair<std::string, StoredItem>>
    Others(std::vector<std::pair<std::string, StoredItem>> note) {
        note.erase(
            std::remove_if(note.begin(), note.end(), [](const auto& item) { return IsHistory(item.first); }),
            note.end());
        return note;
    }
    static int HistoryFlags(const std::vector<std::pair<std::string, StoredItem>>& note) {
        for (const auto& [name, item] : note)
            if (IsHistory(name)) return item.flags;
        return -1;
    }

    std::mt19937 random_;
};

TEST_F(HostileHistoryDriver, EveryHistoryGainsExactlyTheNewLineOrStaysAsItWas) {
    for (uint32_t seed = 1; seed <= 3 && !HasFailure(); ++seed) {
        random_.seed(seed);
        std::vector<HistoryModel> documents;
        for (int i = 0; i < 12; ++i)
            documents.push_back(RandomDocument());
        ASSERT_EQ(DSOpen("History"), 1);
        for (int step = 0; step < 60 && !HasFailure(); ++step) {
            const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step) + ": ";
            HistoryModel& model = documents[random_() % documents.size()];
            if (random_() % 8 == 0) {
                OtherWriter(model);
                continue;
            }
            const std::string value = RandomLine(random_() % 20 == 0 ? 70000 : 200);
            const auto before = StoredNote(model.id);
            UpdateDocument("MergeHistory", value.c_str(), model.id);
            const auto after = StoredNote(model.id);
            // The line as stored: the platform text as Notes text, each ill-formed stretch a U+FFFD and each
            // line feed the NUL that ends a line in Notes text.
            std::string line = PlatformModel(value);
            std::replace(line.begin(), line.end(), '\n', '\0');
            std::vector<std::string> grown = model.lines.value_or(std::vector<std::string>{});
            grown.push_back(line);
            if (!model.takesLines || HistoryBytes(grown) > kLargestHistory) {
                EXPECT_EQ(after, before) << where << "a line of " << value.size() << " bytes";
                continue;
            }
            // Every other item keeps its bytes and its order; the history keeps its flags, a new one is
            // summary.
            EXPECT_EQ(Others(after), Others(before)) << where;
            EXPECT_EQ(HistoryFlags(after), model.lines ? HistoryFlags(before) : nnotes::ITEM_SUMMARY)
                << where;
            EXPECT_EQ(StoredLines(kHistoryDatabase, model.id, "MergeHistory"), grown) << where;
            model.lines = grown;
        }
        DSClose();
    }
}

} // namespace
} // namespace qvltest
