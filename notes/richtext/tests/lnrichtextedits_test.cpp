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

} // namespace
