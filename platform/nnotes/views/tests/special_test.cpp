// TranslateSpecialText: escapes filled in for one entry, never past the output buffer.
#include "testing/process_fixture.h"

#include <string>

namespace nnotes {
namespace {

class SpecialTextTest : public StartedProcess {
protected:
    STATUS Translate(const std::string& text, std::string& out, uint16_t size = 200) {
        CollectionPosition pos{};
        pos.Level = 2;
        pos.EntryIndex[0] = 3;
        pos.EntryIndex[1] = 1;
        pos.EntryIndex[2] = 4;
        const uint32_t stats[4] = {5, 6, 7, 8};
        std::string buffer(size + 8, '#');
        uint16_t length = 99;
        const STATUS s = TranslateSpecialText(text.data(), static_cast<uint16_t>(text.size()), 0x2A, &pos,
                                              stats, "Sales", "By Region", buffer.data(), size, &length);
        EXPECT_EQ(buffer.substr(size), std::string(8, '#')) << "wrote past the buffer";
        out = buffer.substr(0, length);
        return s;
    }
};

TEST_F(SpecialTextTest, FillsInEveryEscape) {
    std::string out;
    ASSERT_EQ(Translate("Doc \x7FI at \x7FP: \x7FS/\x7F"
                        "C/\x7F"
                        "D/\x7FN in \x7FT - \x7FV \x7F\x7F.",
                        out),
              NOERROR);
    EXPECT_EQ(out, "Doc 0000002A at 3.1.4: 5/6/7/8 in Sales - By Region \x7F.");
    ASSERT_EQ(Translate("plain", out), NOERROR);
    EXPECT_EQ(out, "plain");
}

TEST_F(SpecialTextTest, RefusesUnknownEscapesAndResultsThatDoNotFit) {
    std::string out;
    EXPECT_EQ(Translate("bad \x7FQ", out), ERR_SPECIAL_TEXT);
    EXPECT_EQ(Translate("ends with \x7F", out), ERR_SPECIAL_TEXT);
    EXPECT_EQ(Translate("\x7FV", out, 8), ERR_SPECIAL_TEXT_TOO_LONG);
    EXPECT_EQ(out, "");
    EXPECT_EQ(Translate("\x7FV", out, 9), NOERROR);
    EXPECT_EQ(out, "By Region");
    uint16_t length = 0;
    EXPECT_EQ(TranslateSpecialText("x", 1, 0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, &length),
              ERR_SPECIAL_TEXT_TOO_LONG);
    EXPECT_EQ(
        TranslateSpecialText("\x7FP\x7FT", 4, 0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, &length),
        NOERROR);
    EXPECT_EQ(TranslateSpecialText(nullptr, 3, 0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, &length),
              ERR_MISSING_ARGUMENT);
}

} // namespace
} // namespace nnotes
