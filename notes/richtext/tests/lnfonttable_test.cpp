#include "ln/lnfontstyle.h"
#include "ln/lnrichtext.h"
#include "ln/lnstylizedtext.h"
#include "richtextfixture.h"

#include <cstdio>

namespace {

using FontTableTest = RichTextTest;

LNFontFace Face(uint8_t id, const char* name, uint8_t family = 0) {
    LNFontFace face{};
    face.Face = id;
    face.Family = family;
    std::memcpy(face.Name, name, strnlen(name, sizeof face.Name - 1));
    return face;
}

// A table that reads its faces from value, which it does not own.
LNFontTable Over(const LNMemoryBlock& value) {
    LNFontTable table;
    table = new LNFontTableBody();
    LNMemoryBlock view;
    view.Attach(value.GetBlockID().pool, value.GetBlockID().block, value.GetSize());
    EXPECT_EQ(table.GetFontTableBody()->ReplaceFirstBlock(&view), 0u);
    table.GetFontTableBody()->SetValueOwned(false);
    return table;
}

// The table's value read back from its first block.
std::string StoredValue(LNFontTableBody* body) {
    std::string bytes(body->GetValueSize(), '\0');
    EXPECT_EQ(body->GetFirstBlock()->Read(static_cast<uint32_t>(bytes.size()), bytes.data(), 0), 0u);
    return bytes;
}

TEST_F(FontTableTest, FaceNamesOfStyles) {
    LNFontTable table;
    table = new LNFontTableBody(Face(9, "Garamond", 2));
    uint8_t courier = 0;
    ASSERT_EQ(table.AddFaceByName(1, "Courier", &courier), 0u);
    LNFontStyle style(0x0A000009u, table);
    EXPECT_STREQ(reinterpret_cast<const char*>(style.GetFaceName().GetTextPtr()), "Garamond");
    ASSERT_EQ(style.SetFaceByName("Courier"), 0u);
    EXPECT_EQ(style.GetFaceID(), courier);
    EXPECT_EQ(style.SetFaceByName("Arial"), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(style.GetFaceID(), courier);
    LNFontStyle plain(0x0A000001u, LNFontTable());
    EXPECT_EQ(plain.SetFaceByName("Courier"), LNERR_NO_MATCH);
    EXPECT_THROW(plain.GetFaceName(), LNSTATUS);
    EXPECT_THROW(LNFontStyleBody(), LNSTATUS);
}

TEST_F(FontTableTest, LongFaceNamesAreFoundInTheirStoredForm) {
    LNFontTable table;
    table = new LNFontTableBody(Face(9, "Garamond"));
    const char* name = "An Extraordinarily Long Face Name of Fifty-One Bytes";
    uint8_t first = 0;
    uint8_t second = 0;
    ASSERT_EQ(table.AddFaceByName(2, name, &first), 0u);
    ASSERT_EQ(table.AddFaceByName(2, name, &second), 0u);
    EXPECT_EQ(first, 10);
    EXPECT_EQ(second, first);
    EXPECT_EQ(table.GetFontTableBody()->GetFaceCount(), 2u);
    uint8_t found = 0;
    ASSERT_EQ(table.FindFaceByName(name, &found), 0u);
    EXPECT_EQ(found, first);
    // The cut form names the same face; a name that only shares its start does not.
    ASSERT_EQ(table.FindFaceByName(std::string(name, 31).c_str(), &found), 0u);
    EXPECT_EQ(found, first);
    EXPECT_EQ(table.FindFaceByName("Garamond Bold", &found), LNWARN_NOT_FOUND);
}

TEST_F(FontTableTest, FacesByIdAndName) {
    LNFontTable table;
    table = new LNFontTableBody(Face(9, "Garamond", 2));
    LNFontTableBody* body = table.GetFontTableBody();
    EXPECT_EQ(body->GetHighestFace(), 9);
    LNFontFace face{};
    EXPECT_EQ(table.GetFace(3, &face), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(table.GetFace(7, &face), LNWARN_NOT_FOUND);
    EXPECT_STREQ(face.Name, "MS_SERIF");
    ASSERT_EQ(table.GetFace(9, &face), 0u);
    EXPECT_STREQ(face.Name, "Garamond");
    uint8_t id = 0;
    ASSERT_EQ(table.AddFaceByName(1, "Courier", &id), 0u);
    EXPECT_EQ(id, 10);
    ASSERT_EQ(table.AddFaceByName(1, "Garamond", &id), 0u);
    EXPECT_EQ(id, 9);
    ASSERT_EQ(table.AddFaceByName(1, "garamond", &id), 0u);
    EXPECT_EQ(id, 11);
    EXPECT_EQ(body->GetFaceCount(), 3u);
    EXPECT_EQ(table.FindFaceByName("Symbol", &id), LNWARN_NOT_FOUND);
    EXPECT_EQ(id, 0);
    // The same name under another id, or the same id under another name, is a damaged table.
    EXPECT_EQ(table.AddFace(Face(12, "Courier")), LNERR_CORRUPTED);
    EXPECT_EQ(table.AddFace(Face(10, "Other")), LNERR_CORRUPTED);
    EXPECT_EQ(table.AddFace(Face(10, "Courier")), 0u);
    EXPECT_EQ(table.AddFace(Face(4, "Standard")), LNERR_INVALID_PARAMETER);
    EXPECT_THROW(LNFontTableBody(Face(2, "Standard")), LNSTATUS);
}

TEST_F(FontTableTest, AtMost255Faces) {
    LNFontTable table;
    table = new LNFontTableBody(Face(5, "F5"));
    uint8_t id = 0;
    for (int i = 1; i < 251; ++i) {
        char name[16] = {};
        std::snprintf(name, sizeof name, "F%d", i + 5);
        ASSERT_EQ(table.AddFaceByName(0, name, &id), 0u);
    }
    EXPECT_EQ(id, 255);
    EXPECT_EQ(table.AddFaceByName(0, "One too many", &id), LNERR_TOO_MANY_FONTS);
}

TEST_F(FontTableTest, ValueLayoutAndReadingBack) {
    LNFontTable table;
    table = new LNFontTableBody(Face(9, "Garamond", 2));
    LNFontTableBody* body = table.GetFontTableBody();
    const std::string value = StoredValue(body);
    ASSERT_EQ(value.size(), 2u + 6u + 34u);
    EXPECT_EQ(value.substr(0, 8), Word(1) + Word(0xFF8B) + Word(42) + Word(1));
    EXPECT_EQ(value[8], 9);
    EXPECT_EQ(value[9], 2);
    EXPECT_EQ(std::string(value.data() + 10), "Garamond");
    // A second body over the same bytes reads the faces from the value.
    LNFontTable copy = Over(*body->GetFirstBlock());
    uint8_t id = 0;
    ASSERT_EQ(copy.FindFaceByName("Garamond", &id), 0u);
    EXPECT_EQ(id, 9);
}

TEST_F(FontTableTest, StoredCountOf256IsRefused) {
    LNMemoryBlock value;
    ASSERT_EQ(value.Allocate(8), 0u);
    uint8_t id = 0;
    const std::string tooMany = Word(1) + Word(0xFF8B) + Word(8) + Word(256);
    ASSERT_EQ(value.Write(8, tooMany.data(), 0), 0u);
    EXPECT_EQ(Over(value).FindFaceByName("x", &id), LNERR_TOO_MANY_FONTS);
    // Faces that the header promises but the value does not hold are refused, not read.
    const std::string truncated = Word(1) + Word(0xFF8B) + Word(8) + Word(1);
    ASSERT_EQ(value.Write(8, truncated.data(), 0), 0u);
    EXPECT_EQ(Over(value).FindFaceByName("x", &id), LNERR_INVALID_RICHTEXT);
}

TEST_F(FontTableTest, MergeAddsMissingFaces) {
    LNFontTable one;
    one = new LNFontTableBody(Face(9, "Garamond"));
    LNFontTable two;
    two = new LNFontTableBody(Face(5, "Courier"));
    uint8_t id = 0;
    ASSERT_EQ(two.AddFaceByName(0, "Garamond", &id), 0u);
    ASSERT_EQ(one.Merge(two), 0u);
    ASSERT_EQ(one.FindFaceByName("Courier", &id), 0u);
    EXPECT_EQ(id, 10);
    EXPECT_EQ(one.GetFontTableBody()->GetFaceCount(), 2u);
    EXPECT_EQ(LNFontTable().Merge(two), LNERR_NOT_INITIALIZED);
}

TEST_F(FontTableTest, StyleBytesAndAttributes) {
    LNFontStyle style;
    EXPECT_THROW(style.GetFontID(), LNSTATUS);
    style.SetPointSize(12);
    EXPECT_EQ(style.GetFontID(), 0x0C000001u);
    style.SetColor(3);
    EXPECT_EQ(style.SetAttributes(0x01), 0u);
    EXPECT_EQ(style.GetAttributes(), 0x01);
    EXPECT_EQ(style.SetAttributes(0x30), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(style.SetAttributes(0x3000, 0xFF00), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(style.GetFontID(), 0x0C030101u);
    LNFontStyle other(0x0E000009u, LNFontTable());
    ASSERT_EQ(style.SetStyle(other, 0xFF000000u), 0u);
    EXPECT_EQ(style.GetPointSize(), 14);
    EXPECT_EQ(style.GetFaceID(), 1);
    ASSERT_EQ(style.SetFace(Face(7, "Optima")), 0u);
    LNFontFace face{};
    ASSERT_EQ(style.GetFace(&face), 0u);
    EXPECT_STREQ(face.Name, "Optima");
}

TEST_F(FontTableTest, RichTextAdoptsFacesOfOtherTables) {
    LNFontStyle style;
    ASSERT_EQ(style.SetFace(Face(7, "Optima")), 0u);
    LNRichText richText(LNString("x"));
    LNRTObject first;
    ASSERT_EQ(richText.GetFirstChild(&first), 0u);
    ASSERT_EQ(LNStylizedText(first).SetFontStyle(style), 0u);
    ASSERT_EQ(richText.Flush(), 0u);
    LNFontTable own;
    ASSERT_EQ(richText.GetRichTextBody()->GetFontTable(&own), 0u);
    uint8_t id = 0;
    ASSERT_EQ(own.FindFaceByName("Optima", &id), 0u);
    EXPECT_EQ(id, 7);
    LNFontTable styleTable;
    ASSERT_EQ(style.GetFontTable(&styleTable), 0u);
    EXPECT_FALSE(own == styleTable);
}

} // namespace
