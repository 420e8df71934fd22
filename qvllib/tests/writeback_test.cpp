// The merge-history write-back, checked in the stored documents.
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
