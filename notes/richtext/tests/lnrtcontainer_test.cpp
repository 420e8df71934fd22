#include "ln/lnrichtext.h"
#include "ln/lnrtcontainer.h"
#include "ln/lnrtcursor.h"
#include "ln/lnrtelement.h"
#include "ln/lnstylizedtext.h"
#include "richtextfixture.h"

namespace {

using ContainerTest = RichTextTest;

// A free-standing container over [index, end].
LNRTContainer Spanning(uint32_t index, uint32_t end) {
    auto* body = new LNRTContainerBody();
    body->SetIndexValue(index);
    body->SetEndIndexValue(end);
    return LNRTContainer(LNRTObject(body));
}

LNRTObject Element() {
    return LNRTObject(new LNRTElementBody(LNRTTYPE_COMPOSITE_DATA));
}

TEST_F(ContainerTest, FirstChildTakesAStepOfTheSpan) {
    LNRTContainer wide = Spanning(1, LNRT_MAX_INDEX_VALUE);
    LNRTObject a = Element();
    ASSERT_EQ(wide.AppendChild(&a), 0u);
    EXPECT_EQ(a.GetIndexValue(), 100001u);
    LNRTContainer narrow = Spanning(1000, 1080);
    LNRTObject b = Element();
    ASSERT_EQ(narrow.AppendChild(&b), 0u);
    EXPECT_EQ(b.GetIndexValue(), 1010u);
    EXPECT_EQ(LNRTIndexStep(1000000), 125000u);
    EXPECT_EQ(LNRTIndexStep(1000001), 100000u);
}

TEST_F(ContainerTest, TinySpanIsRenumberedBeforeNumbering) {
    // A container over [1, 9] inside a wide top gets room from the top's renumbering.
    LNRTContainer top = Spanning(1, LNRT_MAX_INDEX_VALUE);
    LNRTContainer inner = Spanning(1, LNRT_NO_INDEX_VALUE);
    ASSERT_EQ(top.AppendChild(&inner), 0u);
    inner.GetObjectBody()->SetIndexValue(1);
    inner.GetObjectBody()->SetEndIndexValue(9);
    LNRTObject child = Element();
    ASSERT_EQ(inner.AppendChild(&child), 0u);
    EXPECT_GT(child.GetIndexValue(), inner.GetIndexValue());
    EXPECT_LT(child.GetIndexValue(), inner.GetEndIndexValue());
}

TEST_F(ContainerTest, RenumberSpreadsChildren) {
    LNRTContainer box = Spanning(1000, 1700);
    LNRTObject kids[3] = {Element(), Element(), Element()};
    for (LNRTObject& kid : kids)
        ASSERT_EQ(box.AppendChild(&kid), 0u);
    ASSERT_EQ(box.GetObjectBody()->RenumberChildren(), 0u);
    EXPECT_EQ(kids[0].GetIndexValue(), 1100u);
    EXPECT_EQ(kids[1].GetIndexValue(), 1300u);
    EXPECT_EQ(kids[2].GetIndexValue(), 1500u);
    // Seven children need a span of at least 15.
    LNRTContainer tight = Spanning(0, 14);
    auto* body = static_cast<LNRTContainerBody*>(tight.GetObjectBody());
    LNRTObject first = Element();
    ASSERT_EQ(box.RemoveChild(&kids[0]), 0u);
    EXPECT_TRUE(kids[0].IsNull());
    ASSERT_EQ(tight.AppendChild(&first), 0u);
    LNRTObject previous = first;
    for (int i = 0; i < 6; ++i) {
        LNRTObject next = Element();
        body->SetEndIndexValue(LNRT_MAX_INDEX_VALUE);
        ASSERT_EQ(previous.InsertAfter(&next), 0u);
        previous = next;
    }
    body->SetEndIndexValue(14);
    EXPECT_EQ(body->RenumberChildren(), LNERR_CORRUPTED);
}

TEST_F(ContainerTest, InsertAfterAndBeforeKeepDocumentOrder) {
    LNRTContainer top = Spanning(1, LNRT_MAX_INDEX_VALUE);
    LNRTObject child = Element();
    ASSERT_EQ(top.AppendChild(&child), 0u);
    child.GetObjectBody()->SetIndexValue(500000000);
    LNRTObject after = Element();
    ASSERT_EQ(child.InsertAfter(&after), 0u);
    EXPECT_EQ(after.GetIndexValue(), 500100000u);
    EXPECT_EQ(after.GetEndIndexValue(), 500100000u);
    LNRTObject before = Element();
    ASSERT_EQ(child.InsertBefore(&before), 0u);
    LNRTObject first;
    ASSERT_EQ(top.GetFirstChild(&first), 0u);
    EXPECT_TRUE(first == before);
    EXPECT_TRUE(before.IsBefore(child));
    EXPECT_TRUE(child.IsBefore(after));
    EXPECT_EQ(top.GetChildCount(), 3u);
    // An object already in a container is refused and nothing changes.
    EXPECT_EQ(child.InsertAfter(&after), LNERR_ALREADY_IN_CONTAINER);
    EXPECT_EQ(top.GetChildCount(), 3u);
}

TEST_F(ContainerTest, NarrowGapAfterLastChildRenumbersParent) {
    LNRTContainer top = Spanning(1, LNRT_MAX_INDEX_VALUE);
    LNRTObject child = Element();
    ASSERT_EQ(top.AppendChild(&child), 0u);
    child.GetObjectBody()->SetIndexValue(3999999992u);
    LNRTObject after = Element();
    ASSERT_EQ(child.InsertAfter(&after), 0u);
    EXPECT_LT(child.GetIndexValue(), 3999999992u);
    EXPECT_TRUE(child.IsBefore(after));
}

TEST_F(ContainerTest, AppendTextJoinsTheLastRun) {
    LNRTContainer box;
    ASSERT_EQ(box.Append(LNString("Hello")), 0u);
    ASSERT_EQ(box.Append(LNString(", world")), 0u);
    EXPECT_EQ(box.GetChildCount(), 1u);
    ASSERT_EQ(box.Append(Element()), 0u);
    ASSERT_EQ(box.Append(LNString("!")), 0u);
    EXPECT_EQ(box.GetChildCount(), 3u);
    LNString text;
    ASSERT_EQ(box.GetText(&text), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.GetTextPtr()), "Hello, world!");
}

