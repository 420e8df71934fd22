// The note operations named after the store's note calls, and the sizes of the database objects that a
// note's object items stand for.
#include "docsfixture.h"
#include "ln/lndocument.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"

#include <cstdio>

namespace {

class NoteCallsTest : public DocsTest {
protected:
    void SetUp() override {
        DocsTest::SetUp();
        id_ = SaveNote({{"Subject", "s"}});
        doc_ = LNDocument(db_.GetDatabaseBody(), id_);
        ASSERT_EQ(doc_.Open(0), 0u);
    }

    static std::string Hex(uint32_t value) {
        char text[9];
        std::snprintf(text, sizeof text, "%08X", value);
        return text;
    }

    // An object item naming the object of that id and type.
    LNSTATUS AddObjectItem(uint32_t id, uint16_t type) {
        const nnotes::ODSObjectDescriptor descriptor{type, id};
        char bytes[6];
        void* at = bytes;
        EXPECT_EQ(
            nnotes::WriteOnDiskStructure(&at, sizeof bytes, nnotes::ODS_OBJECT_DESCRIPTOR, &descriptor, 1),
            nnotes::NOERROR);
        return doc_.CreateItem("$FILE", nnotes::TYPE_OBJECT, bytes, sizeof bytes, 0, LNITEMDUP_ADD);
    }

    nnotes::NOTEID id_ = 0;
    LNDocument doc_;
};

} // namespace

TEST_F(NoteCallsTest, IdentityTextsAndFlags) {
    const nnotes::ORIGINATORID oid = doc_.GetNoteBody()->GetOriginatorID();
    const nnotes::UNIVERSALID unid = doc_.GetNoteIdentity();
    EXPECT_EQ(std::memcmp(&unid, &oid, sizeof unid), 0) << "the first 16 bytes of the originator id";
    EXPECT_EQ(Text(doc_.GetNoteTextByLength()), Hex(oid.file.words[1]) + Hex(oid.file.words[0]) +
                                                    Hex(oid.note.words[1]) + Hex(oid.note.words[0]));
    EXPECT_EQ(Text(doc_.GetNoteTextsFirst()), "Document");
    EXPECT_EQ(Text(doc_.GetNoteTextsSecond()), "NT" + Hex(id_));
    EXPECT_EQ(doc_.GetNoteFlagPairFirst(), nnotes::NOTE_CLASS_DOCUMENT);
    EXPECT_EQ(doc_.GetNoteFlagPairSecond(), 0u) << "read from its database";
    LNDocument fresh;
    ASSERT_EQ(db_.CreateDocument(&fresh), 0u);
    EXPECT_EQ(fresh.GetNoteFlagPairSecond(), 1u) << "never stored";
    EXPECT_EQ(Text(fresh.GetNoteTextsSecond()), "NT00000000");
    fresh.Close();
}

TEST_F(NoteCallsTest, ActionsMarkTheNoteModified) {
    const uint32_t sequence = doc_.GetNoteBody()->GetOriginatorID().sequence;
    EXPECT_FALSE(doc_.IsModified());
    ASSERT_EQ(doc_.NoteActionA(), 0u);
    EXPECT_TRUE(doc_.IsModified());
    EXPECT_EQ(doc_.GetNoteBody()->GetOriginatorID().sequence, sequence + 1);
    ASSERT_EQ(doc_.Save(0), 0u);
    EXPECT_FALSE(doc_.IsModified());
    ASSERT_EQ(doc_.NoteActionC(), 0u);
    EXPECT_TRUE(doc_.IsModified());
    const auto accessed = [&] {
        const LNDatetime when = doc_.GetLastAccessed();
        return uint64_t{when.GetRawValue()->words[1]} << 32 | when.GetRawValue()->words[0];
    };
    EXPECT_EQ(accessed(), 0u) << "unread";
    ASSERT_EQ(doc_.NoteActionB(), 0u);
    EXPECT_NE(accessed(), 0u);
    for (LNSTATUS (LNNote::*reserved)() : {&LNNote::ReservedA, &LNNote::ReservedB, &LNNote::ReservedC})
        EXPECT_EQ((doc_.*reserved)(), LNERR_NOT_IMPLEMENTED);
}

TEST_F(NoteCallsTest, NotesThatAreNotOpen) {
    doc_.Close();
    EXPECT_EQ(doc_.NoteActionA(), LNERR_NOTE_NOT_OPEN);
    EXPECT_EQ(doc_.ReservedB(), LNERR_NOTE_NOT_OPEN);
    EXPECT_EQ(Thrown([&] { doc_.GetNoteIdentity(); }), LNERR_NOTE_NOT_OPEN);
    EXPECT_EQ(Thrown([&] { doc_.GetNoteTextsFirst(); }), LNERR_NOTE_NOT_OPEN);
    const LNNote named(db_.GetDatabaseBody(), id_);
    LNNote copy = named;
    EXPECT_EQ(copy.NoteActionB(), LNERR_NOTE_NOT_OPEN);
    EXPECT_EQ(Thrown([&] { named.GetNoteFlagPairFirst(); }), LNERR_NOTE_NOT_OPEN);
    LNNote empty;
    EXPECT_EQ(empty.NoteActionC(), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { empty.GetNoteTextByLength(); }), LNERR_NOT_INITIALIZED);
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { empty.ReservedA(); }), LNERR_NOT_INITIALIZED);
}

TEST_F(NoteCallsTest, ObjectItemsCountTheirObjectsSize) {
    const uint32_t plain = doc_.GetSize();
    uint32_t object = 0;
    ASSERT_EQ(nnotes::AllocateObject(db_.GetHandle(), 25, 1000, &object), nnotes::NOERROR);
    ASSERT_EQ(AddObjectItem(object, 25), 0u);
    EXPECT_EQ(doc_.GetSize(), plain + 6 + 1000);
    ASSERT_EQ(doc_.Save(0), 0u);
    doc_.Close();
    ASSERT_EQ(doc_.Open(0), 0u);
    EXPECT_EQ(doc_.GetSize(), plain + 6 + 1000) << "the object stays with its database";
    ASSERT_EQ(AddObjectItem(object, 26), 0u) << "of another type: no such object";
    EXPECT_EQ(Thrown([&] { doc_.GetSize(); }), LNERR_NOTE_SIZE);
}
