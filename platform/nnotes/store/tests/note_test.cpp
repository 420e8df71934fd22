#include "testing/store_fixture.h"

#include <cstring>
#include <set>
#include <sqlite3.h>
#include <string>
#include <thread>
#include <vector>

namespace nnotes::testing {
namespace {

class NoteTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        db_ = MakeDatabase("notes.nsf");
    }
    void TearDown() override {
        CloseDatabase(db_);
        StoreTest::TearDown();
    }
    DBHANDLE db_ = 0;
};

TEST_F(NoteTest, NewNotesGetTheirIdOnFirstSaveAndIdsAreNeverReused) {
    NOTEHANDLE note = 0;
    ASSERT_EQ(CreateNote(db_, &note), NOERROR);
    NOTEID id = 1;
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_ID, &id), NOERROR);
    EXPECT_EQ(id, 0u);
    ASSERT_EQ(UpdateNote(note, 0), NOERROR); // a note without items is stored too
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_ID, &id), NOERROR);
    EXPECT_NE(id, 0u);
    ASSERT_EQ(CloseNote(note), NOERROR);
    EXPECT_EQ(CloseNote(note), ERR_NOTE_HANDLE);

    std::set<NOTEID> seen = {id};
    NOTEID last = SaveNote(db_, {{"A", "1"}});
    ASSERT_EQ(DeleteNote(db_, last, 0), NOERROR);
    EXPECT_EQ(DeleteNote(db_, last, 0), ERR_NOTE_NOT_FOUND);
    seen.insert(last);
    ASSERT_EQ(CloseDatabase(db_), NOERROR);
    ASSERT_EQ(OpenDatabase("notes.nsf", &db_), NOERROR); // also across reopening
    for (int i = 0; i < 5; ++i) {
        const NOTEID next = SaveNote(db_, {{"A", "2"}});
        EXPECT_TRUE(seen.insert(next).second) << next;
        EXPECT_GT(next, last);
        last = next;
    }
    EXPECT_EQ(OpenNote(db_, 0, 0, &note), ERR_NOTE_NOT_FOUND);
    EXPECT_EQ(OpenNote(db_, 999999, 0, &note), ERR_NOTE_NOT_FOUND);
}

TEST_F(NoteTest, HeaderFieldsOriginatorIdAndTimes) {
    const NOTEID id = SaveNote(db_, {{"Subject", "x"}}, NOTE_CLASS_FORM);
    NOTEHANDLE note = 0;
    ASSERT_EQ(OpenNote(db_, id, 0, &note), NOERROR);
    uint16_t noteClass = 0;
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_CLASS, &noteClass), NOERROR);
    EXPECT_EQ(noteClass, NOTE_CLASS_FORM);
    ORIGINATORID oid{};
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_OID, &oid), NOERROR);
    EXPECT_EQ(oid.sequence, 1u);
    Instant added{}, modified{};
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_ADDED_TO_FILE, &added), NOERROR);
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_MODIFIED, &modified), NOERROR);
    EXPECT_EQ(std::memcmp(&modified, &oid.sequenceTime, sizeof modified), 0);
    // The creation time sits at bytes 8 to 15 of the originator id.
    unsigned char raw[28];
    std::memcpy(raw, &oid, sizeof raw);
    EXPECT_EQ(std::memcmp(raw + 8, &oid.note, 8), 0);
    DBHANDLE owner = 0;
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_DB, &owner), NOERROR);
    EXPECT_EQ(owner, db_);
    EXPECT_EQ(GetNoteInfo(note, 99, &owner), ERR_NOTE_INFO_SELECTOR);
    EXPECT_EQ(SetNoteInfo(note, NOTE_INFO_MODIFIED, &modified), ERR_NOTE_INFO_SELECTOR);

    ASSERT_EQ(UpdateNote(note, 0), NOERROR); // every save counts
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_OID, &oid), NOERROR);
    EXPECT_EQ(oid.sequence, 2u);
    EXPECT_EQ(CloseNote(note), NOERROR);
}

