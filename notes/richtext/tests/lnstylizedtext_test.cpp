#include "ln/lnrtcursor.h"
#include "ln/lnrtelement.h"
#include "ln/lnstylizedtext.h"
#include "richtextfixture.h"

namespace {

using StylizedTextTest = RichTextTest;

std::string Text(const LNRTObject& object) {
    LNString text;
    EXPECT_EQ(object.GetText(&text), 0u);
    return std::string(reinterpret_cast<const char*>(text.GetTextPtr()), text.GetByteLength());
}

// The record bytes of a run.
std::string Record(const LNStylizedText& run) {
    const LNRTObjectBody* body = run.GetObjectBody();
    std::string bytes(body->GetBlockSize(), '\0');
    EXPECT_EQ(body->ReadBytes(static_cast<uint32_t>(bytes.size()), bytes.data(), 0), 0u);
    return bytes;
}

TEST_F(StylizedTextTest, NewRunIsOneTextRecord) {
    LNStylizedText run(LNString("abcd"));
    EXPECT_EQ(Record(run), TextRecord("abcd"));
    EXPECT_EQ(run.GetCharacterCount(), 4u);
    EXPECT_EQ(run.GetTextLength(), 4u);
    LNFontStyle style;
    ASSERT_EQ(run.GetFontStyle(&style), 0u);
    EXPECT_EQ(style.GetFontID(), 0x0A000001u);
}

TEST_F(StylizedTextTest, InsertInsideMovesTheRest) {
    LNStylizedText run(LNString("abcde"));
    auto* body = static_cast<LNStylizedTextBody*>(run.GetObjectBody());
    ASSERT_EQ(body->InsertText(2, LNString("XYZ")), 0u);
    EXPECT_EQ(Text(run), "abXYZcde");
    EXPECT_EQ(run.GetCharacterCount(), 8u);
    EXPECT_EQ(body->InsertText(9, LNString("!")), LNERR_INVALID_PARAMETER);
}

TEST_F(StylizedTextTest, ARunTakesTextAtItsOwnCursor) {
    LNStylizedText run(LNString("held"));
    LNRTCursor cursor;
    ASSERT_EQ(run.GetStartCursor(&cursor), 0u);
    ++cursor;
    ASSERT_EQ(run.InsertTextAtCursor(LNString("x"), cursor), 0u);
    LNString text;
    ASSERT_EQ(run.GetText(&text), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.GetTextPtr()), "hxeld");
    EXPECT_EQ(cursor.GetOffset(), 3u);
    LNStylizedText other(LNString("other"));
    EXPECT_THROW(other.InsertTextAtCursor(LNString("y"), cursor), LNSTATUS);
}

TEST_F(StylizedTextTest, OddTextKeepsAZeroPadByte) {
    LNStylizedText run(LNString("ab"));
    ASSERT_EQ(run.Append(LNString("c")), 0u);
    EXPECT_EQ(Record(run), TextRecord("abc"));
    EXPECT_EQ(run.GetObjectBody()->GetRecordLength(), 12u);
}

TEST_F(StylizedTextTest, SplitLeavesTwoRuns) {
    LNRTContainer box;
    ASSERT_EQ(box.Append(LNString("0123456789")), 0u);
    LNRTObject first;
    ASSERT_EQ(box.GetFirstChild(&first), 0u);
    LNStylizedText run(first);
    ASSERT_EQ(run.SplitAt(4), 0u);
    LNRTObject second;
    ASSERT_EQ(run.GetNext(&second), 0u);
    EXPECT_EQ(Text(run), "012");
    EXPECT_EQ(Text(second), "3456789");
    // The first run's odd text is padded with zero, not with the byte that moved away.
    EXPECT_EQ(Record(run), TextRecord("012"));
    EXPECT_TRUE(run.IsBefore(second));
    EXPECT_EQ(run.SplitAt(1), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(run.SplitAt(4), LNERR_INVALID_PARAMETER);
}

TEST_F(StylizedTextTest, CharactersAreNotChildren) {
    LNStylizedText run(LNString("abc"));
    LNRTObject out = LNRTObject(new LNRTElementBody());
    EXPECT_EQ(run.GetObjectBody()->AppendChild(&out), LNERR_RTCHAR_ACCESS);
    EXPECT_EQ(static_cast<LNStylizedTextBody*>(run.GetObjectBody())->GetFirstChild(&out),
              LNERR_RTCHAR_ACCESS);
    EXPECT_TRUE(out.IsNull());
    EXPECT_THROW(LNStylizedText{LNRTObject(new LNRTElementBody())}, LNSTATUS);
}

TEST_F(StylizedTextTest, CopyIsIndependent) {
    LNStylizedText run(LNString("same"));
    LNStylizedText copy;
    ASSERT_EQ(copy.CopyObject(run), 0u);
    ASSERT_EQ(run.Append(LNString(" more")), 0u);
    EXPECT_EQ(Text(copy), "same");
    EXPECT_EQ(copy.CopyObject(LNRTObject(new LNRTElementBody())), LNERR_INAPPROPRIATE_FOR_OBJECT);
}

} // namespace
