// On-disk structures: exact byte layouts, round trips, lengths and short input.
#include "nnotes/nnotes.h"
#include "util/coding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace nnotes {
namespace {

struct TypeAndLength {
    uint16_t type;
    uint16_t length;
    size_t hostSize;
};

const TypeAndLength kTypes[] = {
    {ODS_WORD, 2, 2},
    {ODS_DWORD, 4, 4},
    {ODS_TIMEDATE, 8, 8},
    {ODS_UNIVERSALID, 16, 16},
    {ODS_OBJECT_DESCRIPTOR, 6, sizeof(ODSObjectDescriptor)},
    {ODS_VIEW_TABLE_FORMAT, 10, sizeof(ODSViewTableFormat)},
    {ODS_VIEW_COLUMN_FORMAT, 32, sizeof(ODSViewColumnFormat)},
    {ODS_IDTABLE_HEADER, 10, sizeof(ODSIDTableHeader)},
    {ODS_FIELD_RECORD_OLD, 32, sizeof(ODSFieldRecord)},
    {ODS_TEXT_RECORD, 8, sizeof(ODSTextRecord)},
    {ODS_FIELD_RECORD, 32, sizeof(ODSFieldRecord)},
    {ODS_FONT_TABLE_HEADER, 6, sizeof(ODSFontTableHeader)},
    {ODS_FONT_FACE, 34, sizeof(ODSFontFace)},
};

template <typename T>
std::vector<unsigned char> Write(uint16_t type, const T& host) {
    std::vector<unsigned char> disk(ODSLength(type), 0xEE);
    void* position = disk.data();
    EXPECT_EQ(WriteOnDiskStructure(&position, disk.size(), type, &host, 1), NOERROR);
    EXPECT_EQ(position, disk.data() + disk.size());
    return disk;
}

TEST(OnDiskStructures, EveryTypeRoundTripsExactly) {
    for (const TypeAndLength& t : kTypes) {
        SCOPED_TRACE(t.type);
        EXPECT_EQ(ODSLength(t.type), t.length);
        // Two on-disk structures of distinct bytes, read as an array and written back.
        std::vector<unsigned char> disk(2u * t.length);
        for (size_t i = 0; i < disk.size(); ++i)
            disk[i] = static_cast<unsigned char>(i * 7 + 1);
        std::vector<unsigned char> host(2 * t.hostSize);
        const void* in = disk.data();
        ASSERT_EQ(ReadOnDiskStructure(&in, disk.size(), t.type, host.data(), 2), NOERROR);
        EXPECT_EQ(in, disk.data() + disk.size());
        std::vector<unsigned char> back(disk.size());
        void* out = back.data();
        ASSERT_EQ(WriteOnDiskStructure(&out, back.size(), t.type, host.data(), 2), NOERROR);
        EXPECT_EQ(back, disk);
    }
}

TEST(OnDiskStructures, LayoutsAreLittleEndianAndPacked) {
    ODSTextRecord text{0xFF85, 0x000C, 0x0A000001};
    EXPECT_EQ(Write(ODS_TEXT_RECORD, text), (std::vector<unsigned char>{0x85, 0xFF, 0x0C, 0, 1, 0, 0, 0x0A}));

    ODSObjectDescriptor object{0x0102, 0x03040506};
    EXPECT_EQ(Write(ODS_OBJECT_DESCRIPTOR, object), (std::vector<unsigned char>{2, 1, 6, 5, 4, 3}));

    ODSIDTableHeader header{4, 0, 1, 0, 0x80};
    EXPECT_EQ(Write(ODS_IDTABLE_HEADER, header),
              (std::vector<unsigned char>{4, 0, 0, 0, 0, 0, 1, 0, 0, 0x80}));

    ODSFontFace face{5, 0x20, "Arial"};
    const auto faceBytes = Write(ODS_FONT_FACE, face);
    EXPECT_EQ(faceBytes[0], 5);
    EXPECT_EQ(faceBytes[1], 0x20);
    EXPECT_EQ(std::memcmp(&faceBytes[2], "Arial\0", 6), 0);

    const uint32_t instant[2] = {0x11223344, 0x55667788};
    EXPECT_EQ(Write(ODS_TIMEDATE, instant),
              (std::vector<unsigned char>{0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55}));
}

TEST(OnDiskStructures, FieldRecordOffsets) {
    ODSFieldRecord field{};
    field.Signature = 0xFF8A;
    field.Length = 50;
    field.DataType = 0x0500;
    field.NumberFormat = 0x01020304;
    field.TimeFormat = 0x05060708;
    field.FontID = 0x0A000001;
    field.DefaultValueFormulaLength = 10;
    field.InputTranslationFormulaLength = 11;
    field.InputValidationFormulaLength = 4;
    field.NameLength = 5;
    const auto disk = Write(ODS_FIELD_RECORD, field);
    auto word = [&](size_t at) { return util::DecodeFixed16(disk.data() + at); };
    auto dword = [&](size_t at) { return util::DecodeFixed32(disk.data() + at); };
    EXPECT_EQ(word(0), 0xFF8A);
    EXPECT_EQ(word(2), 50);
    EXPECT_EQ(word(6), 0x0500);
    EXPECT_EQ(dword(10), 0x01020304u);
    EXPECT_EQ(dword(14), 0x05060708u);
    EXPECT_EQ(dword(18), 0x0A000001u);
    EXPECT_EQ(word(22), 10);
    EXPECT_EQ(word(24), 11);
    EXPECT_EQ(word(28), 4);
    EXPECT_EQ(word(30), 5);
}

TEST(OnDiskStructures, ShortInputAndBadArgumentsChangeNothing) {
    const unsigned char disk[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ODSTextRecord host{9, 9, 9};
    const void* in = disk;
    EXPECT_EQ(ReadOnDiskStructure(&in, 7, ODS_TEXT_RECORD, &host, 1), ERR_ODS_TRUNCATED);
    EXPECT_EQ(in, disk);
    EXPECT_EQ(host.Signature, 9);
    EXPECT_EQ(ReadOnDiskStructure(&in, 8, ODS_TEXT_RECORD, &host, 2), ERR_ODS_TRUNCATED);
    EXPECT_EQ(ReadOnDiskStructure(&in, 8, 4242, &host, 1), ERR_ODS_UNKNOWN_TYPE);
    EXPECT_EQ(ODSLength(4242), 0);
    EXPECT_EQ(ReadOnDiskStructure(&in, 8, ODS_TEXT_RECORD, nullptr, 1), ERR_MISSING_ARGUMENT);
    EXPECT_EQ(ReadOnDiskStructure(nullptr, 8, ODS_TEXT_RECORD, &host, 1), ERR_MISSING_ARGUMENT);
    EXPECT_EQ(host.FontID, 9u);

    unsigned char out[8] = {};
    void* position = out;
    EXPECT_EQ(WriteOnDiskStructure(&position, 7, ODS_TEXT_RECORD, &host, 1), ERR_ODS_TRUNCATED);
    EXPECT_EQ(position, out);
    EXPECT_EQ(out[0], 0);

    // A count of 0 converts nothing and needs no room.
    EXPECT_EQ(ReadOnDiskStructure(&in, 0, ODS_TEXT_RECORD, &host, 0), NOERROR);
    EXPECT_EQ(in, disk);
    // A huge count is refused by its size, never wrapped.
    EXPECT_EQ(ReadOnDiskStructure(&in, 8, ODS_FONT_FACE, &host, 0xFFFF), ERR_ODS_TRUNCATED);
}

} // namespace
} // namespace nnotes
