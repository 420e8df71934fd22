// The merge-history write-back, checked in the stored documents.
#include "history.h"
#include "libfixture.h"
#include "nnotes/database.h"
#include "nnotes/note.h"
#include "nsfadmin/nsfadmin.h"
#include "testsupport/item_bytes.h"

#include <sstream>

namespace qvltest {
namespace {

class WriteBackTest : public LibraryTest {
protected:
    void SetUp() override {
        OpenStandard();
        ASSERT_EQ(DSOpen("Everyone"), 3);
        lee_ = GetNoteID();
        ASSERT_EQ(GotoNext(), 1);
        marsh_ = GetNoteID();
        ASSERT_EQ(GotoNext(), 1);
        noor_ = GetNoteID();
        ASSERT_NE(lee_, 0);
        ASSERT_NE(marsh_, 0);
        ASSERT_NE(noor_, 0);
    }

    // Every stored document of contacts.nsf, one line each.
    static std::string Dump() {
        std::ostringstream out;
        EXPECT_EQ(nsfadmin::Dump("contacts.nsf", "", out), "");
        return out.str();
    }
    // The stored items of one document.
    static std::string Document(int noteId) {
        std::istringstream lines(Dump());
        const std::string key = "{\"noteid\":" + std::to_string(noteId) + ",";
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(key, 0) == 0) return line;
        return "";
    }

    int lee_ = 0, marsh_ = 0, noor_ = 0;
};

TEST_F(WriteBackTest, CallsAppendTheirValuesInOrderToTheHistoryItem) {
    UpdateDocument("MergeHistory", "Merge A", lee_);
    UpdateDocument("MergeHistory", "Merge B", lee_);
    EXPECT_NE(Document(lee_).find(R"("MergeHistory":["Spring letter","Merge A","Merge B"])"),
              std::string::npos)
        << Document(lee_);
}

TEST_F(WriteBackTest, ADocumentWithoutTheItemGetsItHoldingTheValueAlone) {
    UpdateDocument("MergeHistory", "Merge A", marsh_);
    EXPECT_NE(Document(marsh_).find(R"("MergeHistory":"Merge A")"), std::string::npos) << Document(marsh_);
    UpdateDocument("MergeHistory", "Merge B", marsh_);
    EXPECT_NE(Document(marsh_).find(R"("MergeHistory":["Merge A","Merge B"])"), std::string::npos)
        << Document(marsh_);
}

// The write-back reads the history item alone: every other item, among them one another writer saved after
// the data source was opened, is stored again as it was.
TEST_F(WriteBackTest, ItemsTheWriteBackNeverReadsKeepWhatWasSaved) {
    nnotes::DBHANDLE db = 0;
    ASSERT_EQ(nnotes::OpenDatabase("contacts.nsf", &db), nnotes::NOERROR);
    nnotes::NOTEHANDLE note = 0;
    ASSERT_EQ(nnotes::OpenNote(db, static_cast<nnotes::NOTEID>(lee_), 0, &note), nnotes::NOERROR);
    ASSERT_EQ(nnotes::SetItemText(note, "Remark", "theirs", 6), nnotes::NOERROR);
    ASSERT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR);
    ASSERT_EQ(nnotes::CloseNote(note), nnotes::NOERROR);
    ASSERT_EQ(nnotes::CloseDatabase(db), nnotes::NOERROR);
    const std::string before = Document(lee_);
    UpdateDocument("MergeHistory", "Merge A", lee_);
    const std::string after = Document(lee_);
    EXPECT_NE(after.find(R"("Remark":"theirs")"), std::string::npos) << after;
    // The same items but for the history, which gained its new line (and went last, as a changed item does).
    const auto without = [](std::string line, const std::string& item) {
        const std::string::size_type at = line.find(item);
        if (at != std::string::npos) line.erase(at, item.size());
        return line;
    };
    const std::string was = R"(,"MergeHistory":"Spring letter")",
                      is = R"(,"MergeHistory":["Spring letter","Merge A"])";
    ASSERT_NE(before.find(was), std::string::npos) << before;
    ASSERT_NE(after.find(is), std::string::npos) << after;
    EXPECT_EQ(without(after, is), without(before, was));
}

TEST_F(WriteBackTest, WritesThatCannotBeDoneLeaveTheDatabaseAsItWas) {
    const std::string before = Dump();
    UpdateDocument("MergeHistory", "Merge A", 999999);
    UpdateDocument("MergeHistory", "Merge A", 0);
    UpdateDocument("MergeHistory", "Merge A", -1);
    UpdateDocument("MergeHistory", "Merge A", noor_); // the item holds a number: no append, no second item
    UpdateDocument(nullptr, "Merge A", lee_);
    UpdateDocument("MergeHistory", nullptr, lee_);
    UpdateDocument("", "Merge A", lee_);
    EXPECT_EQ(Dump(), before);
}

TEST_F(WriteBackTest, NothingIsWrittenWithoutAnOpenDataSource) {
    const std::string before = Dump();
    DSClose();
    UpdateDocument("MergeHistory", "Merge A", lee_);
    EXPECT_EQ(Dump(), before);
}

