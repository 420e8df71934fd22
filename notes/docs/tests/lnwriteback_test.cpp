// The write-back road: a document by note id, its text item appended to or created, the note saved.
#include "docsfixture.h"
#include "ln/lndocument.h"
#include "ln/lnerrors.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "nnotes/textlist.h"

#include <cstring>

using namespace std::string_literals;

TEST_F(DocsTest, AppendsToAnExistingTextItemAndSaves) {
    const nnotes::NOTEID id = SaveNote({{"History", "first merge"}});
    LNDocument doc(db_.GetDatabaseBody(), id);
    ASSERT_EQ(doc.Open(0), 0u);
    LNText history;
    ASSERT_EQ(doc.GetItem("History", &history), 0u);
    EXPECT_EQ(history.GetCount(), 1u);
    ASSERT_EQ(history.Append("second\nline"), 0u);
    EXPECT_EQ(history.GetCount(), 2u);
    EXPECT_EQ(Text(history[1].GetText()), "second\nline");
    ASSERT_EQ(doc.Save(0), 0u);
    ASSERT_EQ(doc.Close(), 0u);
    // A text list: count 2, lengths 11 and 11, line feed stored as NUL.
    EXPECT_EQ(StoredValue(id, "History"),
              "\x01\x05\x02\x00\x0b\x00\x0b\x00"s + "first merge" + "second\0line"s);
}

TEST_F(DocsTest, CreatesAMissingItemAsPlainText) {
    const nnotes::NOTEID id = SaveNote({{"Subject", "x"}});
    LNDocument doc(db_.GetDatabaseBody(), id);
    ASSERT_EQ(doc.Open(0), 0u);
    LNText history;
    EXPECT_EQ(doc.GetItem("History", &history), nnotes::ERR_ITEM_NOT_FOUND);
    history = LNText();
    ASSERT_EQ(history.Append("merged"), 0u);
    EXPECT_EQ(history.GetItemBody()->GetNSFType(), nnotes::TYPE_TEXT);
    ASSERT_EQ(doc.CreateItem("History", history, 4, LNITEMDUP_REFUSE), 0u);
    ASSERT_EQ(doc.Save(0), 0u);
    doc.Close();
    EXPECT_EQ(StoredValue(id, "History"), "\x00\x05merged"s);
}

TEST_F(DocsTest, DuplicateRules) {
    const nnotes::NOTEID id = SaveNote({{"A", "one"}});
    LNDocument doc(db_.GetDatabaseBody(), id);
    ASSERT_EQ(doc.Open(0), 0u);
    LNText value;
    value.Append("two");
    EXPECT_EQ(doc.CreateItem("A", value, 4, LNITEMDUP_REFUSE), LNERR_ITEM_EXISTS);
    EXPECT_EQ(doc.GetItemCount(), 1u);
    EXPECT_EQ(doc.CreateItem("A", value, 4, LNITEMDUP_ADD), 0u);
    EXPECT_EQ(doc.GetItemCount(), 2u);
    EXPECT_EQ(doc.CreateItem("A", value, 4, LNITEMDUP_REPLACE), 0u);
    EXPECT_EQ(doc.GetItemCount(), 1u);
    LNText a;
    ASSERT_EQ(doc.GetItem("A", &a), 0u);
    EXPECT_EQ(Text(a[0].GetText()), "two");
    EXPECT_EQ(a.GetFlags(), 4u);
}

