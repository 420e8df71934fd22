// Edits of rich text through cursors: ranges that start just after an object or reach into a nested
// container, insertion at the end, copies of containers, long texts and many live cursors.
#include "lnrichtext.h"
#include "lnrtcursor.h"
#include "lnrtelement.h"
#include "lnstylizedtext.h"
#include "richtextfixture.h"

#include <vector>

namespace {

using RichTextEditTest = RichTextTest;

std::string Text(const LNRichText& richText) {
    LNString text;
    EXPECT_EQ(richText.GetText(&text), 0u);
    return std::string(reinterpret_cast<const char*>(text.GetTextPtr()), text.GetByteLength());
}

LNRTObject ParagraphRecord() {
    LNCompositeData data;
    const std::string bytes = Paragraph();
    EXPECT_EQ(data.WriteData(static_cast<uint32_t>(bytes.size()), bytes.data(), 0), 0u);
    return data;
}

LNRTCursor Start(const LNRichText& richText) {
    LNRTCursor cursor;
    EXPECT_EQ(richText.GetStartCursor(&cursor), 0u);
    return cursor;
}

LNRTCursor End(const LNRichText& richText) {
    LNRTCursor cursor;
    EXPECT_EQ(richText.GetEndCursor(&cursor), 0u);
    return cursor;
}

// A new cursor just after the stop that cursor stands on.
LNRTCursor After(const LNRTCursor& cursor) {
    return LNRTCursor(cursor.GetCursorBody()->GetStop(), true);
}

// "ab", a nested container holding "cd", then "ef".
LNRichText Nested() {
    LNRichText richText(LNString("ab"));
    LNRTContainer inner;
    EXPECT_EQ(inner.Append(LNString("cd")), 0u);
    EXPECT_EQ(richText.Append(inner), 0u);
    EXPECT_EQ(richText.Append(LNString("ef")), 0u);
    return richText;
}

TEST_F(RichTextEditTest, CopiesOfAContainerHoldOnlyTheirOwnRecord) {
    LNRichText richText = Nested();
    ASSERT_EQ(richText.Flush(), 0u);
    const uint32_t size = richText.GetValueSize();
    EXPECT_EQ(size, 2u + 3 * 10u);
    LNRichText copy;
    ASSERT_EQ(copy.Assign(richText), 0u);
    ASSERT_EQ(copy.Flush(), 0u);
    EXPECT_EQ(copy.GetValueSize(), size);
    EXPECT_EQ(Text(copy), "abcdef");
}

TEST_F(RichTextEditTest, LongTextsAreAppendedAsSeveralRuns) {
    LNRichText once;
    ASSERT_EQ(once.Append(LNString(std::string(50000, 'a').c_str())), 0u);
    EXPECT_EQ(Text(once).size(), 50000u);
    ASSERT_EQ(once.Flush(), 0u);
    LNRichText pieces;
    const std::string piece(100, 'b');
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(pieces.Append(LNString(piece.c_str())), 0u);
    EXPECT_EQ(Text(pieces).size(), 50000u);
    LNRTContainer top;
    ASSERT_EQ(pieces.GetRTContainer(&top), 0u);
    EXPECT_EQ(top.GetChildCount(), 2u);
    ASSERT_EQ(pieces.Flush(), 0u);
}

} // namespace
