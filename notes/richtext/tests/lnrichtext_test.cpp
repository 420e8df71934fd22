#include "ln/lnfontstyle.h"
#include "ln/lnfonttable.h"
#include "ln/lnnote.h"
#include "ln/lnrichtext.h"
#include "ln/lnrtcursor.h"
#include "ln/lnrtelement.h"
#include "ln/lnstylizedtext.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"
#include "richtextfixture.h"
#include "testsupport/item_bytes.h"

namespace {

class RichTextItemTest : public NoteRichTextTest {
protected:
    // Opens the note and gives the rich-text handle of name, whose body joins every item of the name.
    LNRichText Open(nnotes::NOTEID id, const char* name) {
        note_ = LNNote(static_cast<LNDatabaseBody*>(db_.GetBody()), id);
        EXPECT_EQ(note_.Open(0), 0u);
        LNRichText richText;
        EXPECT_EQ(note_.GetItem(LNString(name), &richText), 0u);
        return richText;
    }

    std::string Text(const LNRichText& richText) {
        LNString text;
        EXPECT_EQ(richText.GetText(&text), 0u);
        return std::string(reinterpret_cast<const char*>(text.GetTextPtr()), text.GetByteLength());
    }

    // Writes the field under its own name and stores the note.
    void FlushAndSave(LNRichText& richText, const char* name) {
        const LNString itemName(name);
        ASSERT_EQ(richText.Flush(&itemName), 0u);
        ASSERT_EQ(note_.Save(0), 0u);
    }

    LNNote note_;
};

std::string Value(const std::string& records) {
    return Word(nnotes::TYPE_COMPOSITE) + records;
}

TEST_F(RichTextItemTest, FieldOfThreeItemsLoadsAsOneTree) {
    const nnotes::NOTEID id = SaveComposite(
        "Body", {TextRecord("one") + Paragraph(), TextRecord("two"), Word(0x02A4) + TextRecord("three")});
    LNRichText richText = Open(id, "Body");
    EXPECT_EQ(Text(richText), "one\ntwo\tthree");
    LNRTContainer top;
    ASSERT_EQ(richText.GetRTContainer(&top), 0u);
    EXPECT_EQ(top.GetChildCount(), 5u);
    EXPECT_FALSE(richText.IsDirty());
}

TEST_F(RichTextItemTest, RewrittenValueMatchesByteForByte) {
    // Records with 2-, 4- and 6-byte headers, an odd record and an empty one.
    const std::string records = TextRecord("Dear reader,") + Paragraph() + Word(0x0781) + "abcde" + '\0' +
                                Word(0x0001) + Dword(10) + "wxyz" + WordRecord(0xFFA8, 0) + TextRecord("odd");
    const nnotes::NOTEID id = SaveComposite("Body", {records});
    {
        LNRichText richText = Open(id, "Body");
        FlushAndSave(richText, "Body");
    }
    note_ = LNNote();
    EXPECT_EQ(StoredValues(id, "Body"), std::vector<std::string>{Value(records)});
}

TEST_F(RichTextItemTest, HundredBytesOfRecordsIsOneItem) {
    const nnotes::NOTEID id = SaveComposite("Body", {WordRecord(0xFF99, 100)});
    {
        LNRichText richText = Open(id, "Body");
        FlushAndSave(richText, "Body");
    }
    note_ = LNNote();
    const std::vector<std::string> stored = StoredValues(id, "Body");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].size(), 102u);
}

