// The merge-history write-back, checked in the stored documents.
#include "libfixture.h"
#include "nsfadmin/nsfadmin.h"

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

} // namespace
} // namespace qvltest