TEST_F(NoteTest, ASaveThatChangesClassOrParentIsFoundByThem) {
    const NOTEID parent = SaveNote(db_, {{"Subject", "parent"}});
    const NOTEID child = SaveNote(db_, {{"Subject", "child"}});
    NOTEHANDLE note = 0;
    const ORIGINATORID parentOid = OidOf(db_, parent);

    ASSERT_EQ(OpenNote(db_, child, 0, &note), NOERROR);
    unsigned char ref[18] = {1, 0};
    std::memcpy(ref + 2, &parentOid, 16);
    ASSERT_EQ(AppendItem(note, ITEM_SUMMARY, FIELD_REF, 4, TYPE_NOTEREF_LIST, ref, sizeof ref, nullptr),
              NOERROR);
    ASSERT_EQ(UpdateNote(note, 0), NOERROR);
    const uint16_t help = NOTE_CLASS_HELP;
    ASSERT_EQ(SetNoteInfo(note, NOTE_INFO_CLASS, &help), NOERROR);
    ASSERT_EQ(UpdateNote(note, 0), NOERROR);
    ASSERT_EQ(CloseNote(note), NOERROR);

    ASSERT_EQ(OpenNote(db_, NOTE_ID_SPECIAL | NOTE_CLASS_HELP, 0, &note), NOERROR);
    NOTEID id = 0, up = 0;
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_ID, &id), NOERROR);
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_PARENT_NOTEID, &up), NOERROR);
    EXPECT_EQ(id, child);
    EXPECT_EQ(up, parent);
    ASSERT_EQ(DeleteItem(note, FIELD_REF, 4), NOERROR);
    ASSERT_EQ(UpdateNote(note, 0), NOERROR);
    ASSERT_EQ(CloseNote(note), NOERROR);
    ASSERT_EQ(OpenNote(db_, parent, 0, &note), NOERROR);
    uint32_t responses = 1;
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_RESPONSE_COUNT, &responses), NOERROR);
    EXPECT_EQ(responses, 0u);
    EXPECT_EQ(CloseNote(note), NOERROR);
}

TEST_F(NoteTest, SpecialIdsNameTheFirstNoteOfAClass) {
    NOTEHANDLE icon = 0;
    ASSERT_EQ(OpenNote(db_, NOTE_ID_SPECIAL | NOTE_CLASS_ICON, 0, &icon), NOERROR); // made with the database
    uint16_t noteClass = 0;
    ASSERT_EQ(GetNoteInfo(icon, NOTE_INFO_CLASS, &noteClass), NOERROR);
    EXPECT_EQ(noteClass, NOTE_CLASS_ICON);
    ASSERT_EQ(SetItemText(icon, FIELD_TITLE, "Title", 5), NOERROR);
    ASSERT_EQ(UpdateNote(icon, 0), NOERROR);
    ASSERT_EQ(CloseNote(icon), NOERROR);
    EXPECT_EQ(TextOf(db_, NOTE_ID_SPECIAL | NOTE_CLASS_ICON, FIELD_TITLE), "Title");

    NOTEHANDLE note = 0;
    EXPECT_EQ(OpenNote(db_, NOTE_ID_SPECIAL | NOTE_CLASS_HELP, 0, &note), ERR_NOTE_NOT_FOUND);
    EXPECT_EQ(OpenNote(db_, NOTE_ID_SPECIAL | 0x0003, 0, &note), ERR_NOTE_CLASS);
    const NOTEID help = SaveNote(db_, {{"Body", "help"}}, NOTE_CLASS_HELP);
    SaveNote(db_, {{"Body", "later help"}}, NOTE_CLASS_HELP);
    ASSERT_EQ(OpenNote(db_, NOTE_ID_SPECIAL | NOTE_CLASS_HELP, 0, &note), NOERROR);
    NOTEID id = 0;
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_ID, &id), NOERROR);
    EXPECT_EQ(id, help);
    EXPECT_EQ(CloseNote(note), NOERROR);
}

