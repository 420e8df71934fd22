// The rich-text builder: runs and paragraphs as CD records, rendered notes, items split at the size limit,
// and nothing appended when building fails.
#include "testing/store_fixture.h"
#include "testsupport/item_bytes.h"
#include "util/coding.h"

#include <string>
#include <vector>

namespace nnotes::testing {
namespace {

class RichTextBuilderTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        db_ = MakeDatabase("rt.nsf");
        ASSERT_EQ(CreateNote(db_, &note_), NOERROR);
    }
    void TearDown() override {
        CloseNote(note_);
        CloseDatabase(db_);
        StoreTest::TearDown();
    }

    // The values (after the type word) of every item of name, in order.
    std::vector<std::string> Values(NOTEHANDLE note, const char* name) {
        std::vector<std::string> values;
        for (const testsupport::ItemBytes& item : testsupport::ReadItems(note, name)) {
            EXPECT_EQ(item.type, TYPE_COMPOSITE);
            values.push_back(item.value.substr(2));
        }
        return values;
    }

    static std::string TextRecord(uint32_t font, const std::string& text) {
        const uint32_t length = static_cast<uint32_t>(8 + text.size());
        std::string r;
        util::PutFixed16(&r, 0xFF85);
        util::PutFixed16(&r, static_cast<uint16_t>(length));
        util::PutFixed32(&r, font);
        r += text;
        if (r.size() % 2) r.push_back('\0');
        return r;
    }

    const std::string paragraph_ = {'\x81', '\x02'};
    DBHANDLE db_ = 0;
    NOTEHANDLE note_ = 0;
};

TEST_F(RichTextBuilderTest, RunsBecomeTextRecordsAndDelimitersParagraphs) {
    HRTBUILDER b = 0;
    ASSERT_EQ(CreateRichTextBuilder(note_, "Body", &b), NOERROR);
    EXPECT_EQ(RichTextDefineStyle(b, "Normal"), NOERROR);
    EXPECT_EQ(RichTextAddRun(b, 0x0A000001, "", 0, "\r\n", 0), NOERROR);
    EXPECT_EQ(RichTextAddRun(b, 0x080B0001, "ab\r\ncde", 7, "\r\n", 0), NOERROR);
    ASSERT_EQ(CloseRichTextBuilder(b), NOERROR);
    const auto values = Values(note_, "Body");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0], paragraph_ + TextRecord(0x0A000001, "") + TextRecord(0x080B0001, "ab") + paragraph_ +
                             TextRecord(0x080B0001, "cde"));
    EXPECT_EQ(RichTextAddRun(b, 1, "x", 1, nullptr, 0), ERR_RT_BUILDER);
}

TEST_F(RichTextBuilderTest, RendersTextItemsAndCopiesCompositeRecords) {
    NOTEHANDLE source = 0;
    ASSERT_EQ(CreateNote(db_, &source), NOERROR);
    ASSERT_EQ(SetItemText(source, "Subject", "Hello", 5), NOERROR);
    ASSERT_EQ(SetItemText(source, "$Hidden", "no", 2), NOERROR);
    const char list[] = {2, 0, 1, 0, 1, 0, 'a', 'b'};
    ASSERT_EQ(AppendItem(source, 0, "Tags", 4, TYPE_TEXT_LIST, list, sizeof list, nullptr), NOERROR);
    const std::string body = TextRecord(7, "rich");
    ASSERT_EQ(AppendItem(source, 0, "Body", 4, TYPE_COMPOSITE, body.data(), 12, nullptr), NOERROR);
    const double number = 3;
    ASSERT_EQ(AppendItem(source, 0, "Count", 5, TYPE_NUMBER, &number, 8, nullptr), NOERROR);

    HRTBUILDER b = 0;
    ASSERT_EQ(CreateRichTextBuilder(note_, "Body", &b), NOERROR);
    ASSERT_EQ(RichTextAddRenderedNote(b, source), NOERROR);
    ASSERT_EQ(CloseRichTextBuilder(b), NOERROR);
    const auto values = Values(note_, "Body");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0], paragraph_ + TextRecord(0x0A000001, "Subject: Hello") + paragraph_ +
                             TextRecord(0x0A000001, "Tags: a, b") + body);
    CloseNote(source);
}

