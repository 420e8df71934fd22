// Seeded random notes of rich-text fields (each of one item or more) among plain text items. Opened with some
// of the plain items bound first, in random order (and some plain items deleted then), a note must show what
// it shows when every item is bound right after the open, and a change of a field saved must write the same
// items.
#include "ln/lnitemarray.h"
#include "ln/lnnote.h"
#include "ln/lntext.h"
#include "lncompositefactory.h"
#include "nnotes/note.h"
#include "richtextfixture.h"
#include "testsupport/item_bytes.h"
#include "testsupport/saved_note.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

struct StoredItem {
    std::string name;
    uint16_t type;
    std::string data; // after the type word
};

class LateFieldsTest : public NoteRichTextTest {
protected:
    void SetUp() override {
        LNInstallRichTextFactory();
        NoteRichTextTest::SetUp();
    }
    void TearDown() override {
        NoteRichTextTest::TearDown();
        LNInstallRichTextFactory();
    }

    nnotes::NOTEID Save(const std::vector<StoredItem>& items) {
        nnotes::NOTEHANDLE note = 0;
        EXPECT_EQ(nnotes::CreateNote(db_.GetHandle(), &note), nnotes::NOERROR);
        for (const StoredItem& item : items)
            EXPECT_EQ(nnotes::AppendItem(note, 0, item.name.data(), static_cast<uint16_t>(item.name.size()),
                                         item.type, item.data.data(), static_cast<uint32_t>(item.data.size()),
                                         nullptr),
                      nnotes::NOERROR);
        nnotes::NOTEID id = 0;
        EXPECT_EQ(testsupport::SaveAndClose(note, id), nnotes::NOERROR);
        return id;
    }

    // The plain items of an open note, by item.
    static std::vector<nnotes::BLOCKID> PlainItems(nnotes::NOTEHANDLE note) {
        std::vector<nnotes::BLOCKID> plain;
        nnotes::BLOCKID item{};
        uint16_t type = 0;
        for (nnotes::STATUS status = nnotes::FindItemByName(note, nullptr, 0, &item, &type, nullptr, nullptr);
             status == nnotes::NOERROR;
             status = nnotes::FindNextItemByName(note, nullptr, 0, item, &item, &type, nullptr, nullptr))
            if (type != nnotes::TYPE_COMPOSITE) plain.push_back(item);
        return plain;
    }

    // Lazily, some plain items of the open note get their bodies first, each by its own item, in random
    // order; else every item does at once.
    static void Bind(LNNote& note, bool eager, std::mt19937& rng, std::vector<LNItem>* first) {
        if (eager) {
            note.GetItemCount();
            return;
        }
        std::vector<nnotes::BLOCKID> plain = PlainItems(note.GetNoteBody()->GetNoteHandle());
        std::shuffle(plain.begin(), plain.end(), rng);
        plain.resize(rng() % (plain.size() + 1));
        for (const nnotes::BLOCKID& item : plain) {
            first->emplace_back();
            EXPECT_EQ(note.GetNoteBody()->FindItemBodyByBlock(item, &first->back()), 0u);
        }
    }

    // Every item of the note in the item list's order (name, type, text) and the count.
    static std::string Describe(LNNote& note) {
        std::string seen;
        LNItemArray items;
        note.GetItems(&items);
        for (uint32_t i = 0; i < items.GetCount(); ++i) {
            const LNItem item = items[i];
            const LNString name = item.GetName();
            seen += std::string(name.GetPlatformTextPtr(), name.GetPlatformTextLength()) + " " +
                    std::to_string(item.GetType()) + ": ";
            if (item.GetType() == LNITEMTYPE_RICHTEXT) {
                LNRichText richText;
                richText = item;
                seen += TextOf(richText);
            } else {
                const LNText text(item);
                seen += std::string(text[0].GetText().GetPlatformTextPtr(),
                                    text[0].GetText().GetPlatformTextLength());
            }
            seen += "\n";
        }
        return seen + "count " + std::to_string(note.GetItemCount()) + "\n";
    }

    // What a caller sees of the note and of a copy of it made after some items were bound, and what the
    // store holds after the first field was appended to and the note saved. With dropU, the items "U" are
    // deleted before the item list is taken.
    std::string Observe(nnotes::NOTEID id, bool eager, bool dropU, std::mt19937& rng) {
        std::string seen;
        {
            LNNote note(static_cast<LNDatabaseBody*>(db_.GetBody()), id);
            EXPECT_EQ(note.Open(0), 0u);
            std::vector<LNItem> first;
            Bind(note, eager, rng, &first);
            LNNote copy;
            EXPECT_EQ(note.Duplicate(&copy), 0u);
            Bind(copy, eager, rng, &first);
            if (dropU) {
                const LNSTATUS deleted = note.DeleteItem(LNString("U"));
                seen += "deleted " + std::to_string(deleted) + "\n";
            }
            seen += Describe(note) + "copy\n" + Describe(copy);
            first.clear();
            copy = LNNote();
            LNRichText body;
            if (note.GetItem(LNString("Body"), &body) == 0u) {
                EXPECT_EQ(body.Append(LNString("!")), 0u);
            }
            EXPECT_EQ(note.Save(0), 0u);
        }
        nnotes::NOTEHANDLE stored = 0;
        EXPECT_EQ(nnotes::OpenNote(db_.GetHandle(), id, 0, &stored), nnotes::NOERROR);
        for (const testsupport::ItemBytes& item : testsupport::ReadItems(stored, ""))
            seen += std::to_string(item.type) + " " + std::to_string(item.value.size()) + "\n" + item.value;
        nnotes::CloseNote(stored);
        return seen;
    }
};

} // namespace

TEST_F(LateFieldsTest, FieldsJoinTheirItemsWhicheverPlainItemsWereBoundFirst) {
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        std::mt19937 rng(seed);
        std::vector<StoredItem> items;
        const uint32_t count = 3 + rng() % 6;
        for (uint32_t i = 0; i < count; ++i) {
            const std::string tag = std::to_string(i);
            if (rng() % 2 == 0)
                items.push_back(
                    {rng() % 3 == 0 ? "Other" : "Body", nnotes::TYPE_COMPOSITE, TextRecord("s" + tag)});
            else
                items.push_back({rng() % 2 == 0 ? "T" : "U", nnotes::TYPE_TEXT, "v" + tag});
        }
        const bool dropU = seed % 3 == 0;
        const std::string eager = Observe(Save(items), true, dropU, rng);
        const std::string lazy = Observe(Save(items), false, dropU, rng);
        ASSERT_EQ(lazy, eager) << "seed " << seed;
    }
}