TEST_F(NoteTest, ASaveByAnotherHandleIsNotOverwrittenUnlessForced) {
    const NOTEID id = SaveNote(db_, {{"Subject", "first"}});
    NOTEHANDLE a = 0, b = 0;
    ASSERT_EQ(OpenNote(db_, id, 0, &a), NOERROR);
    ASSERT_EQ(OpenNote(db_, id, 0, &b), NOERROR);
    ASSERT_EQ(SetItemText(a, "Subject", "from a", 6), NOERROR);
    ASSERT_EQ(UpdateNote(a, 0), NOERROR);
    ASSERT_EQ(SetItemText(b, "Subject", "from b", 6), NOERROR);
    EXPECT_EQ(UpdateNote(b, 0), ERR_NOTE_CONFLICT);
    EXPECT_EQ(TextOf(db_, id, "Subject"), "from a");
    ASSERT_EQ(UpdateNote(b, UPDATE_FORCE), NOERROR);
    EXPECT_EQ(TextOf(db_, id, "Subject"), "from b");

    ASSERT_EQ(DeleteNote(db_, id, 0), NOERROR);
    EXPECT_EQ(UpdateNote(a, UPDATE_FORCE), ERR_NOTE_CONFLICT); // deleted: not brought back
    EXPECT_EQ(CloseNote(a), NOERROR);
    EXPECT_EQ(CloseNote(b), NOERROR);
}

TEST_F(NoteTest, DuplicatesAndCopiesWithANewIdentity) {
    const NOTEID id = SaveNote(db_, {{"Subject", "original"}, {"Body", "text"}});
    NOTEHANDLE note = 0, copy = 0;
    ASSERT_EQ(OpenNote(db_, id, 0, &note), NOERROR);
    ASSERT_EQ(DuplicateNote(note, 0, &copy), NOERROR);
    // The way a note is copied into another database: new identity, no id, that database.
    DBHANDLE other = MakeDatabase("other.nsf");
    ORIGINATORID oid{};
    ASSERT_EQ(NewOriginatorId(other, &oid), NOERROR);
    const NOTEID none = 0;
    ASSERT_EQ(SetNoteInfo(copy, NOTE_INFO_OID, &oid), NOERROR);
    ASSERT_EQ(SetNoteInfo(copy, NOTE_INFO_ID, &none), NOERROR);
    ASSERT_EQ(SetNoteInfo(copy, NOTE_INFO_DB, &other), NOERROR);
    ASSERT_EQ(UpdateNote(copy, 0), NOERROR);
    NOTEID copied = 0;
    ASSERT_EQ(GetNoteInfo(copy, NOTE_INFO_ID, &copied), NOERROR);
    EXPECT_EQ(TextOf(other, copied, "Body"), "text");
    EXPECT_EQ(TextOf(db_, id, "Subject"), "original");
    // Saving the copy again updates it in its new database.
    ASSERT_EQ(SetItemText(copy, "Body", "changed", 7), NOERROR);
    ASSERT_EQ(UpdateNote(copy, 0), NOERROR);
    EXPECT_EQ(TextOf(other, copied, "Body"), "changed");
    // A second copy with the same universal id is refused.
    NOTEHANDLE again = 0;
    ASSERT_EQ(DuplicateNote(note, 0, &again), NOERROR);
    ASSERT_EQ(SetNoteInfo(again, NOTE_INFO_OID, &oid), NOERROR);
    ASSERT_EQ(SetNoteInfo(again, NOTE_INFO_ID, &none), NOERROR);
    ASSERT_EQ(SetNoteInfo(again, NOTE_INFO_DB, &other), NOERROR);
    EXPECT_EQ(UpdateNote(again, 0), ERR_NOTE_UNID_EXISTS);
    for (NOTEHANDLE h : {note, copy, again})
        EXPECT_EQ(CloseNote(h), NOERROR);
    EXPECT_EQ(CloseDatabase(other), NOERROR);
}

