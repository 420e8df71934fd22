// Reading an item's stored bytes: every item of the name in item order, each with its type and its value
// (the type word, then the data), and nothing for a name the note does not hold.
#include "nnotes/database.h"
#include "nnotes/note.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "testsupport/item_bytes.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <string>

namespace testsupport {
namespace {

class ItemBytesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR);
        ASSERT_EQ(nnotes::CreateDatabase("items.nsf", 0, false, 0, 0, 0), nnotes::NOERROR);
        ASSERT_EQ(nnotes::OpenDatabase("items.nsf", &db_), nnotes::NOERROR);
        ASSERT_EQ(nnotes::CreateNote(db_, &note_), nnotes::NOERROR);
    }
    void TearDown() override {
        if (note_ != 0) nnotes::CloseNote(note_);
        if (db_ != 0) nnotes::CloseDatabase(db_);
        nnotes::TermProcess();
    }

    void Append(const char* name, uint16_t type, const std::string& data) {
        ASSERT_EQ(nnotes::AppendItem(note_, 0, name, static_cast<uint16_t>(std::string(name).size()), type,
                                     data.data(), static_cast<uint32_t>(data.size()), nullptr),
                  nnotes::NOERROR);
    }

    TestArea area_;
    nnotes::DBHANDLE db_ = 0;
    nnotes::NOTEHANDLE note_ = 0;
};

TEST_F(ItemBytesTest, EveryItemOfTheNameInOrderWithTypeWordAndData) {
    Append("Body", nnotes::TYPE_TEXT, "first");
    Append("Other", nnotes::TYPE_TEXT, "not this");
    Append("Body", nnotes::TYPE_NUMBER, std::string("\0\0\0\0\0\0\xF0\x3F", 8));
    Append("Body", nnotes::TYPE_TEXT, std::string("with\0zero", 9));

    const std::vector<ItemBytes> items = ReadItems(note_, "Body");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].type, nnotes::TYPE_TEXT);
    EXPECT_EQ(items[0].value.size(), 2u + 5u);
    EXPECT_EQ(items[0].value.substr(2), "first");
    EXPECT_EQ(items[1].type, nnotes::TYPE_NUMBER);
    EXPECT_EQ(items[1].value.substr(2), std::string("\0\0\0\0\0\0\xF0\x3F", 8));
    EXPECT_EQ(items[2].value.substr(2), std::string("with\0zero", 9)) << "values are bytes, not texts";
    EXPECT_EQ(items[0].value.substr(0, 2), items[2].value.substr(0, 2)) << "the same type word";

    const auto first = ReadItem(note_, "Body");
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->value, items[0].value);
    EXPECT_EQ(first->type, items[0].type);
}

TEST_F(ItemBytesTest, NamesTheNoteDoesNotHoldGiveNothing) {
    Append("Body", nnotes::TYPE_TEXT, "x");
    EXPECT_TRUE(ReadItems(note_, "Missing").empty());
    EXPECT_FALSE(ReadItem(note_, "Missing").has_value());
    const std::string tooLong(70000, 'B');
    EXPECT_TRUE(ReadItems(note_, tooLong).empty()) << "not cut to a name the note might hold";
    EXPECT_FALSE(ReadItem(note_, tooLong).has_value());
}

TEST_F(ItemBytesTest, StoredNotesReadBackAsTheyWereSaved) {
    Append("Body", nnotes::TYPE_TEXT, "kept");
    ASSERT_EQ(nnotes::UpdateNote(note_, 0), nnotes::NOERROR);
    nnotes::NOTEID id = 0;
    ASSERT_EQ(nnotes::GetNoteInfo(note_, nnotes::NOTE_INFO_ID, &id), nnotes::NOERROR);
    ASSERT_EQ(nnotes::CloseNote(note_), nnotes::NOERROR);
    note_ = 0;
    ASSERT_EQ(nnotes::OpenNote(db_, id, 0, &note_), nnotes::NOERROR);
    const auto item = ReadItem(note_, "Body");
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(item->value.substr(2), "kept");
}

} // namespace
} // namespace testsupport
