// An opened note builds an item's body only when the item is first asked for: items never read keep their
// values across saves, items read late are the version opened, and whatever needs every item (counts, item
// arrays, lookups by name, copies, deleting them all) sees each one once, in the order of the note.
#include "docsfixture.h"
#include "ln/lndocument.h"
#include "ln/lnerrors.h"
#include "ln/lnitemarray.h"
#include "ln/lnnumbers.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

#include <cstring>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

class LateItemsTest : public DocsTest {
protected:
    void SetUp() override {
        DocsTest::SetUp();
        id_ = SaveNote({{"A", "alpha"}, {"B", "beta"}, {"C", "gamma"}, {"D", "delta"}});
        for (const char* name : {"A", "B", "C", "D"})
            stored_.push_back(StoredValue(id_, name));
        doc_ = LNDocument(db_.GetDatabaseBody(), id_);
        ASSERT_EQ(doc_.Open(0), 0u);
    }

    // The names of the note's items, as its item array gives them.
    static std::vector<std::string> Names(LNNote& note) {
        LNItemArray items;
        EXPECT_EQ(note.GetItems(&items), 0u);
        std::vector<std::string> names;
        for (uint32_t i = 0; i < items.GetCount(); ++i)
            names.push_back(Text(items[i].GetName()));
        return names;
    }

    std::string Read(LNNote& note, const char* name) {
        LNText text;
        if (note.GetItem(name, &text) != 0u || text.GetCount() == 0) return "<none>";
        return Text(text[0].GetText());
    }

    // Another writer's change of one text item of the note, saved at once.
    void SaveTheirs(const char* name, const char* text) {
        nnotes::NOTEHANDLE note = 0;
        ASSERT_EQ(nnotes::OpenNote(db_.GetHandle(), id_, 0, &note), nnotes::NOERROR);
        ASSERT_EQ(nnotes::SetItemText(note, name, text, static_cast<uint16_t>(std::strlen(text))),
                  nnotes::NOERROR);
        ASSERT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR);
        ASSERT_EQ(nnotes::CloseNote(note), nnotes::NOERROR);
    }

    nnotes::NOTEID id_ = 0;
    std::vector<std::string> stored_;
    LNDocument doc_;
};

} // namespace

TEST_F(LateItemsTest, ItemsNeverReadKeepTheirValuesAcrossSaves) {
    // Saved with no item read at all, forced so that the note is written.
    ASSERT_EQ(doc_.Save(nnotes::UPDATE_FORCE), 0u);
    // One item appended to, the others never read.
    LNText b;
    ASSERT_EQ(doc_.GetItem("B", &b), 0u);
    ASSERT_EQ(b.Append("more"), 0u);
    ASSERT_EQ(doc_.Save(0), 0u);
    ASSERT_EQ(doc_.Close(), 0u);
    EXPECT_EQ(StoredValue(id_, "A"), stored_[0]);
    EXPECT_EQ(StoredValue(id_, "C"), stored_[2]);
    EXPECT_EQ(StoredValue(id_, "D"), stored_[3]);
    EXPECT_EQ(StoredValue(id_, "B"), "\x01\x05\x02\x00\x04\x00\x04\x00"s + "betamore");
    // Opened again: every item is there once, in the order they were stored.
    ASSERT_EQ(doc_.Open(0), 0u);
    EXPECT_EQ(Names(doc_), (std::vector<std::string>{"A", "C", "D", "B"}));
}

