// Composite items of a note as the note's item factory opens them: rich-text fields joined from their items,
// the font table, empty rich-text items made by the note, and composite items copied, renamed and deleted.
#include "ln/lncompositehook.h"
#include "ln/lnnote.h"
#include "ln/lntext.h"
#include "lncompositefactory.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "richtextfixture.h"
#include "testsupport/saved_note.h"

namespace {

class CompositeFactoryTest : public NoteRichTextTest {
protected:
    void SetUp() override {
        LNInstallRichTextFactory();
        NoteRichTextTest::SetUp();
    }
    void TearDown() override {
        note_ = LNNote();
        NoteRichTextTest::TearDown();
        LNInstallRichTextFactory();
    }

    void OpenNote(nnotes::NOTEID id) {
        note_ = LNNote(static_cast<LNDatabaseBody*>(db_.GetBody()), id);
        ASSERT_EQ(note_.Open(0), 0u);
    }

    static std::string Text(const LNRichText& richText) {
        LNString text;
        EXPECT_EQ(richText.GetText(&text), 0u);
        return std::string(reinterpret_cast<const char*>(text.GetTextPtr()), text.GetByteLength());
    }

    // Stores a note with a text item "Title" between composite items, each given as (name, records).
    nnotes::NOTEID SaveMixed(std::initializer_list<std::pair<const char*, std::string>> composites) {
        nnotes::NOTEHANDLE note = 0;
        EXPECT_EQ(nnotes::CreateNote(db_.GetHandle(), &note), nnotes::NOERROR);
        bool first = true;
        for (const auto& [name, records] : composites) {
            if (!first) {
                EXPECT_EQ(nnotes::AppendItem(note, 0, "Title", 5, nnotes::TYPE_TEXT, "T", 1, nullptr),
                          nnotes::NOERROR);
            }
            first = false;
            EXPECT_EQ(nnotes::AppendItem(note, 0, name, static_cast<uint16_t>(std::strlen(name)),
                                         nnotes::TYPE_COMPOSITE, records.data(),
                                         static_cast<uint32_t>(records.size()), nullptr),
                      nnotes::NOERROR);
        }
        nnotes::NOTEID id = 0;
        EXPECT_EQ(testsupport::SaveAndClose(note, id), nnotes::NOERROR);
        return id;
    }

    static std::string Value(const std::string& records) { return Word(nnotes::TYPE_COMPOSITE) + records; }

