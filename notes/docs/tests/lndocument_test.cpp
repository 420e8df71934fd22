// Documents: form and categories, responses, conversions from notes, and what item bodies refuse in a note.
#include "docsfixture.h"
#include "ln/lndocument.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"

using namespace std::string_literals;

namespace {

class DocumentTest : public DocsTest {
protected:
    LNDocument OpenDocument(nnotes::NOTEID id) {
        LNDocument doc(db_.GetDatabaseBody(), id);
        EXPECT_EQ(doc.Open(0), 0u);
        return doc;
    }
};

} // namespace

TEST_F(DocumentTest, FormAndCategories) {
    LNDocument doc = OpenDocument(SaveNote({{"Categories", "Work"}}));
    EXPECT_EQ(Text(doc.GetCategories()[0].GetText()), "Work");
    EXPECT_EQ(doc.SetForm(LNString("")), LNERR_NULL_STRING);
    ASSERT_EQ(doc.SetForm(LNString("Letter")), 0u);
    LNString form;
    ASSERT_EQ(doc.GetFormName(&form), 0u);
    EXPECT_EQ(Text(form), "Letter");
    LNText forms;
    forms << "Reply"
          << "Memo";
    ASSERT_EQ(doc.SetForm(forms), 0u);
    ASSERT_EQ(doc.GetFormName(&form), 0u);
    EXPECT_EQ(Text(form), "Reply");
    EXPECT_EQ(doc.GetFormName(nullptr), LNERR_NULL_POINTER);
    EXPECT_FALSE(doc.IsResponse());
    LNDocument plain = OpenDocument(SaveNote({{"Subject", "s"}}));
    EXPECT_EQ(plain.GetCategories().GetCount(), 0u);
    EXPECT_EQ(plain.GetMailType(), LNMAILMSGTYPE_DOCUMENT);
    EXPECT_EQ(Thrown([] { LNDocument().GetMailType(); }), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([] { LNDocument().IsResponse(); }), LNERR_NOT_INITIALIZED);
    doc.Close();
    EXPECT_EQ(Thrown([&] { doc.GetCategories(); }), LNERR_NOTE_NOT_OPEN);
    EXPECT_EQ(Thrown([&] { doc.IsResponse(); }), LNERR_NOTE_NOT_OPEN);
}

TEST_F(DocumentTest, AMailDocumentClosesOnlyTheDatabaseItOpened) {
    const nnotes::NOTEID id = SaveNote({{"Subject", "s"}});
    LNDocument reply(db_.GetDatabaseBody(), id, LNMAILMSGTYPE_REPLY);
    ASSERT_EQ(reply.Open(0), 0u);
    ASSERT_EQ(reply.Close(), 0u);
    EXPECT_TRUE(db_.IsOpen()) << "the caller opened it";
    LNDatabase other;
    ASSERT_EQ(session_.GetDatabase("docs.nsf", &other), 0u);
    LNDocument mail(other.GetDatabaseBody(), id, LNMAILMSGTYPE_REPLY_TO_ALL);
    ASSERT_EQ(mail.Open(0), 0u);
    EXPECT_TRUE(other.IsOpen());
    ASSERT_EQ(mail.Close(), 0u);
    EXPECT_FALSE(other.IsOpen()) << "the document opened it";
}

TEST_F(DocumentTest, ConversionsFromNotesProbeTheClass) {
    const nnotes::NOTEID id = SaveNote({{"A", "x"}});
    const LNNote unopened(db_.GetDatabaseBody(), id);
    EXPECT_EQ(unopened.GetNoteClass(), nnotes::NOTE_CLASS_DOCUMENT);
    LNDocument doc(unopened, LNMAILMSGTYPE_DOCUMENT);
    EXPECT_EQ(doc.GetMailType(), LNMAILMSGTYPE_DOCUMENT);
    doc = unopened;
    EXPECT_EQ(doc.GetMailType(), 0u);
    ASSERT_EQ(doc.Open(0), 0u);
    EXPECT_TRUE(doc.IsOpen());
    EXPECT_EQ(doc.GetNoteClass(), nnotes::NOTE_CLASS_DOCUMENT);
    const LNNote view(db_.GetDatabaseBody(), SaveNote({{"$TITLE", "V"}}, nnotes::NOTE_CLASS_VIEW));
    EXPECT_EQ(Thrown([&] { doc = view; }), LNERR_CONVERSION);
    EXPECT_EQ(Thrown([] { LNNote().GetNoteClass(); }), LNERR_NOT_INITIALIZED);
    const LNNote missing(db_.GetDatabaseBody(), 0x7FFF);
    EXPECT_EQ(Thrown([&] { missing.GetNoteClass(); }), nnotes::ERR_NOTE_NOT_FOUND);
    LNNote lazy(db_.GetDatabaseBody(), 0x7FFF);
    EXPECT_EQ(lazy.Open(0), nnotes::ERR_NOTE_NOT_FOUND);
    EXPECT_TRUE(lazy.IsNull());
}