TEST_F(DocsTest, EmptyAndUnopenedHandles) {
    LNDocument none;
    EXPECT_EQ(none.Open(0), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(none.Close(), LNERR_NOT_INITIALIZED);
    LNDocument named(db_.GetDatabaseBody(), 77);
    EXPECT_EQ(named.Close(), LNERR_NOTE_NOT_OPEN);
    EXPECT_EQ(named.Save(0), LNERR_NOTE_NOT_OPEN);
    const nnotes::NOTEID id = SaveNote({{"A", "x"}});
    LNDocument doc(db_.GetDatabaseBody(), id);
    ASSERT_EQ(doc.Open(0), 0u);
    EXPECT_EQ(doc.Open(0), LNWARN_ALREADY_OPEN);
    EXPECT_EQ(doc.Close(), 0u);
    EXPECT_EQ(doc.Close(), LNWARN_NOT_OPEN);
    EXPECT_EQ(doc.Open(0), 0u);
    EXPECT_TRUE(doc.HasItem("A"));
}

TEST_F(DocsTest, NoteOpenChoosesTheBodyByClass) {
    const nnotes::NOTEID form = SaveNote({{"$TITLE", "Memo"}}, nnotes::NOTE_CLASS_FORM);
    LNNote note(db_.GetDatabaseBody(), form);
    ASSERT_EQ(note.Open(0), 0u);
    EXPECT_EQ(note.GetBody()->GetClassID(), LNCLASSID_LNFORMBODY);
    EXPECT_EQ(Thrown([&] { LNDocument doc(note, 0); }), LNERR_CONVERSION);
    const nnotes::NOTEID id = SaveNote({{"A", "x"}});
    LNNote docNote(db_.GetDatabaseBody(), id);
    ASSERT_EQ(docNote.Open(0), 0u);
    EXPECT_EQ(docNote.GetBody()->GetClassID(), LNCLASSID_LNDOCUMENTBODY);
}

TEST_F(DocsTest, NewDocumentsAndMemos) {

    LNSTATUS status = 1;
    auto* memo = new LNDocumentBody(db_.GetDatabaseBody(), &status, LNMAILMSGTYPE_MEMO);
    ASSERT_EQ(status, 0u);
    LNDocument doc;
    doc.SetNoteBody(memo);
    LNString form;
    EXPECT_EQ(doc.GetFormName(&form), 0u);
    EXPECT_EQ(Text(form), "Memo");
    auto* plain = new LNDocumentBody(db_.GetDatabaseBody(), &status, LNMAILMSGTYPE_DOCUMENT);
    LNDocument other;
    other.SetNoteBody(plain);
    EXPECT_EQ(other.GetFormName(&form), LNWARN_NOT_FOUND);
    EXPECT_EQ(Text(form), "");
    EXPECT_EQ(other.GetNoteID(), 0u);
    ASSERT_EQ(other.Save(0), 0u);
    EXPECT_NE(other.GetNoteID(), 0u);
    auto* bad = new LNNoteBody(db_.GetDatabaseBody(), LNNOTECLASS{32}, &status);
    EXPECT_EQ(status, LNERR_NOTE_CREATE);
    delete bad;
}

TEST_F(DocsTest, AListThatWouldOutgrowItsValueIsRefusedWhole) {
    const nnotes::NOTEID id = SaveNote({{"History", "start"}});
    LNDocument doc(db_.GetDatabaseBody(), id);
    ASSERT_EQ(doc.Open(0), 0u);
    LNText history;
    ASSERT_EQ(doc.GetItem("History", &history), 0u);
    const LNString chunk(std::string(30000, 'x').c_str());
    ASSERT_EQ(history.Append(chunk), 0u);
    ASSERT_EQ(history.Append(chunk), 0u);
    const uint32_t size = history.GetValueSize();
    EXPECT_EQ(history.Append(chunk), nnotes::ERR_TEXTLIST_TOO_LARGE);
    EXPECT_EQ(history.GetCount(), 3u);
    EXPECT_EQ(history.GetValueSize(), size);
    EXPECT_EQ(Text(history[0].GetText()), "start");
}

TEST_F(DocsTest, ANoteWithoutItemsOpensEmpty) {
    nnotes::NOTEHANDLE note = 0;
    ASSERT_EQ(nnotes::CreateNote(db_.GetHandle(), &note), nnotes::NOERROR);
    ASSERT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR);
    nnotes::NOTEID id = 0;
    nnotes::GetNoteInfo(note, nnotes::NOTE_INFO_ID, &id);
    nnotes::CloseNote(note);
    LNDocument doc(db_.GetDatabaseBody(), id);
    ASSERT_EQ(doc.Open(0), 0u);
    EXPECT_EQ(doc.GetItemCount(), 0u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetSize(), 0u);
}

TEST_F(DocsTest, ADocumentFromTheDatabaseLeavesItOpen) {
    const nnotes::NOTEID id = SaveNote({{"History", "h"}});
    LNDocument doc;
    ASSERT_EQ(db_.GetDocument(id, &doc), 0u);
    ASSERT_EQ(doc.Open(0), 0u);
    LNText history;
    ASSERT_EQ(doc.GetItem("History", &history), 0u);
    ASSERT_EQ(history.Append("merged"), 0u);
    ASSERT_EQ(doc.Save(0), 0u);
    ASSERT_EQ(doc.Close(), 0u);
    EXPECT_TRUE(db_.IsOpen());
    EXPECT_EQ(StoredValue(id, "History"), "\x01\x05\x02\x00\x01\x00\x06\x00hmerged"s);
}