TEST_F(RichTextItemTest, LargeFieldIsSplitIntoItemsOfAtMost40960Bytes) {
    const std::string record = WordRecord(0xFF99, 100);
    const nnotes::NOTEID id = SaveComposite("Body", {record});
    {
        LNRichText richText = Open(id, "Body");
        LNCompositeData data;
        ASSERT_EQ(data.WriteData(100, record.data(), 0), 0u);
        for (int i = 1; i < 500; ++i)
            ASSERT_EQ(richText.Append(data), 0u);
        EXPECT_TRUE(richText.IsDirty());
        FlushAndSave(richText, "Body");
        EXPECT_FALSE(richText.IsDirty());
        EXPECT_EQ(richText.GetValueSize(), 50004u);
    }
    note_ = LNNote();
    const std::vector<std::string> stored = StoredValues(id, "Body");
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].size(), 40902u);
    EXPECT_EQ(stored[1].size(), 9102u);
    EXPECT_EQ(stored[1].substr(0, 2), Word(nnotes::TYPE_COMPOSITE));
    // Read back as one field and written again, it keeps the same two items.
    {
        LNRichText again = Open(id, "Body");
        LNRTContainer top;
        ASSERT_EQ(again.GetRTContainer(&top), 0u);
        EXPECT_EQ(top.GetChildCount(), 500u);
        FlushAndSave(again, "Body");
    }
    note_ = LNNote();
    EXPECT_EQ(StoredValues(id, "Body"), stored);
}

TEST_F(RichTextItemTest, EditsAreWrittenBack) {
    const nnotes::NOTEID id = SaveComposite("Body", {TextRecord("Hello") + Paragraph()});
    {
        LNRichText richText = Open(id, "Body");
        ASSERT_EQ(richText.Append(LNString("again")), 0u);
        ASSERT_EQ(richText.Flush(), 0u);
        ASSERT_EQ(note_.Save(0), 0u);
    }
    note_ = LNNote();
    EXPECT_EQ(StoredValues(id, "Body"),
              std::vector<std::string>{Value(TextRecord("Hello") + Paragraph() + TextRecord("again"))});
}

TEST_F(RichTextItemTest, RangeEditsOfAStoredField) {
    const nnotes::NOTEID id =
        SaveComposite("Body", {TextRecord("Dear Sir,") + Paragraph() + TextRecord("Regards")});
    {
        LNRichText richText = Open(id, "Body");
        LNRTCursor a;
        ASSERT_EQ(richText.GetStartCursor(&a), 0u);
        a += 5;
        LNRTCursor b = Ahead(a, 3);
        ASSERT_EQ(richText.DeleteRange(&a, &b), 0u);
        ASSERT_EQ(richText.InsertTextAtCursor(LNString("Madam"), a), 0u);
        EXPECT_EQ(Text(richText), "Dear Madam,\nRegards");
        ASSERT_EQ(richText.Flush(), 0u);
        ASSERT_EQ(note_.Save(0), 0u);
    }
    note_ = LNNote();
    EXPECT_EQ(StoredValues(id, "Body"),
              std::vector<std::string>{
                  Value(TextRecord("Dear ") + TextRecord("Madam,") + Paragraph() + TextRecord("Regards"))});
}

TEST_F(RichTextItemTest, AFailedFlushLeavesTheFieldAsItWas) {
    const nnotes::NOTEID id = SaveComposite("Body", {TextRecord("Hello")});
    // How many items a note opened as this one can still take.
    nnotes::NOTEHANDLE probe = 0;
    ASSERT_EQ(nnotes::OpenNote(db_.GetHandle(), id, 0, &probe), nnotes::NOERROR);
    uint32_t room = 0;
    while (nnotes::AppendItem(probe, 0, "Pad", 3, nnotes::TYPE_TEXT, "x", 1, nullptr) == nnotes::NOERROR)
        ++room;
    nnotes::CloseNote(probe);
    ASSERT_GT(room, 1u);
    LNRichText richText = Open(id, "Body");
    ASSERT_EQ(richText.Append(LNString(std::string(50000, 'a').c_str())), 0u);
    // Room for the field's first item, not for its second.
    const nnotes::NOTEHANDLE note = note_.GetNoteBody()->GetNoteHandle();
    for (uint32_t i = 0; i + 1 < room; ++i)
        ASSERT_EQ(nnotes::AppendItem(note, 0, "Pad", 3, nnotes::TYPE_TEXT, "x", 1, nullptr), nnotes::NOERROR);
    EXPECT_NE(richText.Flush(), 0u);
    const std::vector<testsupport::ItemBytes> values = testsupport::ReadItems(note, "Body");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].value, Value(TextRecord("Hello")));
    // The edit is still there to be written.
    EXPECT_TRUE(richText.IsDirty());
    EXPECT_EQ(Text(richText).size(), 50005u);
}