    LNNote note_;
};

std::string FontsRecord(const char* face) {
    std::string name(face);
    name.resize(32, '\0');
    return Word(0xFF8B) + Word(42) + Word(1) + std::string(1, '\x09') + std::string(1, '\x02') + name;
}

TEST_F(CompositeFactoryTest, FieldOfTwoItemsOpensAsOneRichTextAndWritesBack) {
    const nnotes::NOTEID id =
        SaveComposite("Body", {TextRecord("Hello ") + Paragraph(), TextRecord("world")});
    OpenNote(id);
    EXPECT_EQ(note_.GetItemCount(), 1u);
    LNRichText richText;
    ASSERT_EQ(note_.GetItem(LNString("Body"), &richText), 0u);
    EXPECT_EQ(richText.GetRichTextBody()->GetItemBlockCount(), 1u);
    EXPECT_EQ(Text(richText), "Hello \nworld");
    EXPECT_EQ(richText.GetValueSize(),
              Value(TextRecord("Hello ") + Paragraph()).size() + Value(TextRecord("world")).size());
    // Either item of the field finds the same body.
    const nnotes::BLOCKID second = [&] {
        nnotes::BLOCKID item{};
        nnotes::FindItemByName(note_.GetNoteBody()->GetNoteHandle(), "Body", 4, &item, nullptr, nullptr,
                               nullptr);
        nnotes::FindNextItemByName(note_.GetNoteBody()->GetNoteHandle(), "Body", 4, item, &item, nullptr,
                                   nullptr, nullptr);
        return item;
    }();
    LNRichText again;
    ASSERT_EQ(note_.GetNoteBody()->FindItemBodyByBlock(second, &again), 0u);
    EXPECT_EQ(again.GetBody(), richText.GetBody());

    ASSERT_EQ(richText.Append(LNString("!")), 0u);
    ASSERT_EQ(note_.Save(0), 0u);
    richText = LNRichText();
    again = LNRichText();
    note_ = LNNote();
    EXPECT_EQ(StoredValues(id, "Body"),
              std::vector<std::string>{Value(TextRecord("Hello ") + Paragraph() + TextRecord("world!"))});
    OpenNote(id);
    ASSERT_EQ(note_.GetItem(LNString("Body"), &richText), 0u);
    EXPECT_EQ(Text(richText), "Hello \nworld!");
}

TEST_F(CompositeFactoryTest, LaterItemsOfAFieldJoinItAcrossOtherItems) {
    const nnotes::NOTEID id =
        SaveMixed({{"Body", TextRecord("one")}, {"Other", TextRecord("two")}, {"Body", TextRecord("three")}});
    OpenNote(id);
    // Body (two items), Title, Other, Title.
    EXPECT_EQ(note_.GetItemCount(), 4u);
    LNRichText body;
    ASSERT_EQ(note_.GetItem(LNString("Body"), &body), 0u);
    EXPECT_EQ(Text(body), "onethree");
    LNRichText other;
    ASSERT_EQ(note_.GetItem(LNString("Other"), &other), 0u);
    EXPECT_EQ(Text(other), "two");
}

// A plain item read first gets its body alone; the rich-text field asked for later still joins every item
// of its own, and the font table is still the note's.
TEST_F(CompositeFactoryTest, FieldsAskedForAfterAPlainItemJoinAsAtTheOpen) {
    const nnotes::NOTEID id =
        SaveMixed({{"Body", TextRecord("one")}, {"Other", TextRecord("two")}, {"Body", TextRecord("three")}});
    OpenNote(id);
    LNText title;
    ASSERT_EQ(note_.GetItem(LNString("Title"), &title), 0u);
    LNRichText body;
    ASSERT_EQ(note_.GetItem(LNString("Body"), &body), 0u);
    EXPECT_EQ(Text(body), "onethree");
    EXPECT_EQ(note_.GetItemCount(), 4u);
    LNRichText other;
    ASSERT_EQ(note_.GetItem(LNString("Other"), &other), 0u);
    EXPECT_EQ(Text(other), "two");

    const nnotes::NOTEID styled =
        SaveMixed({{"$Fonts", FontsRecord("Garamond")}, {"Body", TextRecord("styled", 0x0A000009)}});
    body = LNRichText();
    other = LNRichText();
    title = LNText();
    OpenNote(styled);
    ASSERT_EQ(note_.GetItem(LNString("Title"), &title), 0u);
    LNRichText richText;
    ASSERT_EQ(note_.GetItem(LNString("Body"), &richText), 0u);
    LNFontTable found;
    ASSERT_EQ(richText.GetRichTextBody()->GetFontTable(&found), 0u);
    LNFontFace face{};
    ASSERT_EQ(found.GetFace(9, &face), 0u);
    EXPECT_STREQ(face.Name, "Garamond");
}

// The item just before a later item of a field was read first: the field still joins that item, as the
// note's open would, rather than a second rich text of the name standing for it.
TEST_F(CompositeFactoryTest, AFieldJoinsItsItemThatFollowsAnItemReadFirst) {
    const nnotes::NOTEID id = SaveMixed({{"Body", TextRecord("one")}, {"Body", TextRecord("three")}});
    OpenNote(id);
    LNText title;
    ASSERT_EQ(note_.GetItem(LNString("Title"), &title), 0u);
    LNRichText body;
    ASSERT_EQ(note_.GetItem(LNString("Body"), &body), 0u);
    EXPECT_EQ(Text(body), "onethree");
    // Body (two items) and Title.
    EXPECT_EQ(note_.GetItemCount(), 2u);
    ASSERT_EQ(body.Append(LNString("!")), 0u);
    ASSERT_EQ(note_.Save(0), 0u);
    body = LNRichText();
    title = LNText();
    note_ = LNNote();
    EXPECT_EQ(StoredValues(id, "Body"),
              std::vector<std::string>{Value(TextRecord("one") + TextRecord("three!"))});
}

// Rich text made before any item of the note was read: a field of the name already stored takes its items.
TEST_F(CompositeFactoryTest, RichTextCopiedIntoANoteNotReadYetJoinsItsField) {
    const nnotes::NOTEID id = SaveMixed({{"Body", TextRecord("one")}, {"Other", TextRecord("two")}});
    const nnotes::NOTEID source = SaveComposite("Body", {TextRecord("more")});
    OpenNote(source);
    LNRichText more;
    ASSERT_EQ(note_.GetItem(LNString("Body"), &more), 0u);
    LNNote target(static_cast<LNDatabaseBody*>(db_.GetBody()), id);
    ASSERT_EQ(target.Open(0), 0u);
    LNRichText joined;
    ASSERT_EQ(target.CreateItem(LNString("Body"), more, 0, LNITEMDUP_ADD, &joined), 0u);
    EXPECT_EQ(Text(joined), "onemore");
    EXPECT_EQ(target.GetItemCount(), 3u);
    LNRichText body;
    ASSERT_EQ(target.GetItem(LNString("Body"), &body), 0u);
    EXPECT_EQ(body.GetBody(), joined.GetBody());
}

TEST_F(CompositeFactoryTest, FontsItemOpensAsTheNotesFontTable) {
    const nnotes::NOTEID id =
        SaveMixed({{"$Fonts", FontsRecord("Garamond")}, {"Body", TextRecord("styled", 0x0A000009)}});
    OpenNote(id);
    LNFontTable table;
    ASSERT_EQ(note_.GetItem(LNString("$Fonts"), &table), 0u);
    LNFontFace face{};
    ASSERT_EQ(table.GetFace(9, &face), 0u);
    EXPECT_STREQ(face.Name, "Garamond");
    LNRichText richText;
    ASSERT_EQ(note_.GetItem(LNString("Body"), &richText), 0u);
    LNFontTable found;
    ASSERT_EQ(richText.GetRichTextBody()->GetFontTable(&found), 0u);
    EXPECT_TRUE(found == table);
    // A rich-text handle cannot hold the table, nor a font-table handle the field.
    LNRichText wrong;
    EXPECT_EQ(note_.GetItem(LNString("$Fonts"), &wrong), LNERR_INVALID_PARAMETER);

    uint8_t id10 = 0;
    ASSERT_EQ(table.AddFaceByName(1, "Courier", &id10), 0u);
    EXPECT_EQ(id10, 10);
    ASSERT_EQ(note_.Save(0), 0u);
    table = LNFontTable();
    found = LNFontTable();
    richText = LNRichText();
    note_ = LNNote();
    OpenNote(id);
    ASSERT_EQ(note_.GetItem(LNString("$Fonts"), &table), 0u);
    ASSERT_EQ(table.GetFace(10, &face), 0u);
    EXPECT_STREQ(face.Name, "Courier");
}

TEST_F(CompositeFactoryTest, OnlyTheItemNamedFontsIsTheFontTable) {
    // "$fonts" differs in case.
    OpenNote(SaveMixed({{"$fonts", TextRecord("y")}}));
    LNItem item;
    ASSERT_EQ(note_.GetItem(LNString("$fonts"), &item), 0u);
    EXPECT_EQ(item.GetItemBody()->GetClassID(), LNCLASSID_LNRICHTEXTBODY);
    item = LNItem();
    // "$Fo" is a leading part of "$Fonts" and "$FontsX" goes on: both rich text.
    const nnotes::NOTEID id = SaveMixed(
        {{"$Fo", TextRecord("kept")}, {"$FontsX", TextRecord("x")}, {"Body", TextRecord("styled")}});
    OpenNote(id);
    LNFontTable table;
    EXPECT_EQ(note_.GetFontTable(&table), LNWARN_NOT_FOUND);
    EXPECT_EQ(note_.GetItem(LNString("$Fo"), &table), LNERR_INVALID_PARAMETER);
    LNRichText richText;
    ASSERT_EQ(note_.GetItem(LNString("$Fo"), &richText), 0u);
    EXPECT_EQ(Text(richText), "kept");
    ASSERT_EQ(note_.GetItem(LNString("$FontsX"), &richText), 0u);
    EXPECT_EQ(Text(richText), "x");
    // A new face makes the note its "$Fonts"; the rich text of "$Fo" stays as it was.
    ASSERT_EQ(note_.GetItem(LNString("Body"), &richText), 0u);
    LNRTCursor a;
    LNRTCursor b;
    ASSERT_EQ(richText.GetStartCursor(&a), 0u);
    ASSERT_EQ(richText.GetEndCursor(&b), 0u);
    LNFontFace face{};
    face.Face = 9;
    std::memcpy(face.Name, "Garamond", 8);
    LNFontTable garamond;
    garamond = new LNFontTableBody(face);
    ASSERT_EQ(richText.SetFontStyleInRange(&a, &b, LNFontStyle(0x0A000009u, garamond), 0xFFFFFFFFu), 0u);
    ASSERT_EQ(note_.Save(0), 0u);
    a = LNRTCursor();
    b = LNRTCursor();
    richText = LNRichText();
    note_ = LNNote();
    EXPECT_EQ(StoredValues(id, "$Fo"), std::vector<std::string>{Value(TextRecord("kept"))});
    EXPECT_EQ(StoredValues(id, "$Fonts").size(), 1u);
}

TEST_F(CompositeFactoryTest, SecondFontTableStaysAPlainItem) {
    const nnotes::NOTEID id =
        SaveMixed({{"$Fonts", FontsRecord("Garamond")}, {"$Fonts", FontsRecord("Courier")}});
    OpenNote(id);
    EXPECT_EQ(note_.GetItemCount(), 3u);
    LNFontTable table;
    ASSERT_EQ(note_.GetItem(LNString("$Fonts"), &table), 0u);
    LNFontFace face{};
    ASSERT_EQ(table.GetFace(9, &face), 0u);
    EXPECT_STREQ(face.Name, "Garamond");
}

TEST_F(CompositeFactoryTest, NoteMakesEmptyRichTextItems) {
    const nnotes::NOTEID id = SaveComposite("Body", {TextRecord("x")});
    OpenNote(id);
    LNRichText created;
    ASSERT_EQ(note_.CreateItem(LNString("Notes"), &created, 0, LNITEMDUP_REFUSE), 0u);
    EXPECT_EQ(Text(created), "");
    ASSERT_EQ(created.Append(LNString("typed in")), 0u);
    ASSERT_EQ(note_.Save(0), 0u);
    created = LNRichText();
    note_ = LNNote();
    OpenNote(id);
    LNRichText read;
    ASSERT_EQ(note_.GetItem(LNString("Notes"), &read), 0u);
    EXPECT_EQ(Text(read), "typed in");
    // A font table cannot be made empty.
    LNFontTable table;
    EXPECT_EQ(note_.CreateItem(LNString("$Fonts"), &table, 0, LNITEMDUP_REFUSE), LNERR_INVALID_PARAMETER);
}

TEST_F(CompositeFactoryTest, FieldsAreCopiedRenamedAndDeletedWithAllTheirItems) {
    const nnotes::NOTEID id = SaveComposite("Body", {TextRecord("first"), TextRecord("second")});
    OpenNote(id);
    LNRichText body;
    ASSERT_EQ(note_.GetItem(LNString("Body"), &body), 0u);

    LNRichText copy;
    ASSERT_EQ(note_.CreateItem(LNString("Copy"), body, 0, LNITEMDUP_REFUSE, &copy), 0u);
    EXPECT_EQ(Text(copy), "firstsecond");
    EXPECT_EQ(copy.GetRichTextBody()->GetItemBlockCount(), 1u);

    // Appended under a name that already holds rich text, the items join that field.
    LNRichText joined;
    ASSERT_EQ(note_.CreateItem(LNString("Copy"), body, 0, LNITEMDUP_ADD, &joined), 0u);
    EXPECT_EQ(joined.GetBody(), copy.GetBody());
    EXPECT_EQ(Text(copy), "firstsecondfirstsecond");

    // A free-standing rich text is stored too.
    LNRichText free(LNString("loose"));
    ASSERT_EQ(note_.CreateItem(LNString("Free"), free, 0, LNITEMDUP_REFUSE, nullptr), 0u);

    ASSERT_EQ(note_.RenameItem(LNString("Body"), LNString("Moved")), 0u);
    EXPECT_EQ(Text(body), "firstsecond");
    ASSERT_EQ(note_.DeleteItem(LNString("Copy")), 0u);
    ASSERT_EQ(note_.Save(0), 0u);
    body = LNRichText();
    copy = LNRichText();
    joined = LNRichText();
    note_ = LNNote();
    EXPECT_TRUE(StoredValues(id, "Body").empty());
    EXPECT_TRUE(StoredValues(id, "Copy").empty());
    EXPECT_EQ(StoredValues(id, "Moved"),
              std::vector<std::string>{Value(TextRecord("first") + TextRecord("second"))});
    OpenNote(id);
    LNRichText stored;
    ASSERT_EQ(note_.GetItem(LNString("Free"), &stored), 0u);
    EXPECT_EQ(Text(stored), "loose");
}

TEST_F(CompositeFactoryTest, WithoutTheRichTextModuleCompositeItemsArePlain) {
    const nnotes::NOTEID id = SaveComposite("Body", {TextRecord("a"), TextRecord("b")});
    LNSetCompositeItemHooks(nullptr);
    OpenNote(id);
    EXPECT_EQ(note_.GetItemCount(), 2u);
    LNItem item;
    ASSERT_EQ(note_.GetItem(LNString("Body"), &item), 0u);
    EXPECT_EQ(item.GetItemBody()->GetClassID(), LNCLASSID_LNITEMBODY);
    LNRichText created;
    EXPECT_EQ(note_.CreateItem(LNString("Notes"), &created, 0, LNITEMDUP_REFUSE), LNERR_INVALID_PARAMETER);
    item = LNItem();
    note_ = LNNote();
    LNInstallRichTextFactory();
    OpenNote(id);
    EXPECT_EQ(note_.GetItemCount(), 1u);
}

} // namespace
