#include "ln/lncdrecord.h"
#include "richtextfixture.h"

#include <vector>

namespace {

LNCDRecordHeader Decode(const std::string& bytes) {
    LNCDRecordHeader header;
    EXPECT_EQ(LNDecodeCDHeader(reinterpret_cast<const uint8_t*>(bytes.data()),
                               static_cast<uint32_t>(bytes.size()), &header),
              0u);
    return header;
}

TEST(CDRecordTest, HeaderForms) {
    const LNCDRecordHeader byteForm = Decode(Word(0x0A81));
    EXPECT_EQ(byteForm.form, LNCDHeaderForm::Byte);
    EXPECT_EQ(byteForm.signature, 0x81);
    EXPECT_EQ(byteForm.length, 10u);
    const LNCDRecordHeader wordForm = Decode(Word(0xFF85) + Word(0x000C));
    EXPECT_EQ(wordForm.signature, 0xFF85);
    EXPECT_EQ(wordForm.length, 12u);
    EXPECT_EQ(wordForm.headerSize, 4u);
    const LNCDRecordHeader longForm = Decode(Word(0x0001) + Dword(8));
    EXPECT_EQ(longForm.form, LNCDHeaderForm::Long);
    EXPECT_EQ(longForm.signature, 0x0001);
    EXPECT_EQ(longForm.length, 8u);
}

TEST(CDRecordTest, SpansRoundUpAndEmptyRecordsTakeTheirHeader) {
    EXPECT_EQ(LNCDRecordSpan(Decode(Word(0x0781))), 8u);
    EXPECT_EQ(LNCDRecordSpan(Decode(Word(0xFF85) + Word(0))), 4u);
    EXPECT_EQ(LNCDRecordSpan(Decode(Word(0x0001) + Dword(0))), 6u);
}

TEST(CDRecordTest, DamagedHeadersAreRefused) {
    LNCDRecordHeader header;
    const std::string shortWord = Word(0xFF85) + "\x01";
    EXPECT_EQ(LNDecodeCDHeader(reinterpret_cast<const uint8_t*>(shortWord.data()), 3, &header),
              LNERR_CORRUPTED);
    const std::string shortLong = Word(0x0001) + Word(8);
    EXPECT_EQ(LNDecodeCDHeader(reinterpret_cast<const uint8_t*>(shortLong.data()), 4, &header),
              LNERR_CORRUPTED);
    // A word-form length of 2 would start the next record inside this header.
    const std::string overlap = Word(0xFF85) + Word(2);
    EXPECT_EQ(LNDecodeCDHeader(reinterpret_cast<const uint8_t*>(overlap.data()), 4, &header),
              LNERR_CORRUPTED);
}

std::vector<uint32_t> Offsets(const std::string& value, LNSTATUS* status) {
    std::vector<uint32_t> offsets;
    *status =
        LNWalkCDRecords(reinterpret_cast<const uint8_t*>(value.data()), static_cast<uint32_t>(value.size()),
                        [&](uint32_t offset, const LNCDRecordHeader&, uint32_t) {
                            offsets.push_back(offset);
                            return LNNOERROR;
                        });
    return offsets;
}

TEST(CDRecordTest, WalkFollowsEvenOffsets) {
    // A 7-byte record occupies 8 bytes; an empty word record advances by its header.
    const std::string value =
        Word(0x0781) + std::string(6, 'x') + Word(0xFF85) + Word(0) + Word(0x0001) + Dword(6);
    LNSTATUS status = 1;
    EXPECT_EQ(Offsets(value, &status), (std::vector<uint32_t>{0, 8, 12}));
    EXPECT_EQ(status, 0u);
}

TEST(CDRecordTest, WalkRefusesRecordsPastTheEnd) {
    LNSTATUS status = 0;
    EXPECT_EQ(Offsets(Paragraph() + Word(0xFF85) + Word(40) + std::string(4, '\0'), &status),
              std::vector<uint32_t>{0});
    EXPECT_EQ(status, LNERR_CORRUPTED);
    // A huge long-form length must not wrap the offset back into the value.
    Offsets(Word(0x0001) + Dword(0xFFFFFFFFu), &status);
    EXPECT_EQ(status, LNERR_CORRUPTED);
    // An odd record that ends the value without its pad byte.
    Offsets(Word(0x0381) + "x", &status);
    EXPECT_EQ(status, LNERR_CORRUPTED);
}

} // namespace