// ---- At the limits of a history item

// The largest value a note holds, its type word included: a 64 KB block less the block's first offset.
constexpr size_t kLargestValue = 0xFFFF - 4;

// The stored bytes a text list of these entries takes, its type word included.
size_t ListBytes(const std::vector<std::string>& lines) {
    size_t bytes = 4;
    for (const std::string& line : lines)
        bytes += 2 + line.size();
    return bytes;
}

const std::vector<std::string> kContactItems = {"Form", "FirstName", "LastName", "Region", "Age"};

// Lines are appended until the next would not fit in the largest value a note holds: that line is left
// out whole, the lines before it stay as they were, and a shorter line that still fits goes in after it.
TEST_F(WriteBackTest, AHistoryAtTheLargestValueRefusesALineThatWouldNotFitWhole) {
    const auto others = StoredValues("contacts.nsf", marsh_, kContactItems);
    std::vector<std::string> expected;
    bool refused = false;
    for (int n = 0; n < 80 && !refused; ++n) {
        const std::string line =
            "Merge " + std::to_string(n) + " " + std::string(1000, static_cast<char>('a' + n % 26));
        UpdateDocument("MergeHistory", line.c_str(), marsh_);
        std::vector<std::string> grown = expected;
        grown.push_back(line);
        if (ListBytes(grown) <= kLargestValue) {
            expected = grown;
        } else {
            refused = true;
        }
        ASSERT_EQ(StoredLines("contacts.nsf", marsh_, "MergeHistory"), expected) << "after line " << n;
    }
    ASSERT_TRUE(refused);
    const std::string fits(kLargestValue - ListBytes(expected) - 2, 'z');
    UpdateDocument("MergeHistory", (fits + "z").c_str(), marsh_);
    EXPECT_EQ(StoredLines("contacts.nsf", marsh_, "MergeHistory"), expected);
    UpdateDocument("MergeHistory", fits.c_str(), marsh_);
    expected.push_back(fits);
    EXPECT_EQ(ListBytes(expected), kLargestValue);
    EXPECT_EQ(StoredLines("contacts.nsf", marsh_, "MergeHistory"), expected);
    UpdateDocument("MergeHistory", "", marsh_); // even an empty line takes its length word
    EXPECT_EQ(StoredLines("contacts.nsf", marsh_, "MergeHistory"), expected);
    EXPECT_EQ(StoredValues("contacts.nsf", marsh_, kContactItems), others);
}

// A first line as long as a new item can hold goes in; one byte more, or far more, leaves the document as
// it was. An empty description is a line of its own, and non-ASCII text reads back as it was written.
TEST_F(WriteBackTest, LongEmptyAndNonAsciiDescriptionsAreLinesOfTheirOwnOrNothing) {
    const std::string before = Dump();
    UpdateDocument("MergeHistory", std::string(kLargestValue - 2 + 1, 'x').c_str(), marsh_);
    UpdateDocument("MergeHistory", std::string(200000, 'y').c_str(), marsh_);
    UpdateDocument("MergeHistory", std::string(200000, 'y').c_str(), lee_);
    EXPECT_EQ(Dump(), before);
    UpdateDocument("MergeHistory", std::string(kLargestValue - 2, 'x').c_str(), marsh_);
    EXPECT_EQ(StoredLines("contacts.nsf", marsh_, "MergeHistory"),
              (std::vector<std::string>{std::string(kLargestValue - 2, 'x')}));
    UpdateDocument("MergeHistory", "", marsh_); // a second line makes it a list, two words longer
    EXPECT_EQ(StoredLines("contacts.nsf", marsh_, "MergeHistory"),
              (std::vector<std::string>{std::string(kLargestValue - 2, 'x')}));

    UpdateDocument("MergeHistory", "", lee_);
    UpdateDocument("MergeHistory", "Gr\u00fc\u00dfe \u2013 \u6771\u4eac \u2713", lee_);
    UpdateDocument("MergeHistory", "", lee_);
    EXPECT_NE(
        Document(lee_).find(
            "\"MergeHistory\":[\"Spring letter\",\"\",\"Gr\u00fc\u00dfe \u2013 \u6771\u4eac \u2713\",\"\"]"),
        std::string::npos)
        << Document(lee_);
    const auto lines = StoredLines("contacts.nsf", lee_, "MergeHistory");
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->size(), 4u);
}

// A document deleted by another writer after the data source was opened stays deleted.
TEST_F(WriteBackTest, ADocumentDeletedAfterTheDataSourceOpenedStaysDeleted) {
    nnotes::DBHANDLE db = 0;
    ASSERT_EQ(nnotes::OpenDatabase("contacts.nsf", &db), nnotes::NOERROR);
    ASSERT_EQ(nnotes::DeleteNote(db, static_cast<nnotes::NOTEID>(marsh_), 0), nnotes::NOERROR);
    ASSERT_EQ(nnotes::CloseDatabase(db), nnotes::NOERROR);
    const std::string before = Dump();
    UpdateDocument("MergeHistory", "Merge A", marsh_);
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(StoredLines("contacts.nsf", marsh_, "MergeHistory"), std::nullopt);
    // The data source still walks the rows left.
    EXPECT_EQ(GotoFirst(), 1);
}

