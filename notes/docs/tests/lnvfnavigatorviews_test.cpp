// Navigators over views of their own: a category with more documents than one read returns, the note ids
// a navigator hands out, one key over two category levels, and categories that come with a refresh.
#include "ln/lndocument.h"
#include "lnviewfolderfixture.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

constexpr int kBigCategory = 17000; // more than one read buffer of note ids (16,383) holds

// A database "own.nsf" built from the views and documents given (JSON arrays), with its first view open.
class OwnViewTest : public ::testing::Test {
protected:
    void Open(const std::string& views, const std::string& documents) {
        MakeArea();
        ASSERT_EQ(area_->Build(R"({ "path": "own.nsf", "title": "Own", "views": )" + views +
                               R"(, "documents": )" + documents + "}"),
                  "");
        ASSERT_EQ(session_.Init(), 0u);
        ASSERT_EQ(session_.GetDatabase("own.nsf", &db_), 0u);
        ASSERT_EQ(db_.Open(), 0u);
        ASSERT_EQ(db_.GetViewFolder("Own", &view_), 0u);
        ASSERT_EQ(view_.Open(0), 0u);
    }
    void TearDown() override {
        view_ = LNViewFolder();
        db_ = LNDatabase();
        if (session_.IsInitialized()) session_.Term();
    }

    // A view "Own" of the "Item" documents, categorised by the first items named, sorted by "Name".
    static std::string View(std::initializer_list<const char*> categories) {
        std::string columns;
        for (const char* item : categories)
            columns += std::string(R"({ "title": ")") + item + R"(", "item": ")" + item +
                       R"(", "sorted": true, "categorised": true }, )";
        return R"([ { "name": "Own", "selection": "SELECT Form = \"Item\"", "columns": [ )" + columns +
               R"({ "title": "Name", "item": "Name", "sorted": true } ] } ])";
    }

    // Every saved document is synced: thousands of them are written to a file system in memory where the
    // machine has one.
    void MakeArea() {
        const char* given = std::getenv("TMPDIR");
        const std::string previous = given != nullptr ? given : "";
        std::error_code ec;
        if (std::filesystem::is_directory("/dev/shm", ec)) setenv("TMPDIR", "/dev/shm", 1);
        area_.emplace();
        if (given != nullptr)
            setenv("TMPDIR", previous.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

    std::optional<testsupport::TestArea> area_;
    LNNotesSession session_;
    LNDatabase db_;
    LNViewFolder view_;
};

std::string BigCategory() {
    std::string documents = R"([ { "Form": "Item", "Group": "Small", "Name": "kept" })";
    for (int i = 0; i < kBigCategory; ++i)
        documents += R"(, { "Form": "Item", "Group": "Big", "Name": "n)" + std::to_string(i) + R"(" })";
    return documents + "]";
}

TEST_F(OwnViewTest, DeletingACategoryTakesEveryDocumentUnderIt) {
    Open(View({"Group"}), BigCategory());
    LNVFNavigator navigator;
    ASSERT_EQ(view_.GetEntries(&navigator), 0u);
    LNVFEntry big;
    ASSERT_EQ(navigator.Goto(LNVFNAVIGATION_FIRST, &big), 0u);
    ASSERT_TRUE(big.IsCategory());
    ASSERT_EQ(ViewsTest::ColumnTextOf(big, 0), "Big");
    ASSERT_EQ(navigator.DeleteEntry(&big, true), 0u);
    EXPECT_TRUE(big.IsNull());
    ASSERT_EQ(navigator.Refresh(), 0u);
    EXPECT_EQ(navigator.GetEntryCount(), 2u) << "only the other category and its document are left";
    LNVFEntry entry;
    ASSERT_EQ(navigator.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    EXPECT_EQ(ViewsTest::ColumnTextOf(entry, 0), "Small");
    LNDocumentArray documents;
    ASSERT_EQ(db_.GetDocuments(&documents), 0u);
    EXPECT_EQ(documents.GetCount(), 1u);
}

TEST_F(OwnViewTest, IdTableHoldsOnlyNoteIds) {
    Open(View({"Group"}), BigCategory());
    LNVFNavigator navigator;
    ASSERT_EQ(view_.GetEntries(&navigator), 0u);
    nnotes::DHANDLE ids = 0;
    ASSERT_EQ(navigator.GetIDTable(&ids), 0u);
    EXPECT_EQ(nnotes::IDEntries(ids), static_cast<uint32_t>(kBigCategory + 1));
    nnotes::NOTEID id = 0;
    for (bool first = true; nnotes::IDScan(ids, first, &id) == nnotes::NOERROR; first = false)
        ASSERT_EQ(id & nnotes::NOTEID_CATEGORY, 0u) << std::hex << id;
}

TEST_F(OwnViewTest, OneKeyFindsTheTopCategory) {
    Open(View({"Group", "Kind"}), R"([ { "Form": "Item", "Group": "A", "Kind": "x", "Name": "one" },
                                      { "Form": "Item", "Group": "B", "Kind": "y", "Name": "two" },
                                      { "Form": "Item", "Group": "B", "Kind": "z", "Name": "three" } ])");
    LNVFEntry entry;
    uint32_t count = 0;
    ASSERT_EQ(view_.FindByKey("B", &entry, &count), 0u);
    EXPECT_TRUE(entry.IsCategory());
    EXPECT_EQ(entry.GetChildCount(), 2u) << "the top category holds the two kinds";
    EXPECT_EQ(ViewsTest::ColumnTextOf(entry, 0), "B");
    EXPECT_EQ(count, 1u);
}

TEST_F(OwnViewTest, AViewEmptyWhenOpenedIsCategorisedOnceItFills) {
    Open(View({"Group"}), "[]");
    LNVFNavigator navigator;
    ASSERT_EQ(view_.GetEntries(&navigator), 0u);
    EXPECT_FALSE(navigator.IsCategorized());
    for (const char* group : {"A", "B"}) {
        LNDocument doc;
        ASSERT_EQ(db_.CreateDocument(&doc), 0u);
        for (const auto& [name, value] : {std::pair{"Form", "Item"}, {"Group", group}, {"Name", "n"}}) {
            LNText text;
            text << value;
            ASSERT_EQ(doc.CreateItem(name, text, nnotes::ITEM_SUMMARY), 0u);
        }
        ASSERT_EQ(doc.Save(0), 0u);
        doc.Close();
    }
    ASSERT_EQ(navigator.Refresh(), 0u);
    EXPECT_TRUE(navigator.IsCategorized());
    LNVFEntry entry;
    ASSERT_EQ(navigator.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    ASSERT_EQ(navigator.Goto(LNVFNAVIGATION_NEXT_CATEGORY, &entry), 0u);
    EXPECT_EQ(ViewsTest::ColumnTextOf(entry, 0), "B");
}

} // namespace
