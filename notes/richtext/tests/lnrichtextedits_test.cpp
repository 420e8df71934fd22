// Edits of rich text through cursors: ranges that start just after an object or reach into a nested
// container, insertion at the end, copies of containers, long texts, many live cursors, runs restyled
// through their own handles and runs that leave their tree.
#include "ln/lnrichtext.h"
#include "ln/lnrtcursor.h"
#include "ln/lnrtelement.h"
#include "ln/lnstylizedtext.h"
#include "richtextfixture.h"

#include <memory>
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

// "abcdef", a paragraph, "xyz".
LNRichText TwoRuns() {
    LNRichText richText(LNString("abcdef"));
    EXPECT_EQ(richText.Append(ParagraphRecord()), 0u);
    EXPECT_EQ(richText.Append(LNString("xyz")), 0u);
    return richText;
}

LNRTObjectBody* ChildBody(const LNRichText& richText, int index) {
    LNRTObject at;
    EXPECT_EQ(richText.GetFirstChild(&at), 0u);
    for (int i = 0; i < index; ++i)
        at.GetNext(&at);
    return at.GetObjectBody();
}

LNStylizedTextBody* RunBody(LNRTObjectBody* body) {
    return static_cast<LNStylizedTextBody*>(body);
}

TEST_F(RichTextEditTest, RunsFullOfCursorsAnswerWithAStatusAndCopiesStillSucceed) {
    LNRichText richText = TwoRuns();
    LNRTObjectBody* first = ChildBody(richText, 0);
    LNRTObjectBody* last = ChildBody(richText, 2);
    std::vector<LNRTCursor> onB;
    std::vector<LNRTCursor> onY;
    for (int i = 0; i < 20; ++i) {
        onB.emplace_back(LNRTStop{first, 2}, false);
        onY.emplace_back(LNRTStop{last, 2}, false);
    }
    ASSERT_EQ(RunBody(first)->RTCharArray.GetCount(), 20u);
    // Operations that answer a status answer this one too; only constructors and operators throw.
    LNRTCursor cursor;
    EXPECT_EQ(richText.GetStartCursor(&cursor), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_TRUE(cursor.IsNull());
    EXPECT_EQ(richText.GetEndCursor(&cursor), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    LNRTContainer top;
    ASSERT_EQ(richText.GetRTContainer(&top), 0u);
    EXPECT_EQ(top.GetStartCursor(&cursor), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_EQ(top.GetEndCursor(&cursor), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_EQ(cursor.SetPosition(onB[0]), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_THROW(LNRTCursor(LNRTStop{first, 1}, false), LNSTATUS);
    EXPECT_THROW((void)(onB[0] + 1), LNSTATUS);
    // Copies hold the places where they cut a run without taking a handle of it.
    LNRichText copy;
    ASSERT_EQ(richText.CopyRangeToRichText(onB[0], onY[0], &copy), 0u);
    EXPECT_EQ(TextOf(copy), "bcdef\nx");
    ASSERT_EQ(richText.CopyCountToRichText(onB[0], 3, &copy), 0u);
    EXPECT_EQ(TextOf(copy), "bcd");
    ASSERT_EQ(richText.CopyCountToRichText(&onB[0], 3, &copy), 0u);
    EXPECT_EQ(TextOf(copy), "bcd");
    EXPECT_EQ(TextOf(richText), "abcdef\nxyz");
    // Deleting needs no cursor at the end of the range.
    ASSERT_EQ(richText.DeleteCount(&onB[0], 2), 0u);
    EXPECT_EQ(TextOf(richText), "adef\nxyz");
    EXPECT_EQ(onB[0].GetOffset(), 1u); // on the "d" that followed the range
    EXPECT_FALSE(onB[1].IsValid());    // its character went with the range
}

TEST_F(RichTextEditTest, DeletingUpToAFullRunKeepsTheTextOrPlacesTheCursorWhereItCanStand) {
    // The run after the range holds 20 handles, b's among them, and b's body is shared.
    LNRichText richText = TwoRuns();
    LNRTObjectBody* last = ChildBody(richText, 2);
    std::vector<LNRTCursor> others;
    for (int i = 0; i < 19; ++i)
        others.emplace_back(LNRTStop{last, 2}, false);
    LNRTCursor b(LNRTStop{last, 1}, false);
    const LNRTCursor sharesB(b);
    LNRTCursor a = Ahead(Start(richText), 2);
    ASSERT_EQ(richText.DeleteRange(&a, &b), 0u);
    EXPECT_EQ(TextOf(richText), "abxyz");
    // a stands just after "b", the same place as on "x", in the tree.
    ASSERT_TRUE(a.IsValid());
    EXPECT_EQ(a.GetOffset(), 3u);
    LNRTObject on;
    ASSERT_EQ(a.GetObject(&on), 0u);
    EXPECT_TRUE(on.IsMember());
    EXPECT_TRUE(a == b);
    ASSERT_EQ(richText.InsertTextAtCursor(LNString("-"), a), 0u);
    EXPECT_EQ(TextOf(richText), "ab-xyz");

    // From the very start there is no such place: nothing is deleted.
    LNRichText second = TwoRuns();
    LNRTObjectBody* full = ChildBody(second, 2);
    std::vector<LNRTCursor> more;
    for (int i = 0; i < 19; ++i)
        more.emplace_back(LNRTStop{full, 2}, false);
    auto end = std::make_unique<LNRTCursor>(LNRTStop{full, 1}, false);
    auto sharesEnd = std::make_unique<LNRTCursor>(*end);
    LNRTCursor start = Start(second);
    EXPECT_EQ(second.DeleteRange(&start, end.get()), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_EQ(TextOf(second), "abcdef\nxyz");
    EXPECT_TRUE(start.IsValid());
    EXPECT_TRUE(start.IsAtStart());
    // Once the end cursor alone holds its place, the start cursor takes it over.
    sharesEnd.reset();
    ASSERT_EQ(second.DeleteRange(&start, end.get()), 0u);
    EXPECT_EQ(TextOf(second), "xyz");
    EXPECT_TRUE(start.IsAtStart());
    EXPECT_EQ(start.GetOffset(), 1u);
}

// A bold run of 20,000 characters "a", a cursor steps from its start (after its end for 20,000), and
// 30,000 characters c put in there.
struct LongInsertion {
    uint32_t steps;
    char c;
};

TEST_F(RichTextEditTest, LongInsertionsContinueInNewRunsOfTheSameStyle) {
    for (const LongInsertion insertion : {LongInsertion{15000, 'b'}, {0, 'c'}, {20000, 'd'}}) {
        LNRichText richText(LNString(std::string(20000, 'a').c_str()));
        LNRTCursor from = Start(richText);
        LNRTCursor to = End(richText);
        ASSERT_EQ(richText.SetFontStyleInRange(&from, &to, LNFontStyle(0x0A000101u, LNFontTable()), 0xFF00u),
                  0u);
        LNRTCursor at = insertion.steps == 20000 ? End(richText) : Ahead(Start(richText), insertion.steps);
        ASSERT_EQ(richText.InsertTextAtCursor(LNString(std::string(30000, insertion.c).c_str()), at), 0u);
        const uint32_t before = insertion.steps;
        EXPECT_EQ(TextOf(richText), std::string(before, 'a') + std::string(30000, insertion.c) +
                                        std::string(20000 - before, 'a'));
        // A cursor on a character stays on it; one after the end stays after the new text.
        if (before == 20000)
            EXPECT_TRUE(at.IsAtEnd());
        else
            EXPECT_EQ(at - Start(richText), before + 30000);
        LNRTContainer top;
        ASSERT_EQ(richText.GetRTContainer(&top), 0u);
        EXPECT_GE(top.GetChildCount(), 2u);
        LNRTObject run;
        for (LNSTATUS status = top.GetFirstChild(&run); status == LNNOERROR; status = run.GetNext(&run)) {
            LNStylizedText each(run);
            EXPECT_LE(each.GetTextLength(), LNStylizedTextBody::MaxTextLength());
            LNFontStyle style;
            ASSERT_EQ(each.GetFontStyle(&style), 0u);
            EXPECT_EQ(style.GetAttributes(), 1u);
        }
        ASSERT_EQ(richText.Flush(), 0u);
    }
}

// The text and font id of every run, in order.
std::vector<std::pair<std::string, uint32_t>> RunsOf(const LNRichText& richText) {
    std::vector<std::pair<std::string, uint32_t>> runs;
    LNRTContainer top;
    EXPECT_EQ(richText.GetRTContainer(&top), 0u);
    LNRTObject run;
    for (LNSTATUS status = top.GetFirstChild(&run); status == LNNOERROR; status = run.GetNext(&run)) {
        LNString text;
        EXPECT_EQ(run.GetText(&text), 0u);
        LNFontStyle style;
        EXPECT_EQ(LNStylizedText(run).GetFontStyle(&style), 0u);
        runs.emplace_back(std::string(reinterpret_cast<const char*>(text.GetTextPtr()), text.GetByteLength()),
                          style.GetFontID());
    }
    return runs;
}

TEST_F(RichTextEditTest, ARunRestylesThroughItsOwnHandleAsThroughItsRichText) {
    const LNFontStyle bold(0x0A000101u, LNFontTable());
    const LNFontStyle italic(0x0A000201u, LNFontTable());
    LNRichText own(LNString("abcdef"));
    LNRichText whole(LNString("abcdef"));
    for (LNRichText* richText : {&own, &whole}) {
        LNRTCursor a = Ahead(Start(*richText), 1);
        LNRTCursor b = Ahead(Start(*richText), 4);
        if (richText == &own) {
            LNStylizedText run(LNRTObject(ChildBody(own, 0)));
            ASSERT_EQ(run.SetFontStyleInRange(&a, &b, bold, 0xFF00u), 0u);
        } else {
            ASSERT_EQ(whole.SetFontStyleInRange(&a, &b, bold, 0xFF00u), 0u);
        }
        LNRTCursor onF = Ahead(Start(*richText), 5);
        if (richText == &own) {
            LNStylizedText run(LNRTObject(ChildBody(own, 2)));
            ASSERT_EQ(run.SetFontStyleFromCursor(onF, italic), 0u);
            // A cursor on another run is out of this run's range.
            LNStylizedText other(LNRTObject(ChildBody(own, 0)));
            EXPECT_EQ(other.SetFontStyleFromCursor(onF, italic), LNERR_OUT_OF_RANGE);
        } else {
            ASSERT_EQ(whole.SetFontStyleFromCursor(onF, italic), 0u);
        }
    }
    const std::vector<std::pair<std::string, uint32_t>> expected{
        {"a", 0x0A000001u}, {"bcd", 0x0A000101u}, {"e", 0x0A000001u}, {"f", 0x0A000201u}};
    EXPECT_EQ(RunsOf(own), expected);
    EXPECT_EQ(RunsOf(whole), expected);
    // A range around the whole run restyles it whole; cursors of another tree are refused.
    LNRTCursor from = Start(own);
    LNRTCursor to = End(own);
    LNStylizedText first(LNRTObject(ChildBody(own, 0)));
    ASSERT_EQ(first.SetFontStyleInRange(&from, &to, italic, 0xFF00u), 0u);
    EXPECT_EQ(RunsOf(own).front(), (std::pair<std::string, uint32_t>{"a", 0x0A000201u}));
    LNRichText elsewhere(LNString("zz"));
    LNRTCursor foreign = Start(elsewhere);
    EXPECT_THROW(first.SetFontStyleInRange(&foreign, &to, italic, 0xFF00u), LNSTATUS);
}

TEST_F(RichTextEditTest, ARunThatLeavesItsTreeTakesItsCharacterHandlesWithIt) {
    LNRichText richText = TwoRuns();
    const LNRTObject run0(ChildBody(richText, 0)); // holds the run once it has left the tree
    LNRTObjectBody* first = run0.GetObjectBody();
    LNRTObject character(first, 3);
    LNRTCursor on(LNRTStop{first, 2}, false);
    LNRTCursor a = Start(richText);
    LNRTCursor b = Ahead(Start(richText), 7); // on "x"
    ASSERT_EQ(richText.DeleteRange(&a, &b), 0u);
    EXPECT_EQ(TextOf(richText), "xyz");
    EXPECT_FALSE(character.IsValid());
    EXPECT_FALSE(on.IsValid());
    EXPECT_EQ(RunBody(first)->RTCharArray.GetCount(), 0u);
    // So does a run removed from its container.
    LNRTObject run(ChildBody(richText, 0));
    LNRTObject onX(run.GetObjectBody(), 1);
    ASSERT_EQ(richText.RemoveChild(&run), 0u);
    EXPECT_FALSE(onX.IsValid());
    EXPECT_FALSE(a.IsValid()); // a stood on "x"
}

TEST_F(RichTextEditTest, ContainersOfCharacterHandlesGrowToTwentyWithoutCountingOneTwice) {
    LNStylizedText run(LNString("abcdefghijklmnopqrstuvwxyz"));
    std::vector<LNRTObject> handles;
    for (uint32_t i = 1; i <= 20; ++i)
        handles.emplace_back(run.GetObjectBody(), i);
    auto* body = RunBody(run.GetObjectBody());
    EXPECT_EQ(body->RTCharArray.GetCount(), 20u);
    for (uint32_t i = 0; i < 20; ++i)
        EXPECT_EQ(handles[i].GetCharacterOffset(), i + 1);
    EXPECT_THROW(handles.emplace_back(run.GetObjectBody(), 21u), LNSTATUS);
    // Moved handles keep their place among the run's handles; text put in before them carries them along.
    std::vector<LNRTObject> moved = std::move(handles);
    ASSERT_EQ(body->InsertText(0, LNString("__")), 0u);
    EXPECT_EQ(moved[0].GetCharacterOffset(), 3u);
    moved.clear();
    EXPECT_EQ(body->RTCharArray.GetCount(), 0u);
}

} // namespace