TEST_F(DocumentTest, ItemsOfANoteChangeOnlyByWholeValues) {
    LNDocument doc = OpenDocument(SaveNote({{"Subject", "hello"}}));
    LNItem subject;
    ASSERT_EQ(doc.GetItem("Subject", &subject), 0u);
    char bytes[7] = {};
    ASSERT_EQ(subject.ReadValue(0, 7, bytes), 0u);
    EXPECT_EQ(std::string(bytes, 7), "\x00\x05hello"s);
    EXPECT_EQ(subject.ReadValue(1, 7, bytes), LNERR_OFFSET_OUT_OF_ITEM);
    uint16_t type = 0;
    ASSERT_EQ(subject.ReadCanonical(0, nnotes::ODS_WORD, &type), 0u);
    EXPECT_EQ(type, nnotes::TYPE_TEXT);
    EXPECT_EQ(subject.WriteValue(0, 1, bytes), LNERR_INVALID_FOR_NOTE_ITEMS);
    EXPECT_EQ(subject.InsertSpace(0, 1), LNERR_INVALID_FOR_NOTE_ITEMS);
    EXPECT_EQ(subject.DeleteSpace(0, 1), LNERR_INVALID_FOR_NOTE_ITEMS);
    EXPECT_EQ(subject.AllocateValue(4, nnotes::TYPE_NUMBER), LNERR_INVALID_FOR_NOTE_ITEMS);
    EXPECT_FALSE(subject.IsUnstored());
    EXPECT_EQ(Text(subject.GetName()), "Subject");
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { subject.WriteValue(0, 1, bytes); }), LNERR_INVALID_FOR_NOTE_ITEMS);
    LNSetThrowAllErrors(false);
    // Closing the note closes its item bodies; a handle that outlives it holds nothing more.
    doc.Close();
    EXPECT_FALSE(subject.GetItemBody()->IsOpen());
    EXPECT_TRUE(subject.GetName().IsEmpty());
    EXPECT_EQ(subject.ReadValue(0, 1, bytes), LNERR_ITEM_NOT_DEFINED);
}

TEST_F(DocumentTest, TextListsCopiedBetweenItems) {
    LNDocument doc = OpenDocument(SaveNote({{"To", "ann"}}));
    LNText to;
    ASSERT_EQ(doc.GetItem("To", &to), 0u);
    LNText more;
    more << "bob"
         << "cy";
    ASSERT_EQ(to.Insert(0, more), 0u);
    EXPECT_EQ(to.GetCount(), 3u);
    EXPECT_EQ(Text(to[2].GetText()), "ann");
    EXPECT_EQ(to.Insert(9, more), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(to.Insert(0, LNText()), LNERR_INVALID_PARAMETER);
    LNText copy;
    ASSERT_EQ(copy.Append(to), 0u);
    EXPECT_EQ(copy.GetCount(), 3u);
    EXPECT_EQ(copy.GetItemBody()->GetNSFType(), nnotes::TYPE_TEXT_LIST);
    ASSERT_EQ(to.SetText(more), 0u);
    EXPECT_EQ(to.GetCount(), 2u);
    copy << to;
    EXPECT_EQ(copy.GetCount(), 5u);
    EXPECT_EQ(Thrown([&] { copy << LNText(); }), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(LNText().SetText(LNText()), LNERR_INVALID_PARAMETER);
    ASSERT_EQ(doc.Save(0), 0u);
}
