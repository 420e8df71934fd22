// Edits of rich text through cursors: ranges that start just after an object or reach into a nested
// container, insertion at the end, copies of containers, long texts and many live cursors.
#include "ln/lnrichtext.h"
#include "ln/lnrtcursor.h"
#include "ln/lnrtelement.h"
#include "ln/lnstylizedtext.h"
#include "richtextfixture.h"

#include <vector>

namespace {

using RichTextEditTest = RichTextTest;

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

TEST_F(RichTextEditTest, RangesStartingJustAfterAnObjectKeepThatObject) {
    // "Hello", a paragraph, "World", deleted from just after the "o" to the end.
    LNRichText letter(LNString("Hello"));
    ASSERT_EQ(letter.Append(ParagraphRecord()), 0u);
    ASSERT_EQ(letter.Append(LNString("World")), 0u);
    LNRTCursor a = After(Ahead(Start(letter), 4));
    ASSERT_EQ(a.GetOffset(), 6u);
    LNRTCursor b = End(letter);
    ASSERT_EQ(letter.DeleteRange(&a, &b), 0u);
    EXPECT_EQ(TextOf(letter), "Hello");

    // Two runs "He" and "llo", deleted from after "e" up to the "o".
    LNRichText runs(LNString("He"));
    ASSERT_EQ(runs.Append(LNStylizedText(LNString("llo"))), 0u);
    LNRTCursor from = After(Ahead(Start(runs), 1));
    LNRTCursor to = Ahead(Start(runs), 4);
    ASSERT_EQ(to.GetOffset(), 3u);
    ASSERT_EQ(runs.DeleteRange(&from, &to), 0u);
    EXPECT_EQ(TextOf(runs), "Heo");

    // Restyling from just after an object leaves that object's style alone.
    LNRichText styled(LNString("Hello"));
    ASSERT_EQ(styled.Append(ParagraphRecord()), 0u);
    ASSERT_EQ(styled.Append(LNString("World")), 0u);
    LNRTCursor s = After(Ahead(Start(styled), 4));
    LNRTCursor e = End(styled);
    LNFontStyle bold;
    ASSERT_EQ(bold.SetAttributes(1), 0u);
    ASSERT_EQ(styled.SetFontStyleInRange(&s, &e, bold, 0xFF00), 0u);
    LNRTObject first;
    ASSERT_EQ(styled.GetFirstChild(&first), 0u);
    LNFontStyle style;
    ASSERT_EQ(LNStylizedText(first).GetFontStyle(&style), 0u);
    EXPECT_EQ(style.GetAttributes(), 0);
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
    EXPECT_EQ(TextOf(copy), "abcdef");
}

TEST_F(RichTextEditTest, TypingAtTheEndKeepsTheOrder) {
    LNRichText richText(LNString("Hello"));
    LNRTCursor end = End(richText);
    ASSERT_EQ(richText.InsertTextAtCursor(LNString("A"), end), 0u);
    ASSERT_EQ(richText.InsertTextAtCursor(LNString("B"), end), 0u);
    EXPECT_EQ(TextOf(richText), "HelloAB");
    EXPECT_TRUE(end.IsAtEnd());
    // A cursor on the character before the insertion point stays on it.
    LNRTCursor onO = Ahead(Start(richText), 4);
    LNRTCursor afterO = After(onO);
    ASSERT_EQ(afterO.GetOffset(), 6u);
    ASSERT_EQ(richText.InsertTextAtCursor(LNString("-"), afterO), 0u);
    EXPECT_EQ(TextOf(richText), "Hello-AB");
    EXPECT_EQ(onO.GetOffset(), 5u);
}

TEST_F(RichTextEditTest, LongTextsAreAppendedAsSeveralRuns) {
    LNRichText once;
    ASSERT_EQ(once.Append(LNString(std::string(50000, 'a').c_str())), 0u);
    EXPECT_EQ(TextOf(once).size(), 50000u);
    ASSERT_EQ(once.Flush(), 0u);
    LNRichText pieces;
    const std::string piece(100, 'b');
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(pieces.Append(LNString(piece.c_str())), 0u);
    EXPECT_EQ(TextOf(pieces).size(), 50000u);
    LNRTContainer top;
    ASSERT_EQ(pieces.GetRTContainer(&top), 0u);
    EXPECT_EQ(top.GetChildCount(), 2u);
    ASSERT_EQ(pieces.Flush(), 0u);
}

TEST_F(RichTextEditTest, TemporaryWalkersAndRefusalsOfAFullRun) {
    LNRichText richText(LNString("abcdefghijklmnopqrstuvwxyz"));
    ASSERT_EQ(richText.Append(ParagraphRecord()), 0u);
    ASSERT_EQ(richText.Append(LNString("z")), 0u);
    std::vector<LNRTCursor> cursors{Start(richText)};
    for (uint32_t i = 1; i < 20; ++i)
        cursors.push_back(Ahead(cursors[0], i));
    // Measuring and comparing need no cursors of their own.
    EXPECT_EQ(cursors[19] - cursors[0], 19);
    EXPECT_TRUE(cursors[0] < cursors[19]);
    // A 21st cursor is refused with a status, and the cursor stays where it was.
    LNRTCursor last;
    ASSERT_EQ(richText.GetEndCursor(&last), 0u);
    EXPECT_EQ(last.GotoFirst(LNRTTYPE_STYLIZED_TEXT), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_TRUE(last.IsAtEnd());
}

TEST_F(RichTextEditTest, DistanceBetweenTwoRichTextsIsRefused) {
    LNRichText one(LNString("one"));
    LNRichText two(LNString("two"));
    const LNRTCursor a = Start(one);
    const LNRTCursor b = End(two);
    try {
        (void)(b - a);
        FAIL() << "a distance across two rich texts";
    } catch (LNSTATUS status) {
        EXPECT_EQ(status, LNERR_INVALID_RTCURSOR);
    }
}

TEST_F(RichTextEditTest, CursorsStepIntoAndOutOfNestedContainers) {
    LNRichText richText = Nested();
    LNRTCursor cursor = Ahead(Start(richText), 2);
    LNRTObject on;
    ASSERT_EQ(cursor.GetObject(&on), 0u);
    LNRTObject parent;
    ASSERT_EQ(on.GetParent(&parent), 0u);
    EXPECT_FALSE(parent.IsType(LNRTTYPE_RICHTEXT));
    cursor += 2;
    EXPECT_FALSE(cursor.IsAtEnd());
    EXPECT_EQ(cursor.GetOffset(), 1u);
    ASSERT_EQ(cursor.GetObject(&on), 0u);
    LNString text;
    ASSERT_EQ(on.GetText(&text), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.GetTextPtr()), "ef");
    cursor += 2;
    EXPECT_TRUE(cursor.IsAtEnd());
    EXPECT_EQ(cursor - Start(richText), 6);
    cursor -= 3;
    EXPECT_EQ(cursor.GetOffset(), 2u); // on "d" again
}

TEST_F(RichTextEditTest, RangesWithAnEndInsideANestedContainer) {
    LNRichText into = Nested();
    LNRTCursor a = Ahead(Start(into), 1);
    LNRTCursor b = Ahead(Start(into), 3);
    ASSERT_EQ(into.DeleteRange(&a, &b), 0u);
    EXPECT_EQ(TextOf(into), "adef");

    LNRichText outOf = Nested();
    LNRTCursor c = Ahead(Start(outOf), 3);
    LNRTCursor d = Ahead(Start(outOf), 5);
    ASSERT_EQ(outOf.DeleteRange(&c, &d), 0u);
    EXPECT_EQ(TextOf(outOf), "abcf");
}

} // namespace