LNFontTable Garamond() {
    LNFontFace face{};
    face.Face = 9;
    face.Family = 2;
    std::memcpy(face.Name, "Garamond", 8);
    LNFontTable table;
    table = new LNFontTableBody(face);
    return table;
}

// The name of the face of the first run of the field, as the note's font table gives it.
std::string FirstRunFace(LNNote& note, const char* field) {
    LNRichText richText;
    EXPECT_EQ(note.GetItem(LNString(field), &richText), 0u);
    LNRTObject run;
    EXPECT_EQ(richText.GetFirstChild(&run), 0u);
    LNFontStyle style;
    EXPECT_EQ(LNStylizedText(run).GetFontStyle(&style), 0u);
    LNFontTable table;
    if (note.GetFontTable(&table) != 0u) return "(no font table)";
    // A style made over the note takes the same table.
    LNFontStyle overNote(style.GetFontID(), note);
    LNFontTable styleTable;
    EXPECT_EQ(overNote.GetFontTable(&styleTable), 0u);
    EXPECT_TRUE(styleTable == table);
    LNFontFace face{};
    if (table.GetFace(style.GetFaceID(), &face) != 0u) return "(unknown face)";
    return face.Name;
}

TEST_F(RichTextItemTest, NewFacesGiveANoteWithoutFontsItsFontTable) {
    const nnotes::NOTEID id = SaveComposite("Body", {TextRecord("Hello")});
    {
        LNRichText richText = Open(id, "Body");
        LNFontTable none;
        EXPECT_EQ(note_.GetFontTable(&none), LNWARN_NOT_FOUND);
        EXPECT_EQ(note_.GetFontTable(nullptr), LNERR_INVALID_PARAMETER);
        EXPECT_EQ(LNFontStyle(0x0A000001u, note_).GetFontTable(&none), LNWARN_NOT_FOUND);
        LNRTCursor a;
        LNRTCursor b;
        ASSERT_EQ(richText.GetStartCursor(&a), 0u);
        ASSERT_EQ(richText.GetEndCursor(&b), 0u);
        ASSERT_EQ(richText.SetFontStyleInRange(&a, &b, LNFontStyle(0x0C000009u, Garamond()), 0xFFFFFFFFu),
                  0u);
        ASSERT_EQ(note_.Save(0), 0u);
    }
    note_ = LNNote(static_cast<LNDatabaseBody*>(db_.GetBody()), id);
    ASSERT_EQ(note_.Open(0), 0u);
    EXPECT_EQ(FirstRunFace(note_, "Body"), "Garamond");

    // A free-standing rich text in that face, copied into another note without fonts.
    LNRichText free(LNString("Free"));
    LNRTCursor a;
    LNRTCursor b;
    ASSERT_EQ(free.GetStartCursor(&a), 0u);
    ASSERT_EQ(free.GetEndCursor(&b), 0u);
    ASSERT_EQ(free.SetFontStyleInRange(&a, &b, LNFontStyle(0x0C000009u, Garamond()), 0xFFFFFFFFu), 0u);
    const nnotes::NOTEID other = SaveComposite("Other", {TextRecord("x")});
    note_ = LNNote(static_cast<LNDatabaseBody*>(db_.GetBody()), other);
    ASSERT_EQ(note_.Open(0), 0u);
    ASSERT_EQ(note_.CreateItem(LNString("Body"), free), 0u);
    ASSERT_EQ(note_.Save(0), 0u);
    note_ = LNNote(static_cast<LNDatabaseBody*>(db_.GetBody()), other);
    ASSERT_EQ(note_.Open(0), 0u);
    EXPECT_EQ(FirstRunFace(note_, "Body"), "Garamond");
}

TEST_F(RichTextItemTest, UnchangedFieldIsNotWritten) {
    const nnotes::NOTEID id = SaveComposite("Body", {TextRecord("same")});
    LNRichText richText = Open(id, "Body");
    const nnotes::BLOCKID before = richText.GetItemBody()->GetItemBlockID();
    EXPECT_EQ(Text(richText), "same");
    ASSERT_EQ(richText.Flush(), 0u);
    const nnotes::BLOCKID after = richText.GetItemBody()->GetItemBlockID();
    EXPECT_EQ(before.pool, after.pool);
    EXPECT_EQ(before.block, after.block);
}