// A note that is not a document, such as the design note of the data source's own view, gets no history
// item: the write-back changes documents only.
TEST_F(WriteBackTest, ANoteThatIsNoDocumentGetsNoHistory) {
    nnotes::DBHANDLE db = 0;
    ASSERT_EQ(nnotes::OpenDatabase("contacts.nsf", &db), nnotes::NOERROR);
    nnotes::NOTEID view = 0;
    ASSERT_EQ(nnotes::FindDesignNote(db, "All", nnotes::NOTE_CLASS_VIEW, &view), nnotes::NOERROR);
    ASSERT_EQ(nnotes::CloseDatabase(db), nnotes::NOERROR);
    const auto design = StoredValues("contacts.nsf", static_cast<int>(view), {"$TITLE", "$Formula"});
    ASSERT_FALSE(design.empty());
    UpdateDocument("MergeHistory", "Merge A", static_cast<int>(view));
    EXPECT_EQ(StoredLines("contacts.nsf", static_cast<int>(view), "MergeHistory"), std::nullopt);
    EXPECT_EQ(StoredValues("contacts.nsf", static_cast<int>(view), {"$TITLE", "$Formula"}), design);
}

// The same document written back many times in a row keeps every line once, in order.
TEST_F(WriteBackTest, ManyWriteBacksInARowToOneDocumentKeepEveryLineInOrder) {
    const auto others = StoredValues("contacts.nsf", lee_, kContactItems);
    std::vector<std::string> expected{"Spring letter"};
    for (int n = 1; n <= 300; ++n) {
        expected.push_back("Merge " + std::to_string(n));
        UpdateDocument("MergeHistory", expected.back().c_str(), lee_);
    }
    EXPECT_EQ(StoredLines("contacts.nsf", lee_, "MergeHistory"), expected);
    EXPECT_EQ(StoredValues("contacts.nsf", lee_, kContactItems), others);
}

// The stored items of a note, in item order.
std::vector<testsupport::ItemBytes> StoredItems(const char* database, int noteId) {
    nnotes::DBHANDLE db = 0;
    EXPECT_EQ(nnotes::OpenDatabase(database, &db), nnotes::NOERROR);
    nnotes::NOTEHANDLE note = 0;
    EXPECT_EQ(nnotes::OpenNote(db, static_cast<nnotes::NOTEID>(noteId), 0, &note), nnotes::NOERROR);
    std::vector<testsupport::ItemBytes> items = testsupport::ReadItems(note, "");
    nnotes::CloseNote(note);
    nnotes::CloseDatabase(db);
    return items;
}

// A note of many items, some of them large: the write-back changes its history item alone, and every other
// item keeps its bytes and its place among the others.
TEST_F(LibraryTest, AWriteBackLeavesEveryOtherItemOfALargeNoteAsItWas) {
    std::string items, large;
    for (int i = 0; i < 6000; ++i)
        large += i % 5 == 0 ? "\u00e9" : "w";
    for (int i = 0; i < 60; ++i)
        items += R"("Item)" + std::to_string(i) + R"(": )" +
                 (i % 3 == 0   ? std::to_string(i) + ".5"
                  : i % 3 == 1 ? R"(["a)" + std::to_string(i) + R"(", "b"])"
                               : R"(")" + large + R"(")") +
                 ", ";
    Build(DataSourceDatabase(kServer, DataSource("Wide", "wide.nsf", "All")));
    Build(R"({"path": "wide.nsf", "views": [{"name": "All", "columns": [
        {"title": "Name", "item": "Name", "sorted": true}]}],
      "documents": [{)" +
          items + R"("MergeHistory": "Spring letter", "Name": "Wide"}]})");
    UseServer(kServer);
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    ASSERT_EQ(DSOpen("Wide"), 1);
    const int note = GetNoteID();
    ASSERT_NE(note, 0);
    const std::vector<testsupport::ItemBytes> before = StoredItems("wide.nsf", note);
    ASSERT_EQ(before.size(), 62u);
    UpdateDocument("MergeHistory", "Merge A", note);
    UpdateDocument("MergeHistory", "Merge \u00e9", note);
    const std::vector<testsupport::ItemBytes> after = StoredItems("wide.nsf", note);
    ASSERT_EQ(after.size(), before.size());
    // Every item but the history, compared in order with the history left out.
    std::vector<std::string> was, is;
    std::string history;
    for (const auto& [list, into] : {std::pair{&before, &was}, {&after, &is}})
        for (const testsupport::ItemBytes& item : *list) {
            if (item.type == nnotes::TYPE_TEXT_LIST && item.value.find("Merge A") != std::string::npos) {
                history = item.value;
                continue;
            }
            if (list == &before && item.value.find("Spring letter") != std::string::npos) continue;
            into->push_back(std::to_string(item.type) + ":" + item.value);
        }
    EXPECT_EQ(is, was);
    EXPECT_NE(history.find("Spring letter"), std::string::npos);
    EXPECT_NE(history.find("Merge A"), std::string::npos);
}

} // namespace
} // namespace qvltest