TEST_F(LateItemsTest, ItemsReadAfterOthersChangedAreTheVersionOpened) {
    // Changed in place (which moves C to the end of the note's items) before any other item is read.
    LNText c;
    ASSERT_EQ(doc_.GetItem("C", &c), 0u);
    ASSERT_EQ(c.Append("changed"), 0u);
    ASSERT_EQ(doc_.Save(0), 0u);
    LNText added;
    ASSERT_EQ(added.Append("new"), 0u);
    ASSERT_EQ(doc_.CreateItem("E", added, 0, LNITEMDUP_REFUSE), 0u);
    // Another writer saves B after this note was opened: B read now is still the value opened.
    SaveTheirs("B", "theirs");
    EXPECT_EQ(Read(doc_, "B"), "beta");
    EXPECT_EQ(Read(doc_, "A"), "alpha");
    // The item list has every item once, in the order at open, the new one last, whatever was read first.
    EXPECT_EQ(doc_.GetItemCount(), 5u);
    EXPECT_EQ(Names(doc_), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
    // The other writer's save goes before this one: a conflict, as when every body was built at open.
    LNText b;
    ASSERT_EQ(doc_.GetItem("B", &b), 0u);
    ASSERT_EQ(b.Append("x"), 0u);
    EXPECT_EQ(doc_.Save(0), nnotes::ERR_NOTE_CONFLICT);
    ASSERT_EQ(doc_.Close(), 0u);
    EXPECT_EQ(StoredValue(id_, "B"), "\x00\x05theirs"s);
}

TEST_F(LateItemsTest, ANoteCopiedBeforeItsItemsAreReadCopiesThemAll) {
    LNNote copy;
    ASSERT_EQ(doc_.Duplicate(&copy), 0u);
    // The original changes after the copy was made; the copy keeps what it copied.
    ASSERT_EQ(doc_.DeleteItem("A"), 0u);
    EXPECT_EQ(Read(copy, "D"), "delta");
    EXPECT_EQ(Read(copy, "A"), "alpha");
    EXPECT_EQ(Names(copy), (std::vector<std::string>{"A", "B", "C", "D"}));
    // An item of the original copied into another note before the original read anything else.
    LNDocument other(db_.GetDatabaseBody(), SaveNote({{"Keep", "k"}}));
    ASSERT_EQ(other.Open(0), 0u);
    LNText c;
    ASSERT_EQ(doc_.GetItem("C", &c), 0u);
    ASSERT_EQ(other.CopyItem(c), 0u);
    ASSERT_EQ(other.Save(0), 0u);
    EXPECT_EQ(StoredValue(other.GetNoteID(), "C"), stored_[2]);
    EXPECT_EQ(Names(doc_), (std::vector<std::string>{"B", "C", "D"}));
}

TEST_F(LateItemsTest, ItemsDeletedBeforeTheyAreRead) {
    ASSERT_EQ(doc_.DeleteItem("B"), 0u);
    EXPECT_FALSE(doc_.HasItem("B"));
    LNText gone;
    EXPECT_EQ(doc_.GetItem("B", &gone), nnotes::ERR_ITEM_NOT_FOUND);
    ASSERT_EQ(doc_.Save(0), 0u);
    ASSERT_EQ(doc_.Close(), 0u);
    EXPECT_EQ(StoredValue(id_, "B"), "");
    EXPECT_EQ(StoredValue(id_, "A"), stored_[0]);
    EXPECT_EQ(StoredValue(id_, "D"), stored_[3]);
    // Every item goes, read or not.
    ASSERT_EQ(doc_.Open(0), 0u);
    EXPECT_EQ(Read(doc_, "C"), "gamma");
    ASSERT_EQ(doc_.DeleteAllItems(), 0u);
    EXPECT_EQ(doc_.GetItemCount(), 0u);
    ASSERT_EQ(doc_.Save(0), 0u);
    ASSERT_EQ(doc_.Close(), 0u);
    for (const char* name : {"A", "C", "D"})
        EXPECT_EQ(StoredValue(id_, name), "") << name;
}

TEST_F(LateItemsTest, ReplacingAndRenamingItemsNotReadYet) {
    LNNumbers number;
    ASSERT_EQ(doc_.CreateItem("C", &number, 0, LNITEMDUP_REPLACE), 0u);
    ASSERT_EQ(doc_.RenameItem("A", "Z"), 0u);
    EXPECT_NE(doc_.GetNoteBody()->FindItemBodyByName("D", nnotes::TYPE_TEXT), nullptr);
    EXPECT_EQ(doc_.GetNoteBody()->FindItemBodyByName("C", nnotes::TYPE_TEXT), nullptr);
    EXPECT_EQ(Names(doc_), (std::vector<std::string>{"Z", "B", "D", "C"}));
    ASSERT_EQ(doc_.Save(0), 0u);
    ASSERT_EQ(doc_.Close(), 0u);
    EXPECT_EQ(StoredValue(id_, "Z"), stored_[0]);
    EXPECT_EQ(StoredValue(id_, "A"), "");
    EXPECT_EQ(StoredValue(id_, "B"), stored_[1]);
}

TEST_F(LateItemsTest, CopyingAChangedItemLeavesItsNoteModified) {
    // A changed value, copied before anything asked whether the note changed: copying writes out what the
    // item held pending, which must still count as a change of its note.
    LNText b;
    ASSERT_EQ(doc_.GetItem("B", &b), 0u);
    ASSERT_EQ(b.Append("more"), 0u);
    LNDocument other(db_.GetDatabaseBody(), SaveNote({{"Keep", "k"}}));
    ASSERT_EQ(other.Open(0), 0u);
    ASSERT_EQ(other.CopyItem(b), 0u);
    EXPECT_TRUE(doc_.IsModified());
    ASSERT_EQ(doc_.Save(0), 0u);
    EXPECT_FALSE(doc_.IsModified());
    // The same through a new item made from the changed value.
    ASSERT_EQ(b.Append("again"), 0u);
    ASSERT_EQ(other.CreateItem("Copy", b, 0, LNITEMDUP_REFUSE), 0u);
    EXPECT_TRUE(doc_.IsModified());
}

TEST_F(LateItemsTest, ASaveRefusedForAConflictLeavesTheNoteModified) {
    LNText c;
    ASSERT_EQ(doc_.GetItem("C", &c), 0u);
    ASSERT_EQ(c.Append("ours"), 0u);
    SaveTheirs("A", "theirs");
    EXPECT_EQ(doc_.Save(0), nnotes::ERR_NOTE_CONFLICT);
    // Nothing of ours reached the store: the note still holds unsaved changes.
    EXPECT_TRUE(doc_.IsModified());
    EXPECT_EQ(Read(doc_, "A"), "alpha");
    ASSERT_EQ(doc_.Save(nnotes::UPDATE_FORCE), 0u);
    EXPECT_FALSE(doc_.IsModified());
    ASSERT_EQ(doc_.Close(), 0u);
    EXPECT_EQ(StoredValue(id_, "A"), stored_[0]);
    EXPECT_EQ(StoredValue(id_, "C"), "\x01\x05\x02\x00\x05\x00\x04\x00"s + "gammaours");
}