TEST_F(RichTextItemTest, DamagedValuesAreRefusedWhole) {
    const nnotes::NOTEID past = SaveComposite("Body", {TextRecord("ok") + Word(0xFF99) + Word(200)});
    LNRichText richText = Open(past, "Body");
    LNString text;
    EXPECT_EQ(richText.GetText(&text), LNERR_CORRUPTED);
    EXPECT_EQ(text.GetByteLength(), 0u);
    EXPECT_FALSE(richText.GetRichTextBody()->IsLoaded());
    richText = LNRichText();
    note_ = LNNote();
    // A text record whose length is shorter than its own header.
    const nnotes::NOTEID shortText = SaveComposite("Body", {Word(0xFF85) + Word(6) + Word(0)});
    LNRichText damaged = Open(shortText, "Body");
    EXPECT_EQ(damaged.GetText(&text), LNERR_INVALID_RICHTEXT);
    LNSetThrowAllErrors(true);
    EXPECT_THROW(damaged.GetText(&text), LNSTATUS);
}

TEST_F(RichTextItemTest, ByteOperationsOfPlainItemsAreRefused) {
    const nnotes::NOTEID id = SaveComposite("Body", {TextRecord("x")});
    LNRichText richText = Open(id, "Body");
    char byte = 0;
    LNItemBody* body = richText.GetItemBody();
    EXPECT_EQ(body->ReadValue(0, 1, &byte), LNERR_UNEXPECTED_CALLED);
    EXPECT_EQ(body->ReadCanonical(0, nnotes::ODS_WORD, &byte), LNERR_UNEXPECTED_CALLED);
    EXPECT_EQ(body->WriteValue(0, 1, &byte), LNERR_UNEXPECTED_CALLED);
    EXPECT_EQ(body->WriteCanonical(0, nnotes::ODS_WORD, &byte), LNERR_UNEXPECTED_CALLED);
    EXPECT_EQ(body->Close(), 0u);
    EXPECT_EQ(body->Close(), LNWARN_NOT_OPEN);
    LNString text;
    EXPECT_EQ(richText.GetText(&text), LNERR_ALREADY_CLOSED);
    EXPECT_EQ(richText.Append(LNString("x")), LNERR_ALREADY_CLOSED);
}

using FreeRichTextTest = RichTextTest;

TEST_F(FreeRichTextTest, FreeStandingTextAndSelfAppend) {
    LNRichText richText(LNString("ab"));
    ASSERT_EQ(richText.Append(LNRTObject(new LNRTElementBody(LNRTTYPE_COMPOSITE_DATA))), 0u);
    ASSERT_EQ(richText.Append(richText), 0u);
    LNString text;
    ASSERT_EQ(richText.GetText(&text), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.GetTextPtr()), "abab");
    LNRTContainer top;
    ASSERT_EQ(richText.GetRTContainer(&top), 0u);
    EXPECT_EQ(top.GetChildCount(), 4u);
    ASSERT_EQ(richText.Flush(), 0u);
    EXPECT_EQ(richText.GetValueSize(), 2u + 2 * 10u);
    LNRichText copy;
    ASSERT_EQ(copy.Assign(richText), 0u);
    ASSERT_EQ(richText.Append(LNString("c")), 0u);
    LNString copied;
    ASSERT_EQ(copy.GetText(&copied), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(copied.GetTextPtr()), "abab");
}

TEST_F(FreeRichTextTest, ConversionsAndEmptyHandles) {
    LNRichText empty;
    LNString text;
    EXPECT_EQ(empty.GetText(&text), LNERR_NOT_INITIALIZED);
    LNItem plain;
    plain.SetItemBody(nullptr, new LNItemBody());
    EXPECT_THROW(empty = plain, LNSTATUS);
    EXPECT_EQ(empty.Assign(plain), LNERR_INAPPROPRIATE_FOR_OBJECT);
    EXPECT_EQ(empty.Assign(LNItem()), LNERR_NOT_INITIALIZED);
}

} // namespace

