// The international settings record: flags, the three-way choice, numbers and bounded texts.
#include "lnsession_fixture.h"

#include "ln/lninternational.h"

#include <cstring>

namespace {

using InternationalTest = SessionTest;

TEST(InternationalEmpty, WithoutASessionEveryAccessorFails) {
    LNInternational intl;
    EXPECT_THROW(intl.GetShortText1(), LNSTATUS);
    EXPECT_THROW(intl.GetFlagBit0(), LNSTATUS);
    EXPECT_THROW(intl.SetFlagBit2(true), LNSTATUS);
    EXPECT_EQ(intl.SetSmallNumber(1), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(intl.SetFormatChoice(64), LNERR_NOT_INITIALIZED);
}

TEST_F(InternationalTest, TextsMustLeaveRoomForTheirTerminator) {
    LNInternational intl = session_.GetInternational();
    ASSERT_EQ(intl.SetShortText3(T("EUR ")), LNNOERROR);
    EXPECT_STREQ(intl.GetShortText3().GetPlatformTextPtr(), "EUR ");
    EXPECT_EQ(intl.SetShortText3(T("EUROS")), LNERR_OUT_OF_RANGE);
    EXPECT_STREQ(intl.GetShortText3().GetPlatformTextPtr(), "EUR ") << "a refused text leaves the field";
    EXPECT_EQ(intl.SetShortText1(LNString()), LNERR_NULL_POINTER);
    ASSERT_EQ(intl.SetLongText1(T(std::string(31, 'y').c_str())), LNNOERROR);
    EXPECT_EQ(intl.SetLongText1(T(std::string(32, 'y').c_str())), LNERR_OUT_OF_RANGE);
    ASSERT_EQ(intl.SetShortText7(T("h")), LNNOERROR);
    EXPECT_EQ(std::memcmp(intl.GetIntlFormat()->timeSeparator, "h\0\0\0\0", 5), 0)
        << "the field is cleared first";
}

TEST_F(InternationalTest, TheChoiceKeepsOneOfItsThreeBits) {
    LNInternational intl = session_.GetInternational();
    ASSERT_EQ(intl.SetFormatChoice(32 | 128), LNNOERROR);
    EXPECT_EQ(intl.GetFormatChoice(), 32u);
    ASSERT_EQ(intl.SetFormatChoice(64), LNNOERROR);
    EXPECT_EQ(intl.GetFormatChoice(), 64u);
    EXPECT_EQ(intl.GetIntlFormat()->flags & 0xE0, 0x40);
    intl.SetFlagBit0(true).SetFlagBit3(true);
    EXPECT_TRUE(intl.GetFlagBit0());
    EXPECT_TRUE(intl.GetFlagBit3());
    intl.SetFlagBit0(false);
    EXPECT_FALSE(intl.GetFlagBit0());
    EXPECT_EQ(intl.GetFormatChoice(), 64u) << "flag bits leave the choice alone";
}

TEST_F(InternationalTest, NumbersAndCopies) {
    LNInternational intl = session_.GetInternational();
    EXPECT_EQ(intl.SetSmallNumber(16), LNERR_OUT_OF_RANGE);
    ASSERT_EQ(intl.SetSmallNumber(15), LNNOERROR);
    ASSERT_EQ(intl.SetNumber(-300), LNNOERROR);
    const LNInternational copy(intl);
    EXPECT_EQ(copy.GetSmallNumber(), 15u);
    EXPECT_EQ(copy.GetNumber(), -300);
    EXPECT_EQ(copy.GetSession(), &session_);
}

} // namespace
