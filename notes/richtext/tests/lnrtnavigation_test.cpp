// Character handles, navigation by type, text searches of objects, selections, and the range operations
// of containers and rich texts given by counts and whole objects.
#include "ln/lnrichtext.h"
#include "ln/lnrtcursor.h"
#include "ln/lnrtelement.h"
#include "ln/lnrtselection.h"
#include "ln/lnstylizedtext.h"
#include "nnotes/memblock.h"
#include "richtextfixture.h"

#include <vector>

namespace {

using NavigationTest = RichTextTest;

// "ab", a nested container holding "cd", a paragraph, then "ef".
LNRichText Tree() {
    LNRichText richText(LNString("ab"));
    LNRTContainer inner;
    EXPECT_EQ(inner.Append(LNString("cd")), 0u);
    EXPECT_EQ(richText.Append(inner), 0u);
    EXPECT_EQ(richText.Append(ParagraphRecord()), 0u);
    EXPECT_EQ(richText.Append(LNString("ef")), 0u);
    return richText;
}

LNRTObject Child(const LNRichText& richText, int index) {
    LNRTObject at;
    EXPECT_EQ(richText.GetFirstChild(&at), 0u);
    for (int i = 0; i < index; ++i)
        at.GetNext(&at);
    return at;
}

LNRTCursor Start(const LNRichText& richText) {
    LNRTCursor cursor;
    EXPECT_EQ(richText.GetStartCursor(&cursor), 0u);
    return cursor;
}

TEST_F(NavigationTest, CharacterHandlesFollowTheirRun) {
    LNStylizedText run(LNString("hello"));
    LNRTObject e(run.GetObjectBody(), 2);
    EXPECT_TRUE(e.HasOffset());
    EXPECT_EQ(e.GetType(), LNRTTYPE_CHAR);
    EXPECT_TRUE(e.IsType(LNRTTYPE_CHAR));
    EXPECT_FALSE(e.IsType(LNRTTYPE_STYLIZED_TEXT));
    EXPECT_TRUE(e.IsMember());
    EXPECT_EQ(e.GetRecordLength(), 0u);
    LNString text;
    EXPECT_EQ(e.GetText(&text), LNERR_UNEXPECTED_CALLED);
    EXPECT_THROW(e.SetIndexValue(5), LNSTATUS);
    EXPECT_THROW(e.SetCharacterOffset(0), LNSTATUS);
    EXPECT_THROW(LNRTObject(run.GetObjectBody(), 0), LNSTATUS);

    LNRTObject next;
    ASSERT_EQ(e.GetNext(&next), 0u);
    EXPECT_EQ(next.GetCharacterOffset(), 3u);
    EXPECT_TRUE(e.IsBefore(next));
    EXPECT_FALSE(next.IsBefore(e));
    EXPECT_TRUE(e == LNRTObject(run.GetObjectBody(), 2));
    EXPECT_FALSE(e == next);
    LNRTObject parent;
    ASSERT_EQ(e.GetParent(&parent), 0u);
    EXPECT_TRUE(parent == run);
    LNRTObject last(run.GetObjectBody(), 5);
    LNRTObject none;
    EXPECT_EQ(last.GetNext(&none), LNWARN_NOT_FOUND);
    EXPECT_TRUE(none.IsNull());
    EXPECT_EQ(LNRTObject(run.GetObjectBody(), 1).GetPrevious(&none), LNWARN_NOT_FOUND);

    // Text put in before a character moves its handle; a copy of a handle registers too.
    LNRTObject copy(e);
    auto* body = static_cast<LNStylizedTextBody*>(run.GetObjectBody());
    const uint32_t registered = body->RTCharArray.GetCount();
    ASSERT_EQ(body->InsertText(0, LNString("oh, ")), 0u);
    EXPECT_EQ(e.GetCharacterOffset(), 6u);
    EXPECT_EQ(copy.GetCharacterOffset(), 6u);
    copy = LNRTObject();
    EXPECT_EQ(body->RTCharArray.GetCount(), registered - 1);

    // A run holds at most 20 handles; the refusal leaves the handle as it was.
    std::vector<LNRTObject> handles;
    handles.reserve(LNRTCharArray::Capacity);
    while (body->RTCharArray.GetCount() < LNRTCharArray::Capacity)
        handles.emplace_back(run.GetObjectBody(), 1);
    LNRTObject refused;
    EXPECT_EQ(refused.SetBodyAndOffset(run.GetObjectBody(), 1), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_TRUE(refused.IsNull());
    LNRTObject* entry = nullptr;
    EXPECT_EQ(body->RTCharArray.Get(LNRTCharArray::Capacity, &entry), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    // Closing the run empties every handle on it.
    ASSERT_EQ(body->Close(), 0u);
    EXPECT_TRUE(e.IsNull());
    EXPECT_TRUE(handles.front().IsNull());
}

TEST_F(NavigationTest, ObjectsOfATypeInDocumentOrder) {
    const LNRichText richText = Tree();
    const LNRTObject ab = Child(richText, 0);
    const LNRTObject inner = Child(richText, 1);
    const LNRTObject paragraph = Child(richText, 2);
    const LNRTObject ef = Child(richText, 3);

    LNRTObject found;
    ASSERT_EQ(ab.GetNextOfType(LNRTTYPE_STYLIZED_TEXT, &found), 0u);
    LNString text;
    ASSERT_EQ(found.GetText(&text), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.GetTextPtr()), "cd");
    const LNRTObject cd = found;
    ASSERT_EQ(ef.GetPreviousOfType(LNRTTYPE_COMPOSITE_DATA, &found), 0u);
    EXPECT_TRUE(found == paragraph);
    EXPECT_EQ(ef.GetNextOfType(LNRTTYPE_STYLIZED_TEXT, &found), LNWARN_NOT_FOUND);
    EXPECT_TRUE(found.IsNull());
    // Characters step through their run before leaving it.
    ASSERT_EQ(LNRTObject(cd.GetObjectBody(), 1).GetNextOfType(LNRTTYPE_CHAR, &found), 0u);
    EXPECT_EQ(found.GetCharacterOffset(), 2u);
    ASSERT_EQ(LNRTObject(cd.GetObjectBody(), 2).GetNextOfType(LNRTTYPE_ELEMENT, &found), 0u);
    EXPECT_TRUE(found == paragraph);

    ASSERT_EQ(cd.GetContainerOfType(LNRTTYPE_RICHTEXT, &found), 0u);
    LNRTObject top;
    ASSERT_EQ(cd.GetTopContainer(&top), 0u);
    EXPECT_TRUE(found == top);
    EXPECT_TRUE(top.IsAncestorOf(cd));
    EXPECT_TRUE(inner.IsAncestorOf(cd));
    EXPECT_FALSE(inner.IsAncestorOf(ef));
    EXPECT_TRUE(cd.IsMember());
    EXPECT_FALSE(top.IsMember());
    ASSERT_EQ(cd.GetContainerOfType(LNRTTYPE_CONTAINER, &found), 0u);
    EXPECT_TRUE(found == cd); // a run is a container of its characters
    EXPECT_EQ(paragraph.GetContainerOfType(LNRTTYPE_STYLIZED_TEXT, &found), LNWARN_NOT_FOUND);

    bool any = false;
    ASSERT_EQ(inner.FindFirstInChildren(LNRTTYPE_STYLIZED_TEXT, &any, &found), 0u);
    EXPECT_TRUE(any);
    EXPECT_TRUE(found == cd);
    ASSERT_EQ(paragraph.FindLastInChildren(LNRTTYPE_STYLIZED_TEXT, &any, &found), 0u);
    EXPECT_FALSE(any);
    ASSERT_EQ(ab.GetFirstOfType(LNRTTYPE_ELEMENT, &found), 0u);
    EXPECT_EQ(found.GetCharacterOffset(), 1u);
    ASSERT_EQ(ab.GetLastOfType(LNRTTYPE_CHAR, &found), 0u);
    EXPECT_EQ(found.GetCharacterOffset(), 2u);
    ASSERT_EQ(ab.GetFirstOfType(LNRTTYPE_STYLIZED_TEXT, &found), 0u);
    EXPECT_FALSE(found.HasOffset());
    LNRichText holder;
    ASSERT_EQ(cd.GetRichText(&holder), 0u);
    EXPECT_EQ(holder.GetRichTextBody(), richText.GetRichTextBody());
}

TEST_F(NavigationTest, TextSearchesOfObjects) {
    LNRichText richText(LNString("hello world, "));
    ASSERT_EQ(richText.Append(LNStylizedText(LNString("Hel"))), 0u);
    ASSERT_EQ(richText.Append(LNStylizedText(LNString("lo again"))), 0u);
    LNRTContainer top;
    ASSERT_EQ(richText.GetRTContainer(&top), 0u);
    LNRTObject position;
    bool found = false;
    ASSERT_EQ(top.FindFirstString(LNString("hello"), 0, &position, &found), 0u);
    EXPECT_TRUE(found);
    EXPECT_EQ(position.GetCharacterOffset(), 1u);
    // From the second character on, the next match spans two runs and ignores case.
    position.SetCharacterOffset(2);
    ASSERT_EQ(top.FindFirstString(LNString("hello"), 0, &position, &found), 0u);
    LNString text;
    ASSERT_EQ(LNRTObject(position.GetObjectBody()).GetText(&text), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.GetTextPtr()), "Hel");
    // Keeping case finds only the first.
    position = LNRTObject();
    ASSERT_EQ(top.FindLastString(LNString("hello"), 1, &position, &found), 0u);
    EXPECT_EQ(position.GetCharacterOffset(), 1u);
    EXPECT_EQ(top.FindFirstString(LNString("absent"), 0, &position, &found), LNWARN_NOT_FOUND);
    EXPECT_FALSE(found);

    // Cursors search backwards from where they stand.
    LNRTCursor cursor = Start(richText);
    ASSERT_EQ(cursor.FindLast(LNString("l")), 0u);
    EXPECT_EQ(cursor.GetOffset(), 1u); // the "l" of "lo again"
    ASSERT_EQ(cursor.FindPrevious(LNString("l")), 0u);
    EXPECT_EQ(cursor.GetOffset(), 3u); // the "l" of "Hel"
    ASSERT_EQ(cursor.FindPrevious(LNString("o")), 0u);
    EXPECT_EQ(cursor.GetOffset(), 8u); // the "o" of "world"
}

TEST_F(NavigationTest, SelectionsOfCountsTypesAndObjects) {
    LNRichText richText = Tree();
    RTSelection selection;
    const LNRTCursor start = Start(richText);
    EXPECT_EQ(BuildSelection(Ahead(start, 2), start, false, &selection), LNERR_INVALID_SELECTION);
    ASSERT_EQ(SelectCount(Ahead(start, 1), 2, false, &selection), 0u);
    EXPECT_EQ(selection.First.GetCharacterOffset(), 2u);
    EXPECT_TRUE(selection.Container.IsType(LNRTTYPE_RICHTEXT));
    LNRichText copy;
    ASSERT_EQ(LNRichTextBody::NewFromSelection(selection, &copy), 0u);
    EXPECT_EQ(TextOf(copy), "bc");

    const LNRTObject inner = Child(richText, 1);
    LNRTObject cd;
    ASSERT_EQ(inner.GetFirstOfType(LNRTTYPE_STYLIZED_TEXT, &cd), 0u);
    ASSERT_EQ(SelectOfType(LNRTObject(cd.GetObjectBody(), 2), LNRTTYPE_STYLIZED_TEXT, &selection), 0u);
    ASSERT_EQ(LNRichTextBody::NewFromSelection(selection, &copy), 0u);
    EXPECT_EQ(TextOf(copy), "cd");
    EXPECT_EQ(SelectOfType(cd, LNRTTYPE_FORM_FIELD, &selection), LNWARN_NOT_FOUND);

    ASSERT_EQ(SelectObject(inner, &selection), 0u);
    EXPECT_TRUE(selection.Following.IsNull());
    ASSERT_EQ(DeleteSelection(&selection), 0u);
    EXPECT_TRUE(selection.First.IsNull());
    EXPECT_EQ(TextOf(richText), "ab\nef");
    ASSERT_EQ(SelectObject(Child(richText, 2), &selection), 0u);
    ASSERT_EQ(DeleteSelection(&selection), 0u);
    EXPECT_EQ(TextOf(richText), "abef");
}

// A cursor just after a character inside a run (as a cursor held after an object's end can be): what goes
// in there goes in after that character, not in front of the run.
TEST_F(NavigationTest, ARichTextGoesInAfterTheCharacterACursorStandsAfter) {
    LNRichText richText(LNString("Helloworld"));
    LNRTStop stop = Ahead(Start(richText), 4).GetCursorBody()->GetStop(); // on the "o"
    LNRTCursor after(stop, true);
    ASSERT_EQ(richText.InsertRichTextAtCursor(after, LNRichText(LNString("XY"))), 0u);
    EXPECT_EQ(TextOf(richText), "HelloXYworld");
}

TEST_F(NavigationTest, CountsObjectsAndRichTextsAtCursors) {
    LNRichText richText = Tree();
    LNRTCursor at = Ahead(Start(richText), 1);
    LNRichText copy;
    ASSERT_EQ(richText.CopyCountToRichText(at, 3, &copy), 0u);
    EXPECT_EQ(TextOf(copy), "bcd");
    ASSERT_EQ(richText.CopyCountToRichText(&at, 3, &copy), 0u);
    EXPECT_EQ(TextOf(copy), "bcd");
    ASSERT_EQ(richText.CopyObjectToRichText(Child(richText, 1), &copy), 0u);
    EXPECT_EQ(TextOf(copy), "cd");
    ASSERT_EQ(richText.CopyObjectToRichText(Child(richText, 2), &copy), 0u);
    EXPECT_EQ(TextOf(copy), "\n");
    EXPECT_EQ(TextOf(richText), "abcd\nef");

    // A rich text goes in at a cursor (also into itself), as it was before the call.
    LNRTCursor middle = Ahead(Start(richText), 1);
    ASSERT_EQ(richText.InsertRichTextAtCursor(middle, LNRichText(LNString("XY"))), 0u);
    EXPECT_EQ(TextOf(richText), "aXYbcd\nef");
    LNRTCursor end;
    ASSERT_EQ(richText.GetEndCursor(&end), 0u);
    ASSERT_EQ(richText.InsertRichTextAtCursor(end, richText), 0u);
    EXPECT_EQ(TextOf(richText), "aXYbcd\nefaXYbcd\nef");

    LNRTCursor from = Ahead(Start(richText), 1);
    ASSERT_EQ(richText.DeleteCount(&from, 2), 0u);
    EXPECT_EQ(TextOf(richText).substr(0, 4), "abcd");
    EXPECT_EQ(from.GetOffset(), 1u);

    // InsertAtCursor links the object itself.
    LNRTContainer top;
    ASSERT_EQ(richText.GetRTContainer(&top), 0u);
    LNStylizedText own(LNString("!"));
    ASSERT_EQ(top.InsertAtCursor(&own, Start(richText)), 0u);
    EXPECT_TRUE(own.IsMember());
    EXPECT_EQ(TextOf(richText).substr(0, 3), "!ab");
}

TEST_F(NavigationTest, TopContainerForwardersAndThrowingAppends) {
    LNRichText richText(LNString("x"));
    EXPECT_EQ(richText.GetType(), LNRTTYPE_RICHTEXT);
    LNRTObject none;
    EXPECT_EQ(richText.GetNext(&none), LNWARN_NOT_FOUND);
    EXPECT_EQ(richText.GetPrevious(&none), LNWARN_NOT_FOUND);
    EXPECT_EQ(richText.GetParent(&none), LNWARN_NOT_FOUND);
    EXPECT_THROW(LNRichText().GetType(), LNSTATUS);

    LNRTContainer box;
    box.AppendOrThrow(LNString("a"));
    box.AppendOrThrow(ParagraphRecord());
    box.AppendOrThrow(richText);
    ASSERT_EQ(box.Append(richText), 0u);
    LNString text;
    ASSERT_EQ(box.GetText(&text), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.GetTextPtr()), "a\nxx");
    // A run takes no objects: the throwing form throws what the other returns.
    LNStylizedText run(LNString("r"));
    EXPECT_EQ(run.Append(ParagraphRecord()), LNERR_RTCHAR_ACCESS);
    EXPECT_THROW(run.AppendOrThrow(ParagraphRecord()), LNSTATUS);
    EXPECT_EQ(box.GetContainerBody()->Reserved(), LNERR_NOT_IMPLEMENTED);

    // A container handle made the top of a rich text's tree.
    LNRTContainer attached;
    attached.AttachToRichText(richText.GetRichTextBody());
    EXPECT_TRUE(attached.IsType(LNRTTYPE_RICHTEXT));
    EXPECT_EQ(attached.GetIndexValue(), LNRT_MIN_INDEX_VALUE);
    EXPECT_EQ(attached.GetEndIndexValue(), LNRT_MAX_INDEX_VALUE);

    LNRichTextBody* body = richText.GetRichTextBody();
    EXPECT_EQ(body->SetItemBlock(0, nnotes::NULLBLOCKID, nnotes::NULLBLOCKID, 0),
              LNERR_SUBSCRIPT_OUT_OF_RANGE);
    std::vector<nnotes::BLOCKID> items;
    uint32_t count = 7;
    ASSERT_EQ(body->GetItemBlocks(&items, &count), 0u);
    EXPECT_EQ(count, 0u);
    body->SetFirstBlockUsed(12);
    EXPECT_EQ(body->GetFirstBlockUsed(), 12u);
}

} // namespace