namespace {

TEST_F(RichTextItemTest, FontTableIsWrittenBackAsANewItem) {
    const std::string stored = Word(0xFF8B) + Word(42) + Word(1) + std::string(1, '\x09') +
                               std::string(1, '\x02') + std::string("Garamond") + std::string(24, '\0');
    const nnotes::NOTEID id = SaveComposite("$Fonts", {stored});
    note_ = LNNote(static_cast<LNDatabaseBody*>(db_.GetBody()), id);
    ASSERT_EQ(note_.Open(0), 0u);
    LNNoteBody* noteBody = note_.GetNoteBody();
    nnotes::BLOCKID item{};
    ASSERT_EQ(
        nnotes::FindItemByName(noteBody->GetNoteHandle(), "$Fonts", 6, &item, nullptr, nullptr, nullptr),
        nnotes::NOERROR);
    {
        LNFontTable table;
        ASSERT_EQ(note_.GetItem(LNString("$Fonts"), &table), 0u);
        // Unchanged, it is not written.
        ASSERT_EQ(table.GetItemBody()->Flush(nullptr), 0u);
        EXPECT_EQ(table.GetItemBody()->GetItemBlockID().block, item.block);
        uint8_t face = 0;
        ASSERT_EQ(table.AddFaceByName(1, "Courier", &face), 0u);
        EXPECT_EQ(face, 10);
        ASSERT_EQ(table.GetItemBody()->Flush(nullptr), 0u);
        EXPECT_FALSE(table.GetItemBody()->IsDirty());
        ASSERT_EQ(note_.Save(0), 0u);
    }
    note_ = LNNote();
    const std::vector<std::string> values = StoredValues(id, "$Fonts");
    ASSERT_EQ(values.size(), 1u);
    ASSERT_EQ(values[0].size(), 2u + 6u + 2 * 34u);
    EXPECT_EQ(values[0].substr(2, 6), Word(0xFF8B) + Word(76) + Word(2));
    EXPECT_EQ(values[0][42], 10);
    EXPECT_EQ(std::string(values[0].data() + 44), "Courier");
}

} // namespace