TEST_F(ContainerTest, MembershipAndLeaves) {
    LNRTContainer one;
    LNRTContainer two;
    ASSERT_EQ(one.Append(LNString("a")), 0u);
    ASSERT_EQ(two.Append(LNString("b")), 0u);
    LNRTObject inOne;
    ASSERT_EQ(one.GetFirstChild(&inOne), 0u);
    EXPECT_EQ(two.RemoveChild(&inOne), LNERR_NOT_IN_CONTAINER);
    LNRTObject leaf = Element();
    LNRTObject orphan = Element();
    EXPECT_EQ(leaf.AppendChild(&orphan), LNERR_ELEMENT_CHILD);
    EXPECT_FALSE(leaf.GetObjectBody()->HasChildren());
    EXPECT_EQ(one.GetObjectBody()->Close(), 0u);
    EXPECT_EQ(one.GetObjectBody()->Close(), LNWARN_NOT_OPEN);
    EXPECT_THROW(LNRTContainer{leaf}, LNSTATUS);
}

TEST_F(ContainerTest, DeepCopyDoesNotLinkTheSource) {
    LNRTContainer box;
    ASSERT_EQ(box.Append(LNString("one")), 0u);
    LNRTContainer nested;
    ASSERT_EQ(nested.Append(LNString("two")), 0u);
    ASSERT_EQ(box.Append(nested), 0u);
    EXPECT_EQ(box.GetChildCount(), 2u);
    EXPECT_EQ(nested.GetObjectBody()->GetParent(), nullptr);
    LNString text;
    ASSERT_EQ(box.GetText(&text), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.GetTextPtr()), "onetwo");
}