TEST_F(RichTextBuilderTest, DamagedCompositeAddsNothing) {
    NOTEHANDLE source = 0;
    ASSERT_EQ(CreateNote(db_, &source), NOERROR);
    ASSERT_EQ(SetItemText(source, "Subject", "Hello", 5), NOERROR);
    // A word-form record claiming 200 bytes in 6.
    const char damaged[] = {'\x85', '\xFF', '\xC8', 0, 0, 0};
    ASSERT_EQ(AppendItem(source, 0, "Body", 4, TYPE_COMPOSITE, damaged, sizeof damaged, nullptr), NOERROR);
    HRTBUILDER b = 0;
    ASSERT_EQ(CreateRichTextBuilder(note_, "Body", &b), NOERROR);
    EXPECT_EQ(RichTextAddRenderedNote(b, source), ERR_ITEM_LAYOUT);
    ASSERT_EQ(CloseRichTextBuilder(b), NOERROR);
    EXPECT_TRUE(Values(note_, "Body")[0].empty());
    CloseNote(source);
}

TEST_F(RichTextBuilderTest, LargeTextIsSplitIntoItemsBetweenRecords) {
    HRTBUILDER b = 0;
    ASSERT_EQ(CreateRichTextBuilder(note_, "Body", &b), NOERROR);
    const std::string line(30000, 'x');
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(RichTextAddRun(b, 1, line.data(), static_cast<uint16_t>(line.size()), nullptr, 0), NOERROR);
    ASSERT_EQ(CloseRichTextBuilder(b), NOERROR);
    const auto values = Values(note_, "Body");
    ASSERT_EQ(values.size(), 3u);
    for (const std::string& v : values)
        EXPECT_LE(v.size(), RT_ITEM_LIMIT);
    EXPECT_TRUE(values[1] == TextRecord(1, line));
}

TEST_F(RichTextBuilderTest, ARecordAboveTheLimitHasAnItemOfItsOwn) {
    NOTEHANDLE source = 0;
    ASSERT_EQ(CreateNote(db_, &source), NOERROR);
    const std::string big = TextRecord(1, std::string(RT_ITEM_LIMIT, 'x'));
    ASSERT_EQ(AppendItem(source, 0, "Body", 4, TYPE_COMPOSITE, big.data(), static_cast<uint32_t>(big.size()),
                         nullptr),
              NOERROR);
    HRTBUILDER b = 0;
    ASSERT_EQ(CreateRichTextBuilder(note_, "Body", &b), NOERROR);
    ASSERT_EQ(RichTextAddRenderedNote(b, source), NOERROR);
    ASSERT_EQ(RichTextAddRun(b, 1, "after", 5, nullptr, 0), NOERROR);
    ASSERT_EQ(CloseRichTextBuilder(b), NOERROR);
    const auto values = Values(note_, "Body");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_TRUE(values[0] == big);
    EXPECT_EQ(values[1], TextRecord(1, "after"));
    CloseNote(source);
}

TEST_F(RichTextBuilderTest, BadArgumentsAreRefused) {
    HRTBUILDER b = 0;
    EXPECT_EQ(CreateRichTextBuilder(note_, "", &b), ERR_ITEM_NAME);
    EXPECT_EQ(CreateRichTextBuilder(note_, "Body", nullptr), ERR_MISSING_ARGUMENT);
    EXPECT_EQ(CreateRichTextBuilder(4242, "Body", &b), ERR_NOTE_HANDLE);
    ASSERT_EQ(CreateRichTextBuilder(note_, "Body", &b), NOERROR);
    const std::string huge(RT_ITEM_LIMIT, 'x');
    EXPECT_EQ(RichTextAddRun(b, 1, huge.data(), static_cast<uint16_t>(huge.size()), nullptr, 0),
              ERR_RT_TOO_BIG);
    EXPECT_EQ(RichTextAddRun(b, 1, nullptr, 3, nullptr, 0), ERR_MISSING_ARGUMENT);
    EXPECT_EQ(DiscardRichTextBuilder(b), NOERROR);
    EXPECT_EQ(DiscardRichTextBuilder(b), ERR_RT_BUILDER);
    EXPECT_EQ(Values(note_, "Body").size(), 0u);
}

} // namespace
} // namespace nnotes::testing