namespace {

struct RunInfo {
    std::string text;
    uint8_t attributes;
    uint8_t size;
    std::string face;
    bool operator==(const RunInfo& other) const {
        return text == other.text && attributes == other.attributes && size == other.size &&
               face == other.face;
    }
};

std::ostream& operator<<(std::ostream& out, const RunInfo& run) {
    return out << "{" << run.text << " " << int{run.attributes} << " " << int{run.size} << " " << run.face
               << "}";
}

// Every run of the rich text in document order, with its style and face name.
std::vector<RunInfo> Runs(const LNRichText& richText) {
    std::vector<RunInfo> runs;
    LNRTContainer top;
    EXPECT_EQ(richText.GetRTContainer(&top), 0u);
    LNRTObject run;
    for (LNSTATUS status = top.GetFirstOfType(LNRTTYPE_STYLIZED_TEXT, &run); status == LNNOERROR;
         status = run.GetNextOfType(LNRTTYPE_STYLIZED_TEXT, &run)) {
        LNString text;
        EXPECT_EQ(run.GetText(&text), 0u);
        LNFontStyle style;
        EXPECT_EQ(LNStylizedText(run).GetFontStyle(&style), 0u);
        std::string face = "standard " + std::to_string(style.GetFaceID());
        if (style.GetFaceID() > LNFONT_STANDARD_FACES)
            face = reinterpret_cast<const char*>(style.GetFaceName().GetTextPtr());
        runs.push_back(
            RunInfo{std::string(reinterpret_cast<const char*>(text.GetTextPtr()), text.GetByteLength()),
                    style.GetAttributes(), style.GetPointSize(), face});
    }
    return runs;
}

TEST_F(RichTextItemTest, EditedRichTextSurvivesSaveAndReopen) {
    const nnotes::NOTEID id = SaveComposite("Other", {TextRecord("x")});
    note_ = LNNote(static_cast<LNDatabaseBody*>(db_.GetBody()), id);
    ASSERT_EQ(note_.Open(0), 0u);
    LNRichText richText;
    ASSERT_EQ(note_.CreateItem(LNString("Body"), &richText), 0u);
    // Runs, a paragraph, a nested container, then a run of its own.
    ASSERT_EQ(richText.Append(LNString("Hello world")), 0u);
    LNCompositeData paragraph;
    ASSERT_EQ(paragraph.WriteData(2, Paragraph().data(), 0), 0u);
    ASSERT_EQ(richText.Append(paragraph), 0u);
    LNRTContainer inner;
    ASSERT_EQ(inner.Append(LNString("inner text")), 0u);
    ASSERT_EQ(richText.Append(inner), 0u);
    ASSERT_EQ(richText.Append(LNString("tail")), 0u);

    // Styles: "world" bold and 12 points, "tail" in a face of another table.
    LNRTCursor a;
    LNRTCursor b;
    ASSERT_EQ(richText.GetStartCursor(&a), 0u);
    a += 6;
    b.SetPosition(a);
    b += 5;
    ASSERT_EQ(richText.SetFontStyleInRange(&a, &b, LNFontStyle(0x0C000101u, LNFontTable()), 0xFF00FF00u), 0u);
    ASSERT_EQ(a.FindFirst(LNString("tail")), 0u);
    ASSERT_EQ(richText.GetEndCursor(&b), 0u);
    ASSERT_EQ(richText.SetFontStyleInRange(&a, &b, LNFontStyle(0x0A000009u, Garamond()), 0x000000FFu), 0u);

    // Typing at the start, in the middle, at the end and just after the paragraph.
    LNRTCursor at;
    ASSERT_EQ(richText.GetStartCursor(&at), 0u);
    ASSERT_EQ(richText.InsertTextAtCursor(LNString("A: "), at), 0u);
    ASSERT_EQ(at.FindFirst(LNString("world")), 0u);
    ASSERT_EQ(richText.InsertTextAtCursor(LNString("big "), at), 0u);
    ASSERT_EQ(richText.GetEndCursor(&at), 0u);
    ASSERT_EQ(richText.InsertTextAtCursor(LNString("!"), at), 0u);
    ASSERT_EQ(richText.InsertTextAtCursor(LNString("?"), at), 0u);
    LNRTCursor afterParagraph;
    ASSERT_EQ(richText.GetStartCursor(&afterParagraph), 0u);
    ASSERT_EQ(afterParagraph.GotoFirst(LNRTTYPE_COMPOSITE_DATA), 0u);
    LNRTCursor typed(afterParagraph.GetCursorBody()->GetStop(), true);
    ASSERT_EQ(richText.InsertTextAtCursor(LNString("P"), typed), 0u);
    EXPECT_EQ(Text(richText), "A: Hello big world\nPinner texttail!?");

    // A range from just after the paragraph into the nested container, then restyling inside it.
    LNRTCursor from(afterParagraph.GetCursorBody()->GetStop(), true);
    LNRTCursor to;
    to.SetPosition(from);
    ASSERT_EQ(to.FindFirst(LNString("text")), 0u);
    ASSERT_EQ(richText.DeleteRange(&from, &to), 0u);
    EXPECT_EQ(Text(richText), "A: Hello big world\ntexttail!?");
    LNRTCursor italicTo;
    italicTo.SetPosition(from);
    italicTo += 4;
    ASSERT_EQ(
        richText.SetFontStyleInRange(&from, &italicTo, LNFontStyle(0x0A000201u, LNFontTable()), 0xFF00u), 0u);

    const std::vector<RunInfo> before = Runs(richText);
    ASSERT_EQ(before.size(), 4u);
    EXPECT_EQ(before[0], (RunInfo{"A: Hello ", 0, 10, "standard 1"}));
    EXPECT_EQ(before[1], (RunInfo{"big world", 1, 12, "standard 1"}));
    EXPECT_EQ(before[2], (RunInfo{"text", 2, 10, "standard 1"}));
    EXPECT_EQ(before[3], (RunInfo{"tail!?", 0, 10, "Garamond"}));
    ASSERT_EQ(note_.Save(0), 0u);
    richText = LNRichText();

    LNRichText again = Open(id, "Body");
    EXPECT_EQ(Text(again), "A: Hello big world\ntexttail!?");
    EXPECT_EQ(Runs(again), before);
}

// A "$Fonts" value (after its type word) defining one face.
std::string FontsRecord(uint8_t id, const char* name) {
    std::string face(name);
    face.resize(32, '\0');
    return Word(0xFF8B) + Word(42) + Word(1) + std::string(1, static_cast<char>(id)) +
           std::string(1, '\x02') + face;
}

class CopiedFieldTest : public RichTextItemTest {
protected:
    LNNote OpenNote(nnotes::NOTEID id) {
        LNNote note(static_cast<LNDatabaseBody*>(db_.GetBody()), id);
        EXPECT_EQ(note.Open(0), 0u);
        return note;
    }