TEST_F(NoteTest, ResponsesAreFoundThroughTheirRef) {
    const NOTEID parent = SaveNote(db_, {{"Subject", "parent"}});
    NOTEHANDLE note = 0;
    const ORIGINATORID parentOid = OidOf(db_, parent);

    std::vector<NOTEID> responses;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(CreateNote(db_, &note), NOERROR);
        unsigned char ref[18] = {1, 0}; // one entry, then the parent's universal id
        std::memcpy(ref + 2, &parentOid, 16);
        ASSERT_EQ(AppendItem(note, ITEM_SUMMARY, FIELD_REF, 4, TYPE_NOTEREF_LIST, ref, sizeof ref, nullptr),
                  NOERROR);
        ASSERT_EQ(UpdateNote(note, 0), NOERROR);
        NOTEID id = 0, up = 0;
        ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_ID, &id), NOERROR);
        ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_PARENT_NOTEID, &up), NOERROR);
        EXPECT_EQ(up, parent);
        responses.push_back(id);
        ASSERT_EQ(CloseNote(note), NOERROR);
    }
    ASSERT_EQ(OpenNote(db_, parent, 0, &note), NOERROR);
    uint32_t count = 0;
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_RESPONSE_COUNT, &count), NOERROR);
    EXPECT_EQ(count, 2u);
    DHANDLE table = NULLHANDLE;
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_RESPONSES, &table), NOERROR);
    ASSERT_EQ(IDEntries(table), 2u);
    NOTEID id = 0;
    ASSERT_EQ(IDScan(table, true, &id), NOERROR);
    EXPECT_EQ(id, responses[0]);
    NOTEID none = 1;
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_PARENT_NOTEID, &none), NOERROR);
    EXPECT_EQ(none, 0u);
    EXPECT_EQ(CloseNote(note), NOERROR); // frees the table with it

    ASSERT_EQ(OpenNote(db_, responses[0], 0, &note), NOERROR);
    ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_RESPONSES, &table), NOERROR);
    EXPECT_EQ(table, NULLHANDLE);
    EXPECT_EQ(CloseNote(note), NOERROR);
}

