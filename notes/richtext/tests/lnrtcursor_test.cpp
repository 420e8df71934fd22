#include "ln/lnrichtext.h"
#include "ln/lnrtcursor.h"
#include "ln/lnrtelement.h"
#include "ln/lnstylizedtext.h"
#include "os/os.h"
#include "richtextfixture.h"

#include <functional>

namespace {

using CursorTest = RichTextTest;

LNRTObject Record(const std::string& bytes) {
    LNCompositeData data;
    EXPECT_EQ(data.WriteData(static_cast<uint32_t>(bytes.size()), bytes.data(), 0), 0u);
    return data;
}

std::string Text(const LNRTContainer& box) {
    LNString text;
    EXPECT_EQ(box.GetText(&text), 0u);
    return std::string(reinterpret_cast<const char*>(text.GetTextPtr()), text.GetByteLength());
}

// "abcde", a paragraph record, "xy".
class CursorTreeTest : public CursorTest {
protected:
    void SetUp() override {
        CursorTest::SetUp();
        ASSERT_EQ(box_.Append(LNString("abcde")), 0u);
        ASSERT_EQ(box_.Append(Record(Paragraph())), 0u);
        ASSERT_EQ(box_.Append(LNString("xy")), 0u);
    }
    void TearDown() override {
        box_ = LNRTContainer();
        CursorTest::TearDown();
    }
    LNRTContainerBody* Box() { return box_.GetContainerBody(); }
    LNRTContainer box_;
};

TEST_F(CursorTreeTest, StepsThroughCharactersAndElements) {
    LNRTCursor cursor;
    ASSERT_EQ(Box()->GetStartCursor(&cursor), 0u);
    EXPECT_TRUE(cursor.IsAtStart());
    EXPECT_EQ(cursor.GetOffset(), 1u);
    cursor += 5;
    EXPECT_EQ(cursor.GetOffset(), 0u);
    LNRTObject on;
    ASSERT_EQ(cursor.GetObject(&on), 0u);
    EXPECT_EQ(on.GetSignature(), 0x81);
    ++cursor;
    ++cursor;
    EXPECT_EQ(cursor.GetOffset(), 2u);
    EXPECT_FALSE(cursor.IsAtEnd());
    // The last Next goes after the last character; a second one changes nothing.
    ++cursor;
    EXPECT_TRUE(cursor.IsAtEnd());
    EXPECT_EQ(cursor.GetOffset(), 3u);
    ++cursor;
    EXPECT_EQ(cursor.GetOffset(), 3u);
    --cursor;
    EXPECT_EQ(cursor.GetOffset(), 2u);
    EXPECT_FALSE(cursor.IsAtEnd());
}

TEST_F(CursorTreeTest, AddingPastTheEndStopsAfterTheLastStop) {
    LNRTCursor cursor;
    ASSERT_EQ(Box()->GetEndCursor(&cursor), 0u);
    cursor -= 2;
    cursor += 3;
    EXPECT_TRUE(cursor.IsAtEnd());
}

TEST_F(CursorTreeTest, ComparisonAndDistance) {
    LNRTCursor on;
    ASSERT_EQ(Box()->GetStartCursor(&on), 0u);
    ++on;
    LNRTCursor after = Ahead(on, 1);
    EXPECT_TRUE(on < after);
    EXPECT_FALSE(after < on);
    EXPECT_EQ(after - on, 1);
    EXPECT_EQ(on - after, -1);
    LNRTCursor end;
    ASSERT_EQ(Box()->GetEndCursor(&end), 0u);
    EXPECT_EQ(end - on, 7);
    EXPECT_TRUE(on <= after && after >= on && end > on && on != end);
}

TEST_F(CursorTreeTest, ArithmeticAndPostfixSteps) {
    LNRTCursor start;
    ASSERT_EQ(Box()->GetStartCursor(&start), 0u);
    const LNRTCursor third = start + 2;
    EXPECT_EQ(third.GetOffset(), 3u);
    EXPECT_EQ(start.GetOffset(), 1u);
    EXPECT_EQ(third - start, 2);
    EXPECT_TRUE((third - 2) == start);
    LNRTCursor walker;
    walker.SetPosition(start);
    const LNRTCursor old = walker++;
    EXPECT_EQ(old.GetOffset(), 1u);
    EXPECT_EQ(walker.GetOffset(), 2u);
    const LNRTCursor before = walker--;
    EXPECT_EQ(before.GetOffset(), 2u);
    EXPECT_TRUE(walker == start);
}

TEST_F(CursorTreeTest, StepsThatCannotBeMadeAndCursorsOnNoCharacterAreRefused) {
    os::MessageBoxRecorder boxes;
    LNRTCursor start;
    ASSERT_EQ(Box()->GetStartCursor(&start), 0u);
    LNRTCursor end;
    ASSERT_EQ(Box()->GetEndCursor(&end), 0u);
    // A caller's mistake, answered with the out-of-range status rather than a failed check.
    for (const auto& step : {std::function<void()>([&] { (void)(end + 1); }),
                             std::function<void()>([&] { (void)(start - 1); })}) {
        try {
            step();
            ADD_FAILURE() << "a step that cannot be made was made";
        } catch (LNSTATUS status) {
            EXPECT_EQ(status, LNERR_OUT_OF_RANGE);
        }
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    // A run is stood on at a character, counted from 1.
    LNRTObject run;
    ASSERT_EQ(box_.GetFirstChild(&run), 0u);
    try {
        LNRTCursor onNothing(LNRTStop{run.GetObjectBody(), 0}, false);
        ADD_FAILURE() << "a cursor on a run at offset 0";
    } catch (LNSTATUS status) {
        EXPECT_EQ(status, LNERR_INVALID_PARAMETER);
    }
}

TEST_F(CursorTreeTest, PlacingOnObjectsAndWhatACursorTells) {
    LNRTObject run;
    ASSERT_EQ(box_.GetFirstChild(&run), 0u);
    LNRTObject paragraph;
    ASSERT_EQ(run.GetNext(&paragraph), 0u);
    LNRTCursor cursor;
    ASSERT_EQ(cursor.SetPosition(paragraph), 0u);
    EXPECT_EQ(cursor.GetOffset(), 0u);
    LNFontStyle style;
    ASSERT_EQ(cursor.GetFontStyle(&style), 0u); // the next run's
    EXPECT_EQ(style.GetFontID(), LNFONTID_DEFAULT);
    LNRTObject parent;
    ASSERT_EQ(cursor.GetParent(&parent), 0u);
    EXPECT_TRUE(parent == box_);
    ASSERT_EQ(cursor.GotoEndOfObject(run), 0u);
    EXPECT_EQ(cursor.GetOffset(), 6u);
    ASSERT_EQ(cursor.GotoStartOfObject(run), 0u);
    EXPECT_EQ(cursor.GetOffset(), 1u);
    ASSERT_EQ(cursor.GetParent(&parent), 0u);
    EXPECT_TRUE(parent == run); // a character's container is its run
    ASSERT_EQ(cursor.GetContainerOfType(LNRTTYPE_CONTAINER, &parent), 0u);
    EXPECT_TRUE(parent == run);
    EXPECT_TRUE(cursor.IsInContainer(box_));
    EXPECT_TRUE(cursor.IsValidFor(run));
    EXPECT_TRUE(cursor.IsValidFor(box_));
    EXPECT_FALSE(cursor.IsValidFor(paragraph));
    ASSERT_EQ(cursor.SetPosition(LNRTObject(run.GetObjectBody(), 4)), 0u);
    EXPECT_EQ(cursor.GetOffset(), 4u);
    LNRTCursor fresh;
    ASSERT_EQ(fresh.GotoEndOfObject(paragraph), 0u);
    EXPECT_EQ(fresh.GetOffset(), 0u);
    EXPECT_TRUE(fresh.GetCursorBody()->IsAfter());
    // A body cannot be made without a position, and Assign copies one.
    EXPECT_THROW(LNRTCursorBody(), LNSTATUS);
    EXPECT_EQ(fresh.GetCursorBody()->Assign(cursor.GetCursorBody()), 0u);
    EXPECT_TRUE(fresh == cursor);
    EXPECT_EQ(fresh.GetCursorBody()->Assign(fresh.GetCursorBody()), LNERR_INVALID_PARAMETER);
}

TEST_F(CursorTreeTest, CopiesShareAndSetPositionSeparates) {
    LNRTCursor a;
    ASSERT_EQ(Box()->GetStartCursor(&a), 0u);
    LNRTCursor shared(a);
    LNRTCursor own;
    own.SetPosition(a);
    ++a;
    EXPECT_EQ(shared.GetOffset(), 2u);
    EXPECT_EQ(own.GetOffset(), 1u);
}

TEST_F(CursorTreeTest, TextEditsCarryCursorsAlong) {
    LNRTObject first;
    ASSERT_EQ(box_.GetFirstChild(&first), 0u);
    LNStylizedText run(first);
    auto* body = static_cast<LNStylizedTextBody*>(run.GetObjectBody());
    LNRTCursor cursor(LNRTStop{body, 4}, false);
    ASSERT_EQ(body->InsertText(2, LNString("XYZ")), 0u);
    EXPECT_EQ(cursor.GetOffset(), 7u);
    // Splitting carries the cursor into the new run.
    ASSERT_EQ(run.SplitAt(5), 0u);
    LNRTObject on;
    ASSERT_EQ(cursor.GetObject(&on), 0u);
    EXPECT_FALSE(on == run);
    EXPECT_EQ(cursor.GetOffset(), 3u);
    EXPECT_EQ(body->RTCharArray.GetCount(), 0u);
}

TEST_F(CursorTreeTest, RunsHoldAtMost20Cursors) {
    LNRTObject first;
    ASSERT_EQ(box_.GetFirstChild(&first), 0u);
    LNRTStop stop{first.GetObjectBody(), 1};
    std::vector<LNRTCursor> cursors;
    for (int i = 0; i < 20; ++i)
        cursors.emplace_back(stop, false);
    EXPECT_THROW(LNRTCursor(stop, false), LNSTATUS);
    EXPECT_EQ(static_cast<LNStylizedTextBody*>(first.GetObjectBody())->RTCharArray.GetCount(), 20u);
}

TEST_F(CursorTreeTest, ClosingTheRunInvalidatesItsCursors) {
    LNRTCursor cursor;
    ASSERT_EQ(Box()->GetStartCursor(&cursor), 0u);
    LNRTObject first;
    ASSERT_EQ(box_.GetFirstChild(&first), 0u);
    first.GetObjectBody()->Close();
    EXPECT_FALSE(cursor.IsValid());
    EXPECT_THROW(++cursor, LNSTATUS);
}

TEST_F(CursorTreeTest, InsertAtCursorPrefersNeighbouringRuns) {
    LNRTCursor cursor;
    ASSERT_EQ(Box()->GetStartCursor(&cursor), 0u);
    cursor += 2;
    ASSERT_EQ(Box()->InsertTextAtCursor(LNString("__"), cursor), 0u);
    EXPECT_EQ(Text(box_), "ab__cde\nxy");
    EXPECT_EQ(cursor.GetOffset(), 5u);
    LNRTCursor end;
    ASSERT_EQ(Box()->GetEndCursor(&end), 0u);
    ASSERT_EQ(Box()->InsertTextAtCursor(LNString("!"), end), 0u);
    EXPECT_EQ(Text(box_), "ab__cde\nxy!");
    EXPECT_EQ(box_.GetChildCount(), 3u);
}

TEST_F(CursorTreeTest, DeleteRangeSplitsRunsAtBothEnds) {
    LNRTCursor a;
    ASSERT_EQ(Box()->GetStartCursor(&a), 0u);
    a += 1;
    LNRTCursor b = Ahead(a, 3);
    ASSERT_EQ(Box()->DeleteRange(&a, &b), 0u);
    EXPECT_EQ(Text(box_), "ae\nxy");
    EXPECT_TRUE(a == b);
    EXPECT_EQ(a.GetOffset(), 1u);
    LNRTCursor end;
    ASSERT_EQ(Box()->GetEndCursor(&end), 0u);
    ASSERT_EQ(Box()->DeleteRange(&a, &end), 0u);
    EXPECT_EQ(Text(box_), "a");
    EXPECT_TRUE(a.IsAtEnd());
    EXPECT_EQ(Box()->DeleteRange(&a, &end), LNERR_INVALID_SELECTION);
}

TEST_F(CursorTreeTest, RestylingInsideARunMakesThreeRuns) {
    LNRTCursor a;
    ASSERT_EQ(Box()->GetStartCursor(&a), 0u);
    ++a;
    LNRTCursor b = Ahead(a, 2);
    const LNFontStyle bold(0x0A000101u, LNFontTable());
    ASSERT_EQ(Box()->SetFontStyleInRange(&a, &b, bold, 0x0000FF00u), 0u);
    EXPECT_EQ(box_.GetChildCount(), 5u);
    EXPECT_EQ(Text(box_), "abcde\nxy");
    LNRTObject run;
    ASSERT_EQ(box_.GetFirstChild(&run), 0u);
    uint32_t fonts[3] = {};
    for (uint32_t& font : fonts) {
        LNFontStyle style;
        ASSERT_EQ(LNStylizedText(run).GetFontStyle(&style), 0u);
        font = style.GetFontID();
        run.GetNext(&run);
    }
    EXPECT_EQ(fonts[0], 0x0A000001u);
    EXPECT_EQ(fonts[1], 0x0A000101u);
    EXPECT_EQ(fonts[2], 0x0A000001u);
    // B before A is a bad argument; a range of nothing restyles nothing.
    EXPECT_EQ(Box()->SetFontStyleInRange(&b, &a, bold, 0xFFFFFFFFu), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(Box()->SetFontStyleInRange(&a, &a, bold, 0xFFFFFFFFu), 0u);
}

TEST_F(CursorTreeTest, RestylingFromACursorSplitsItsRun) {
    LNRTCursor cursor;
    ASSERT_EQ(Box()->GetStartCursor(&cursor), 0u);
    const LNFontStyle italic(0x0A000201u, LNFontTable());
    ASSERT_EQ(Box()->SetFontStyleFromCursor(cursor, italic), 0u);
    EXPECT_EQ(box_.GetChildCount(), 3u);
    cursor += 2;
    ASSERT_EQ(Box()->SetFontStyleFromCursor(cursor, LNFontStyle(0x0C000001u, LNFontTable())), 0u);
    EXPECT_EQ(box_.GetChildCount(), 4u);
    LNRTObject run;
    ASSERT_EQ(cursor.GetObject(&run), 0u);
    LNFontStyle style;
    ASSERT_EQ(LNStylizedText(run).GetFontStyle(&style), 0u);
    EXPECT_EQ(style.GetFontID(), 0x0C000001u);
    EXPECT_EQ(Text(box_), "abcde\nxy");
    cursor += 3;
    EXPECT_EQ(Box()->SetFontStyleFromCursor(cursor, italic), LNERR_OUT_OF_RANGE);
}

TEST_F(CursorTreeTest, ObjectsInsertedInsideARunSplitIt) {
    LNRTCursor cursor;
    ASSERT_EQ(Box()->GetStartCursor(&cursor), 0u);
    cursor += 2;
    ASSERT_EQ(Box()->InsertObjectAtCursor(cursor, Record(Word(0x02A4))), 0u);
    EXPECT_EQ(Text(box_), "ab\tcde\nxy");
    LNRTCursor end;
    ASSERT_EQ(Box()->GetEndCursor(&end), 0u);
    ASSERT_EQ(Box()->InsertObjectAtCursor(end, Record(Paragraph())), 0u);
    EXPECT_EQ(Text(box_), "ab\tcde\nxy\n");
}

TEST_F(CursorTreeTest, CopyRangeLeavesTheTreeAlone) {
    LNRTCursor a;
    ASSERT_EQ(Box()->GetStartCursor(&a), 0u);
    a += 3;
    LNRTCursor b = Ahead(a, 4);
    LNRichText copy;
    ASSERT_EQ(Box()->CopyRangeToRichText(a, b, &copy), 0u);
    LNString text;
    ASSERT_EQ(copy.GetText(&text), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.GetTextPtr()), "de\nx");
    EXPECT_EQ(Text(box_), "abcde\nxy");
    EXPECT_EQ(box_.GetChildCount(), 3u);
    LNRTCursor end;
    ASSERT_EQ(Box()->GetEndCursor(&end), 0u);
    ASSERT_EQ(Box()->CopyRangeToRichText(a, end, &copy), 0u);
    LNString rest;
    ASSERT_EQ(copy.GetText(&rest), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(rest.GetTextPtr()), "de\nxy");
    EXPECT_EQ(Box()->CopyRangeToRichText(end, a, &copy), LNERR_INVALID_SELECTION);
}

TEST_F(CursorTest, SearchesRunAcrossRunsAndFoldCase) {
    LNRTContainer box;
    ASSERT_EQ(box.Append(LNString("One fish, ")), 0u);
    ASSERT_EQ(box.Append(Record(Paragraph())), 0u);
    ASSERT_EQ(box.Append(LNString("two Fi")), 0u);
    ASSERT_EQ(box.Append(Record(WordRecord(0xFF99, 4))), 0u);
    ASSERT_EQ(box.Append(LNString("sh")), 0u);
    LNRTCursor cursor;
    ASSERT_EQ(box.GetContainerBody()->GetStartCursor(&cursor), 0u);
    ASSERT_EQ(cursor.FindFirst(LNString("fish")), 0u);
    EXPECT_EQ(cursor.GetOffset(), 5u);
    // The next match begins in the second run and ends in the third.
    ASSERT_EQ(cursor.FindNext(LNString("fish")), 0u);
    LNRTObject on;
    ASSERT_EQ(cursor.GetObject(&on), 0u);
    EXPECT_EQ(cursor.GetOffset(), 5u);
    EXPECT_EQ(LNStylizedText(on).GetCharacterCount(), 6u);
    EXPECT_EQ(cursor.FindNext(LNString("fish")), LNWARN_NOT_FOUND);
    EXPECT_EQ(cursor.GetOffset(), 5u);
    cursor.SetSearchOptions(1);
    ASSERT_EQ(cursor.FindLast(LNString("fish")), 0u);
    EXPECT_EQ(cursor.GetOffset(), 5u);
    ASSERT_EQ(cursor.GotoFirst(LNRTTYPE_COMPOSITE_DATA, &on), 0u);
    EXPECT_EQ(on.GetSignature(), 0x81);
    ASSERT_EQ(cursor.GotoLast(LNRTTYPE_COMPOSITE_DATA), 0u);
    EXPECT_EQ(cursor.GetOffset(), 0u);
    EXPECT_EQ(cursor.GotoFirst(LNRTTYPE_FORM_FIELD), LNWARN_NOT_FOUND);
}

TEST_F(CursorTreeTest, JumpsByType) {
    LNRTCursor cursor;
    ASSERT_EQ(Box()->GetStartCursor(&cursor), 0u);
    ++cursor;
    LNRTObject found;
    // The run that holds the cursor is not "next": the next run is.
    ASSERT_EQ(cursor.GotoNextObject(LNRTTYPE_STYLIZED_TEXT, &found), 0u);
    EXPECT_EQ(LNStylizedText(found).GetCharacterCount(), 2u);
    EXPECT_EQ(cursor.GetOffset(), 1u);
    EXPECT_EQ(cursor.GotoNextObject(LNRTTYPE_STYLIZED_TEXT), LNWARN_NOT_FOUND);
    ASSERT_EQ(cursor.GotoPreviousObject(LNRTTYPE_COMPOSITE_DATA, &found), 0u);
    EXPECT_EQ(found.GetSignature(), 0x81);
    ASSERT_EQ(cursor.GotoPreviousObject(LNRTTYPE_STYLIZED_TEXT), 0u);
    EXPECT_EQ(cursor.GetOffset(), 1u);
    ++cursor;
    ASSERT_EQ(cursor.GotoEndOf(LNRTTYPE_STYLIZED_TEXT), 0u);
    EXPECT_EQ(cursor.GetOffset(), 6u);
    ASSERT_EQ(cursor.GotoStartOf(LNRTTYPE_CONTAINER), 0u);
    EXPECT_TRUE(cursor.IsAtStart());
    EXPECT_EQ(cursor.GotoStartOf(LNRTTYPE_FORM_FIELD), LNWARN_NOT_FOUND);
}

TEST_F(CursorTest, CanInsertAfterParagraphs) {
    LNRTContainer box;
    ASSERT_EQ(box.Append(Record(WordRecord(0xFF99, 4))), 0u);
    ASSERT_EQ(box.Append(Record(Paragraph())), 0u);
    ASSERT_EQ(box.Append(Record(WordRecord(0xFF98, 4))), 0u);
    ASSERT_EQ(box.Append(Record(WordRecord(0xFF97, 4))), 0u);
    LNRTCursor cursor;
    ASSERT_EQ(box.GetContainerBody()->GetStartCursor(&cursor), 0u);
    cursor += 2;
    EXPECT_FALSE(cursor.CanInsert(LNRTTYPE_COMPOSITE_DATA));
    EXPECT_TRUE(cursor.CanInsert(LNRTTYPE_STYLIZED_TEXT));
    ++cursor;
    EXPECT_FALSE(cursor.CanInsert(LNRTTYPE_STYLIZED_TEXT));
    EXPECT_TRUE(box.GetContainerBody()->InsertTextAtCursor(LNString("x"), cursor) ==
                LNERR_CANNOT_INSERT_TYPE);
}

} // namespace