TEST_F(ContainerTest, WhatHoldsAnObjectBesidesItsTree) {
    LNRichText richText(LNString("ab"));
    ASSERT_EQ(richText.Append(ParagraphRecord()), 0u);
    ASSERT_EQ(richText.Append(LNString("cd")), 0u);
    // The rich text holds its top container; each child is held by one link of the tree.
    LNRTContainer top;
    ASSERT_EQ(richText.GetRTContainer(&top), 0u);
    EXPECT_TRUE(top.GetObjectBody()->IsReferencedOnlyByTree());
    LNRTObject first;
    ASSERT_EQ(top.GetFirstChild(&first), 0u);
    LNRTObject paragraph;
    ASSERT_EQ(first.GetNext(&paragraph), 0u);
    EXPECT_TRUE(first.GetObjectBody()->IsReferencedOnlyByTree());
    EXPECT_TRUE(paragraph.GetObjectBody()->IsReferencedOnlyByTree());
    {
        const LNRTObject another = paragraph;
        EXPECT_FALSE(paragraph.GetObjectBody()->IsReferencedOnlyByTree());
    }
    EXPECT_TRUE(paragraph.GetObjectBody()->IsReferencedOnlyByTree());
    // A cursor on a run holds the run too.
    {
        const LNRTCursor cursor(LNRTStop{first.GetObjectBody(), 2}, false);
        EXPECT_FALSE(first.GetObjectBody()->IsReferencedOnlyByTree());
    }
    EXPECT_TRUE(first.GetObjectBody()->IsReferencedOnlyByTree());
    // A detached object is held by handles alone; a closed one by nothing that counts.
    LNRTObject removed = paragraph;
    ASSERT_EQ(richText.RemoveChild(&paragraph), 0u);
    EXPECT_TRUE(removed.GetObjectBody()->IsReferencedOnlyByTree());
    EXPECT_EQ(removed.GetObjectBody()->Close(), 0u);
    EXPECT_FALSE(removed.GetObjectBody()->IsReferencedOnlyByTree());
}

TEST_F(ContainerTest, LastSiblingsAndContainersTakenByBody) {
    LNRichText richText(LNString("ab"));
    ASSERT_EQ(richText.Append(ParagraphRecord()), 0u);
    ASSERT_EQ(richText.Append(LNString("cd")), 0u);
    LNRTContainer top;
    ASSERT_EQ(richText.GetRTContainer(&top), 0u);
    LNRTObject first;
    ASSERT_EQ(top.GetFirstChild(&first), 0u);
    LNRTObject last;
    ASSERT_EQ(top.GetLastChild(&last), 0u);
    LNRTObject found;
    ASSERT_EQ(first.GetLastSibling(&found), 0u);
    EXPECT_TRUE(found == last);
    EXPECT_EQ(first.GetObjectBody()->GetLastSibling(), last.GetObjectBody());
    ASSERT_EQ(last.GetLastSibling(&found), 0u);
    EXPECT_TRUE(found == last);
    // A character's siblings are the characters of its run.
    const LNRTObject a(first.GetObjectBody(), 1);
    ASSERT_EQ(a.GetLastSibling(&found), 0u);
    EXPECT_EQ(found.GetObjectBody(), first.GetObjectBody());
    EXPECT_EQ(found.GetCharacterOffset(), 2u);
    EXPECT_EQ(LNRTObject().GetLastSibling(&found), LNERR_NOT_INITIALIZED);

    LNRTContainer byBody;
    byBody = top.GetContainerBody();
    EXPECT_TRUE(byBody == top);
    EXPECT_EQ(byBody.GetChildCount(), 3u);
    byBody = nullptr;
    EXPECT_TRUE(byBody.IsNull());
}

} // namespace