    // The faces of the runs of field in the stored note, in order.
    std::vector<std::string> FacesOf(nnotes::NOTEID id, const char* field) {
        LNNote note = OpenNote(id);
        LNRichText richText;
        EXPECT_EQ(note.GetItem(LNString(field), &richText), 0u);
        std::vector<std::string> faces;
        for (const RunInfo& run : Runs(richText))
            faces.push_back(run.face);
        return faces;
    }
};

TEST_F(CopiedFieldTest, FieldsCopiedFromAnotherNoteKeepTheirFaces) {
    // Face 9 is Arial where the field comes from, Courier in one target and undefined in another.
    const nnotes::NOTEID source =
        SaveItems({{"$Fonts", FontsRecord(9, "Arial")}, {"Body", TextRecord("copied", 0x0A000009u)}});
    const nnotes::NOTEID courier =
        SaveItems({{"$Fonts", FontsRecord(9, "Courier")}, {"Body", TextRecord("mine", 0x0A000009u)}});
    const nnotes::NOTEID plain = SaveItems({{"Other", TextRecord("x")}});
    LNNote from = OpenNote(source);
    LNRichText field;
    ASSERT_EQ(from.GetItem(LNString("Body"), &field), 0u);
    {
        // Created as a further item of a field already there: only the copied runs change their faces.
        LNNote into = OpenNote(courier);
        ASSERT_EQ(into.CreateItem(LNString("Body"), field, 0, LNITEMDUP_ADD), 0u);
        ASSERT_EQ(into.CreateItem(LNString("Copy"), field), 0u);
        ASSERT_EQ(into.Save(0), 0u);
    }
    EXPECT_EQ(FacesOf(courier, "Body"), (std::vector<std::string>{"Courier", "Arial"}));
    EXPECT_EQ(FacesOf(courier, "Copy"), (std::vector<std::string>{"Arial"}));
    {
        LNNote into = OpenNote(plain);
        ASSERT_EQ(into.CopyItem(field, LNITEMDUP_REFUSE), 0u);
        ASSERT_EQ(into.Save(0), 0u);
    }
    EXPECT_EQ(FacesOf(plain, "Body"), (std::vector<std::string>{"Arial"}));
    EXPECT_EQ(FacesOf(source, "Body"), (std::vector<std::string>{"Arial"}));
}

TEST_F(RichTextItemTest, StoredRunsLongerThanAnItemCanHoldAreSplitWhenWritten) {
    // Text records of 40,960 and 60,008 bytes, as another program may write them.
    for (const uint32_t length : {40952u, 60000u}) {
        std::string text(length, ' ');
        for (uint32_t i = 0; i < length; ++i)
            text[i] = static_cast<char>('a' + i % 26);
        const nnotes::NOTEID id = SaveComposite("Body", {TextRecord(text) + Paragraph()});
        {
            LNRichText richText = Open(id, "Body");
            EXPECT_EQ(Text(richText), text + "\n");
            ASSERT_EQ(richText.Append(LNString("end")), 0u);
            ASSERT_EQ(richText.Flush(), 0u);
            ASSERT_EQ(note_.Save(0), 0u);
        }
        note_ = LNNote();
        for (const std::string& value : StoredValues(id, "Body"))
            EXPECT_LE(value.size(), LNRICHTEXT_BLOCK_SIZE);
        {
            LNRichText again = Open(id, "Body");
            EXPECT_EQ(Text(again), text + "\nend");
        }
        note_ = LNNote();
    }
}

} // namespace