TEST_F(NoteTest, StoredRowsThatFormNoNoteAreReported) {
    const NOTEID good = SaveNote(db_, {{"Subject", "fine"}});
    const NOTEID shortValue = SaveNote(db_, {{"Subject", "x"}});
    const NOTEID longName = SaveNote(db_, {{"Subject", "x"}});
    const NOTEID badOid = SaveNote(db_, {{"Subject", "x"}});
    const NOTEID bigFlags = SaveNote(db_, {{"Subject", "x"}});
    const NOTEID otherType = SaveNote(db_, {{"Subject", "x"}});
    const NOTEID realType = SaveNote(db_, {{"Subject", "x"}});
    ASSERT_EQ(CloseDatabase(db_), NOERROR);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((data_ + "/notes.nsf").c_str(), &raw), SQLITE_OK);
    const std::string damage =
        "UPDATE items SET value=x'05' WHERE note=" + std::to_string(shortValue) +
        "; UPDATE items SET name='" + std::string(40, 'n') + "' WHERE note=" + std::to_string(longName) +
        "; UPDATE notes SET oid=x'0102' WHERE id=" + std::to_string(badOid) +
        "; UPDATE items SET flags=65540 WHERE note=" + std::to_string(bigFlags) +
        "; UPDATE items SET type=type+1 WHERE note=" + std::to_string(otherType) +
        "; UPDATE items SET type=type+65536 WHERE note=" + std::to_string(realType) + ";";
    ASSERT_EQ(sqlite3_exec(raw, damage.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    ASSERT_EQ(OpenDatabase("notes.nsf", &db_), NOERROR);
    NOTEHANDLE note = 0;
    for (NOTEID id : {shortValue, longName, badOid, bigFlags, otherType, realType})
        EXPECT_EQ(OpenNote(db_, id, 0, &note), ERR_NOTE_DAMAGED) << id;
    EXPECT_EQ(TextOf(db_, good, "Subject"), "fine");
    // A note whose header is damaged is no candidate; one whose items are still counts.
    DHANDLE table = NULLHANDLE;
    ASSERT_EQ(GetModifiedNoteTable(db_, NOTE_CLASS_DOCUMENT, nullptr, nullptr, &table), NOERROR);
    EXPECT_EQ(IDEntries(table), 6u);
    DestroyIDTable(table);
}

TEST_F(NoteTest, ItemRowsWithoutTheirNoteRowAreNoNote) {
    // The header row leads the read: item rows of a note whose own row is gone do not make a note, and a
    // note without items opens with none.
    const NOTEID kept = SaveNote(db_, {{"Subject", "kept"}});
    const NOTEID orphaned = SaveNote(db_, {{"Subject", "orphan"}, {"Body", "text"}});
    NOTEHANDLE empty = 0;
    ASSERT_EQ(CreateNote(db_, &empty), NOERROR);
    ASSERT_EQ(UpdateNote(empty, 0), NOERROR);
    NOTEID emptyId = 0;
    ASSERT_EQ(GetNoteInfo(empty, NOTE_INFO_ID, &emptyId), NOERROR);
    ASSERT_EQ(CloseNote(empty), NOERROR);
    ASSERT_EQ(CloseDatabase(db_), NOERROR);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((data_ + "/notes.nsf").c_str(), &raw), SQLITE_OK);
    const std::string damage = "DELETE FROM notes WHERE id=" + std::to_string(orphaned) + ";";
    ASSERT_EQ(sqlite3_exec(raw, damage.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    ASSERT_EQ(OpenDatabase("notes.nsf", &db_), NOERROR);
    NOTEHANDLE note = 0;
    EXPECT_EQ(OpenNote(db_, orphaned, 0, &note), ERR_NOTE_NOT_FOUND);
    ASSERT_EQ(OpenNote(db_, emptyId, 0, &note), NOERROR);
    EXPECT_EQ(FindItemByName(note, nullptr, 0, nullptr, nullptr, nullptr, nullptr), ERR_ITEM_NOT_FOUND);
    ASSERT_EQ(CloseNote(note), NOERROR);
    EXPECT_EQ(TextOf(db_, kept, "Subject"), "kept");
}

// The text of the Subject item of an open note, or a status as text.
std::string SubjectOf(NOTEHANDLE note) {
    char buf[64];
    const STATUS s = GetItemText(note, "Subject", buf, sizeof buf, nullptr);
    return s == NOERROR ? std::string(buf) : "status " + std::to_string(s);
}

TEST_F(NoteTest, AHandleFindsItsOwnNoteUntilClosedAndNeverAfter) {
    // Calls come in runs on one handle, and in between on others: each must reach its own note, and a closed
    // handle nothing, whether it was the last one used, the last one opened or neither.
    constexpr int kNotes = 40;
    std::vector<NOTEID> ids;
    for (int i = 0; i < kNotes; ++i)
        ids.push_back(SaveNote(db_, {{"Subject", ("note " + std::to_string(i)).c_str()}}));
    std::vector<NOTEHANDLE> open(kNotes);
    std::set<NOTEHANDLE> everHanded;
    for (int i = 0; i < kNotes; ++i) {
        ASSERT_EQ(OpenNote(db_, ids[i], 0, &open[i]), NOERROR);
        EXPECT_TRUE(everHanded.insert(open[i]).second);
    }
    for (int round = 0; round < 2; ++round)
        for (int i = kNotes - 1; i >= 0; --i)
            EXPECT_EQ(SubjectOf(open[i]), "note " + std::to_string(i));

    // The handle used last, closed: the next call on it fails, then the others still find theirs.
    ASSERT_EQ(SubjectOf(open[7]), "note 7");
    ASSERT_EQ(CloseNote(open[7]), NOERROR);
    EXPECT_EQ(FindItemByName(open[7], nullptr, 0, nullptr, nullptr, nullptr, nullptr), ERR_NOTE_HANDLE);
    EXPECT_EQ(SubjectOf(open[7]), "status " + std::to_string(ERR_NOTE_HANDLE));
    EXPECT_EQ(CloseNote(open[7]), ERR_NOTE_HANDLE);
    // Nor does the zero handle, which names no note, now that none is remembered.
    EXPECT_EQ(FindItemByName(0, nullptr, 0, nullptr, nullptr, nullptr, nullptr), ERR_NOTE_HANDLE);
    EXPECT_EQ(CloseNote(0), ERR_NOTE_HANDLE);
    // Every other one closed while not the last used.
    for (int i = 0; i < kNotes; i += 2) {
        const int other = i + 1 == 7 ? i + 3 : i + 1;
        ASSERT_EQ(SubjectOf(open[other]), "note " + std::to_string(other));
        ASSERT_EQ(CloseNote(open[i]), NOERROR);
    }
    for (int i = 0; i < kNotes; ++i) {
        const bool closed = i % 2 == 0 || i == 7;
        EXPECT_EQ(SubjectOf(open[i]),
                  closed ? "status " + std::to_string(ERR_NOTE_HANDLE) : "note " + std::to_string(i))
            << i;
    }

    // Opened again: a new handle, and the old one still finds nothing.
    NOTEHANDLE again = 0;
    ASSERT_EQ(OpenNote(db_, ids[7], 0, &again), NOERROR);
    EXPECT_TRUE(everHanded.insert(again).second);
    EXPECT_EQ(SubjectOf(again), "note 7");
    EXPECT_EQ(SubjectOf(open[7]), "status " + std::to_string(ERR_NOTE_HANDLE));

    // Closed right after opening, before any call on it.
    NOTEHANDLE brief = 0;
    ASSERT_EQ(OpenNote(db_, ids[3], 0, &brief), NOERROR);
    ASSERT_EQ(CloseNote(brief), NOERROR);
    EXPECT_EQ(SubjectOf(brief), "status " + std::to_string(ERR_NOTE_HANDLE));
    ASSERT_EQ(CloseNote(again), NOERROR);
    EXPECT_EQ(SubjectOf(again), "status " + std::to_string(ERR_NOTE_HANDLE));
    for (int i = 1; i < kNotes; i += 2) {
        if (i != 7) {
            ASSERT_EQ(CloseNote(open[i]), NOERROR);
        }
    }
}

TEST_F(NoteTest, ThreadsOpeningAndClosingNotesEachReachTheirOwn) {
    constexpr int kThreads = 4, kTurns = 150;
    std::vector<NOTEID> ids;
    for (int t = 0; t < kThreads; ++t)
        ids.push_back(SaveNote(db_, {{"Subject", ("thread " + std::to_string(t)).c_str()}}));
    std::vector<int> faults(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string want = "thread " + std::to_string(t);
            NOTEHANDLE previous = 0;
            for (int turn = 0; turn < kTurns; ++turn) {
                NOTEHANDLE note = 0;
                if (OpenNote(db_, ids[t], 0, &note) != NOERROR) {
                    ++faults[t];
                    continue;
                }
                if (SubjectOf(note) != want || SubjectOf(note) != want) ++faults[t];
                // The one this thread closed last turn stays closed while others open and close theirs.
                if (previous != 0 && FindItemByName(previous, nullptr, 0, nullptr, nullptr, nullptr,
                                                    nullptr) != ERR_NOTE_HANDLE)
                    ++faults[t];
                if (CloseNote(note) != NOERROR) ++faults[t];
                if (FindItemByName(note, nullptr, 0, nullptr, nullptr, nullptr, nullptr) != ERR_NOTE_HANDLE)
                    ++faults[t];
                previous = note;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(faults[t], 0) << t;
}

} // namespace
} // namespace nnotes::testing
