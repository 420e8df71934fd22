// Damaged and foreign files read through the public calls as a caller reads a database: opened, every note
// and item read, searched with a formula over the summaries, every view walked and brought up to date,
// full-text indexed and searched, then written to. Whatever the damage, each call answers with a status of
// its own or a sound value, never a crash or a sanitizer report; a file that does not open is left exactly
// as it was, and a write to a file SQLite still finds sound leaves it sound.
#include "testing/store_fixture.h"
#include "testsupport/file_damage.h"
#include "testsupport/item_bytes.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace nnotes::testing {
namespace {

namespace damage = testsupport::damage;

// Two views (one categorised with a formula column and a selection, one sorted by a time) over documents
// with every kind of value, so that damage anywhere meets a reader that decodes it.
constexpr const char* kDescription = R"json({"path": "base.nsf", "title": "Base",
  "views": [{"name": "ByRegion", "selection": "SELECT Form = \"Entry\"",
             "columns": [{"title": "Region", "item": "Region", "sorted": true, "categorised": true},
                         {"title": "Name", "item": "Name", "sorted": true},
                         {"title": "Count", "item": "Count", "totals": true},
                         {"title": "Label", "formula": "Name + \" \" + @Text(Count)"}]},
            {"name": "ByTime", "columns": [{"title": "When", "item": "When", "sorted": true, "descending": true},
                                          {"title": "Tags", "item": "Tags"}, {"title": "Nums", "item": "Nums"}]}],
  "documents": [
    {"Form": "Entry", "Region": "North", "Name": "Ann", "Count": 3, "Tags": ["a", "b"], "Nums": [1, 2.5],
     "When": {"datetime": "2019-03-01T09:00:00Z"}, "Times": [{"datetime": "2020-01-02T03:04:05Z"}]},
    {"Form": "Entry", "Region": "South", "Name": "Bo", "Count": 7, "Tags": [], "Nums": [4],
     "When": {"datetime": "2021-06-30T23:59:59Z"}},
    {"Form": "Entry", "Region": "North", "Name": "Cy", "Count": 1, "Tags": ["c"],
     "When": {"datetime": "2018-01-01T00:00:00Z"}, "Body": "orchids in spring"},
    {"Form": "Reply", "Name": "Di", "$Parent": 0, "Body": "a reply about orchids"},
    {"Form": "Entry", "Region": "East", "Name": "Ed", "Count": 2, "Tags": ["a"], "Nums": [],
     "When": {"datetime": "2022-02-02T02:02:02Z"}},
    {"Form": "Entry", "Region": "South", "Name": "Flo", "Count": 5, "Tags": ["d", "e", "f"], "Nums": [9, 8, 7]}
  ]})json";

// The statuses a call may answer with on a damaged or foreign file.
bool Clean(STATUS s) {
    static const std::set<STATUS> clean = {
        NOERROR,
        // the file
        ERR_NOT_A_DATABASE, ERR_DB_DAMAGED, ERR_DB_NEWER_VERSION, ERR_DB_IO, ERR_DB_IS_DIRECTORY,
        ERR_DB_FOREIGN_LOG, ERR_DB_READ_ONLY,
        // notes, items and their values
        ERR_NOTE_DAMAGED, ERR_NOTE_NOT_FOUND, ERR_NOTE_CLASS, ERR_NOTE_IDS_EXHAUSTED, ERR_TEXTLIST_DAMAGED,
        ERR_ITEM_NOT_FOUND, ERR_ITEM_TYPE, ERR_ITEM_LAYOUT, ERR_NO_MODIFIED_NOTES,
        // views, formulas and the full-text index
        ERR_NOT_FOUND, ERR_NOT_A_VIEW, ERR_VIEW_FORMAT, ERR_VIEW_FORMULA, ERR_VIEW_INDEX_DAMAGED,
        // (a time value whose words are no instant is "invalid" to a formula that reads it)
        ERR_FORMULA_DAMAGED, ERR_FORMULA_BAD_VALUE, ERR_TIME_BAD_INSTANT, ERR_FORMULA_TYPE,
        ERR_FORMULA_NUMBER_RANGE, ERR_FT_NOT_INDEXED, ERR_FT_NO_MATCHES};
    return clean.count(ERR(s)) == 1;
}

bool MetDamage(STATUS s) {
    return ERR(s) == ERR_DB_DAMAGED || ERR(s) == ERR_NOTE_DAMAGED || ERR(s) == ERR_VIEW_INDEX_DAMAGED;
}

class DamagedDatabaseTest : public StoreTest {
protected:
    void WritesAfter(const std::string& name, const char* sql, bool ftIndex);

    void SetUp() override {
        StoreTest::SetUp();
        ASSERT_EQ(area_.Build(kDescription), "");
        pristine_ = damage::ReadBytes(data_ + "/base.nsf");
        ASSERT_GT(pristine_.size(), 4096u);
    }

    // A copy of the built database under name; its path.
    std::string Fresh(const std::string& name) {
        const std::string path = data_ + "/" + name;
        damage::WriteBytes(path, pristine_);
        return path;
    }

    // What one reading of a file met.
    struct Reading {
        STATUS opened = NOERROR;
        bool metDamage = false;
        size_t notes = 0, entries = 0, matches = 0;
    };

    // Each call's status must be clean; the failure names the damage and the call.
    STATUS Check(STATUS s, const std::string& call) {
        EXPECT_TRUE(Clean(s)) << what_ << ": " << call << " answered " << s;
        if (MetDamage(s)) reading_.metDamage = true;
        return s;
    }

    // Every item of an open note read as a caller reads it: the stored bytes, then the text of each.
    void ReadNote(NOTEHANDLE note, const std::string& call) {
        NOTEID id = 0;
        uint16_t noteClass = 0;
        ORIGINATORID oid{};
        Instant modified{};
        Check(GetNoteInfo(note, NOTE_INFO_ID, &id), call + " GetNoteInfo(ID)");
        Check(GetNoteInfo(note, NOTE_INFO_CLASS, &noteClass), call + " GetNoteInfo(CLASS)");
        Check(GetNoteInfo(note, NOTE_INFO_OID, &oid), call + " GetNoteInfo(OID)");
        Check(GetNoteInfo(note, NOTE_INFO_MODIFIED, &modified), call + " GetNoteInfo(MODIFIED)");
        for (const auto& item : testsupport::ReadItems(note, "")) {
            EXPECT_GE(item.value.size(), sizeof(uint16_t)) << what_ << ": " << call;
            (void)item;
        }
        for (const char* name : {"Form", "Name", "Region", "Count", "Tags", "Nums", "When", "Times", "Body",
                                 "$TITLE", "$REF", "$ViewFormat", "$FORMULA"}) {
            char buf[64];
            uint16_t length = 0;
            const STATUS s =
                Check(GetItemText(note, name, buf, sizeof buf, &length), call + " GetItemText " + name);
            if (s == NOERROR) {
                EXPECT_LT(length, sizeof buf) << what_ << ": " << call << " " << name;
            }
        }
    }

    // Reads every byte of a value handed out, so that one shorter than its length is a sanitizer report.
    static uint32_t Touch(const void* bytes, size_t length) {
        uint32_t sum = 0;
        for (size_t i = 0; i < length; ++i)
            sum += static_cast<const uint8_t*>(bytes)[i];
        return sum;
    }

    static STATUS OnMatch(void* context, const SearchMatch*, const SearchSummary* summary) {
        auto* self = static_cast<DamagedDatabaseTest*>(context);
        ++self->reading_.matches;
        for (const char* name : {"Form", "Name", "Count", "Tags", "Nums", "When", "Times", "missing"}) {
            uint16_t type = 0, length = 0;
            const void* value = nullptr;
            if (summary == nullptr) break;
            if (self->Check(GetSummaryValue(summary, name, &type, &value, &length),
                            std::string("GetSummaryValue ") + name) == NOERROR &&
                length > 0) {
                // Every byte the summary says it has is there (a read past it is a sanitizer report).
                EXPECT_NE(value, nullptr) << self->what_ << ": " << name;
                if (value != nullptr) self->touched_ += Touch(value, length);
            }
        }
        return NOERROR;
    }

    void Search(DBHANDLE db, const std::string& text) {
        DHANDLE formula = NULLHANDLE;
        uint16_t length = 0;
        ASSERT_EQ(CompileFormula(text.c_str(), static_cast<uint16_t>(text.size()), &formula, &length),
                  NOERROR);
        Instant until{};
        Check(SearchDatabase(db, formula, SEARCH_SUMMARY, NOTE_CLASS_ALL, nullptr, OnMatch, this, &until),
              "SearchDatabase " + text);
        FreeBlock(formula);
    }

    // Every entry of the view, read with every field the mask knows, a bounded number of reads.
    void Walk(HCOLLECTION c, const std::string& call) {
        constexpr uint32_t mask = READ_MASK_NOTEID | READ_MASK_NOTECLASS | READ_MASK_INDEXSIBLINGS |
                                  READ_MASK_INDEXCHILDREN | READ_MASK_INDEXDESCENDANTS |
                                  READ_MASK_INDENTLEVELS | READ_MASK_INDEXPEER | READ_MASK_SUMMARY;
        CollectionPosition pos{};
        pos.MaxLevel = MAXTUMBLERLEVELS - 1;
        for (int read = 0; read < 64; ++read) {
            DHANDLE buffer = NULLHANDLE;
            uint16_t length = 0, signal = 0;
            uint32_t returned = 0;
            const STATUS s = Check(ReadEntries(c, &pos, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, 0xFFFFFFFF, mask,
                                               &buffer, &length, nullptr, &returned, &signal),
                                   call + " ReadEntries");
            if (buffer != NULLHANDLE) {
                uint32_t size = 0;
                EXPECT_EQ(GetBlockSize(buffer, &size), NOERROR);
                EXPECT_GE(size, length) << what_ << ": " << call;
                touched_ += Touch(LockBlock(buffer), std::min<uint32_t>(size, length));
                UnlockBlock(buffer);
                FreeBlock(buffer);
            }
            reading_.entries += returned;
            if (s != NOERROR || buffer == NULLHANDLE || !(signal & SIGNAL_MORE_TO_DO)) break;
        }
    }

    // Reads the file name of the data directory as callers do; with write, then indexes it, searches the
    // index, saves a new note and deletes one.
    Reading Exercise(const std::string& name, bool write) {
        reading_ = {};
        DBHANDLE db = 0;
        reading_.opened = Check(OpenDatabase(name.c_str(), &db), "OpenDatabase");
        if (reading_.opened != NOERROR) return reading_;
        char info[DBINFO_SIZE] = {};
        Check(GetDatabaseInfo(db, info), "GetDatabaseInfo");
        EXPECT_LT(std::strlen(info), sizeof info) << what_;
        DHANDLE table = NULLHANDLE;
        std::set<NOTEID> ids = {0, 1, 2, 0x7FFFFFFF, 0xFFFFFFFF, NOTEID_CATEGORY | 1};
        if (Check(GetModifiedNoteTable(db, NOTE_CLASS_ALL, nullptr, nullptr, &table),
                  "GetModifiedNoteTable") == NOERROR) {
            NOTEID id = 0;
            for (bool first = true; IDScan(table, first, &id) == NOERROR && ids.size() < 200; first = false)
                ids.insert(id);
            DestroyIDTable(table);
        }
        for (NOTEID id = 1; id < 40; ++id)
            ids.insert(id);
        for (NOTEID id : ids) {
            NOTEHANDLE note = 0;
            const std::string call = "OpenNote " + std::to_string(id);
            if (Check(OpenNote(db, id, 0, &note), call) != NOERROR) continue;
            ++reading_.notes;
            ReadNote(note, call);
            CloseNote(note);
        }
        // Formulas that read every kind of value and meet no type fault on the undamaged file.
        Search(db,
               "SELECT @Contains(@Implode(Tags; \",\"); \"a\") | @Text(Nums) = \"9\" | @Text(Count) = \"3\"");
        Search(db, "SELECT @Left(@Text(When); 2) = \"03\" | @Elements(Times) > 0 | @IsResponseDoc | @All");
        for (const char* view : {"ByRegion", "ByTime"}) {
            NOTEID id = 0;
            if (Check(FindDesignNote(db, view, NOTE_CLASS_VIEW, &id),
                      std::string("FindDesignNote ") + view) != NOERROR)
                continue;
            HCOLLECTION c = 0;
            const std::string call = std::string("view ") + view;
            if (Check(OpenCollection(db, db, id, 0, NULLHANDLE, &c), call + " OpenCollection") != NOERROR)
                continue;
            Walk(c, call);
            if (Check(UpdateCollection(c), call + " UpdateCollection") == NOERROR) Walk(c, call + " updated");
            Check(CloseCollection(c), call + " CloseCollection");
        }
        if (write) {
            Check(FTIndex(db, 0, nullptr, nullptr), "FTIndex");
            FTSEARCHHANDLE search = 0;
            if (FTOpenSearch(&search) == NOERROR) {
                uint32_t count = 0;
                Check(FTSearch(db, &search, 0, "orchid*", 0, 0, NULLHANDLE, &count, nullptr, nullptr),
                      "FTSearch");
                FTCloseSearch(search);
            }
            NOTEHANDLE note = 0;
            if (Check(CreateNote(db, &note), "CreateNote") == NOERROR) {
                Check(SetItemText(note, "Form", "Entry", 5), "SetItemText");
                Check(UpdateNote(note, 0), "UpdateNote");
                CloseNote(note);
            }
            Check(DeleteNote(db, 3, 0), "DeleteNote 3");
        }
        Check(CloseDatabase(db), "CloseDatabase");
        return reading_;
    }

    // Reads the damaged file and checks what the reading promises: a file that did not open is as it was; a
    // read alone changes nothing in a file that met damage; a write to a file SQLite finds sound keeps it so.
    Reading ReadDamaged(const std::string& name) {
        const std::string path = data_ + "/" + name;
        const std::string before = damage::ReadBytes(path);
        const Reading read = Exercise(name, false);
        if (read.opened != NOERROR || read.metDamage) {
            EXPECT_TRUE(damage::ReadBytes(path) == before) << what_ << ": a read changed the file";
        }
        // SQLite itself would wait on a fifo for a writer: only a regular file is asked about.
        const bool sound = std::filesystem::is_regular_file(path) && IntegrityOf(name) == "ok";
        const Reading written = Exercise(name, true);
        if (written.opened != NOERROR) {
            EXPECT_TRUE(damage::ReadBytes(path) == before) << what_;
        }
        if (sound) {
            EXPECT_EQ(IntegrityOf(name), "ok") << what_ << ": the write made the file worse";
        }
        return read;
    }

    std::string pristine_;
    std::string what_;
    uint32_t touched_ = 0;
    Reading reading_;
};

TEST_F(DamagedDatabaseTest, TheBuiltDatabaseReadsWholeThroughEveryCall) {
    Fresh("sound.nsf");
    what_ = "undamaged";
    const Reading read = ReadDamaged("sound.nsf");
    EXPECT_EQ(read.opened, NOERROR);
    EXPECT_FALSE(read.metDamage);
    EXPECT_GE(read.notes, 9u); // the icon, two views, six documents
    EXPECT_GT(read.entries, 6u);
    EXPECT_GT(read.matches, 3u);
}

TEST_F(DamagedDatabaseTest, FilesDamagedWholeAtRandomAnswerEveryCallCleanly) {
    std::mt19937 random(20261210);
    for (int step = 0; step < 120; ++step) {
        const std::string name = "file" + std::to_string(step) + ".nsf";
        const std::string path = Fresh(name);
        what_ = "seed 20261210 step " + std::to_string(step) + ": " + damage::DamageFile(path, random);
        ReadDamaged(name);
    }
}

TEST_F(DamagedDatabaseTest, RowsDamagedAtRandomAnswerEveryCallCleanly) {
    std::mt19937 random(20261211);
    for (int step = 0; step < 200; ++step) {
        const std::string name = "rows" + std::to_string(step) + ".nsf";
        const std::string path = Fresh(name);
        what_ = "seed 20261211 step " + std::to_string(step) + ":";
        {
            damage::RawFile raw(path);
            ASSERT_TRUE(raw.IsOpen());
            if (step % 2 == 1) {
                ASSERT_EQ(raw.LooseSchema(), "");
            }
            for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n)
                what_ += " " + raw.DamageCell(random) + ";";
        }
        ReadDamaged(name);
    }
}

TEST_F(DamagedDatabaseTest, FilesThatAreNoDatabasesOfOursAreRefusedAndLeftAsTheyWere) {
    damage::WriteBytes(data_ + "/text.nsf", std::string(5000, 'x'));
    // Another program's SQLite file, with tables of its own, one in the log mode the store uses.
    for (const char* name : {"other.nsf", "otherwal.nsf"}) {
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open((data_ + "/" + name).c_str(), &other), SQLITE_OK);
        const std::string mode = name == std::string("otherwal.nsf") ? "PRAGMA journal_mode=WAL;" : "";
        sqlite3_exec(other,
                     (mode + "CREATE TABLE accounts(id INTEGER PRIMARY KEY, owner TEXT, balance REAL);"
                             "CREATE TABLE items(note, seq, name, type, flags, value);"
                             "INSERT INTO accounts VALUES(1, 'ann', 2.5), (2, 'bo', -1);")
                         .c_str(),
                     nullptr, nullptr, nullptr);
        sqlite3_close(other);
    }
    for (const char* name : {"text.nsf", "other.nsf", "otherwal.nsf"}) {
        what_ = name;
        const std::string before = damage::ReadBytes(data_ + "/" + name);
        EXPECT_EQ(ReadDamaged(name).opened, ERR_NOT_A_DATABASE) << name;
        EXPECT_EQ(CreateDatabase(name, 0, true, 0, 0, 0), ERR_NOT_A_DATABASE) << name;
        EXPECT_TRUE(damage::ReadBytes(data_ + "/" + name) == before) << name;
    }
    // One of ours whose tables were dropped by another program is damaged, and left for whoever mends it.
    {
        damage::RawFile dropped(Fresh("dropped.nsf"));
        ASSERT_EQ(dropped.Exec("DROP TABLE items; CREATE TABLE songs(title TEXT);"), "");
    }
    what_ = "tables dropped";
    const std::string before = damage::ReadBytes(data_ + "/dropped.nsf");
    EXPECT_EQ(ReadDamaged("dropped.nsf").opened, ERR_DB_DAMAGED);
    EXPECT_TRUE(damage::ReadBytes(data_ + "/dropped.nsf") == before);
}

TEST_F(DamagedDatabaseTest, ADirectoryAFifoOrAnUnreadableFileInTheDatabasesPlaceAnswersCleanly) {
    std::filesystem::create_directory(data_ + "/folder.nsf");
    what_ = "a directory";
    ReadDamaged("folder.nsf");
    ASSERT_EQ(mkfifo((data_ + "/fifo.nsf").c_str(), 0600), 0);
    what_ = "a fifo";
    EXPECT_NE(ReadDamaged("fifo.nsf").opened, NOERROR);
    // Root reads a file of mode 0 all the same; anyone else must get a status.
    const std::string locked = Fresh("locked.nsf");
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    what_ = "no read permission";
    const STATUS opened = ReadDamaged("locked.nsf").opened;
    if (geteuid() != 0) {
        EXPECT_NE(opened, NOERROR);
    }
    chmod(locked.c_str(), 0600);
}

TEST_F(DamagedDatabaseTest, AGarbageLogOrSharedMemoryFileBesideTheDatabaseAnswersCleanly) {
    std::mt19937 random(20261212);
    const std::string wal = Fresh("wal.nsf");
    damage::WriteBytes(wal + "-wal", damage::RandomBytes(random, 3 * 4096 + 100));
    what_ = "garbage -wal";
    ReadDamaged("wal.nsf");
    const std::string shm = Fresh("shm.nsf");
    damage::WriteBytes(shm + "-shm", damage::RandomBytes(random, 32768));
    what_ = "garbage -shm";
    ReadDamaged("shm.nsf");
}

// A handle that was told of damage (a note that cannot be read, a stamp of the wrong size) may still make a
// stale view index again, but what it writes stays in the log: the file itself is left as it was for whoever
// mends it, and the next opener still reads the log's rows.
TEST_F(DamagedDatabaseTest, AHandleThatMetDamageFoldsNoLaterWriteIntoTheFile) {
    const struct {
        const char* what;
        const char* sql;
    } cases[] = {
        {"an item without a name", "UPDATE items SET name = '' WHERE note = (SELECT max(note) FROM items)"},
        {"info values a byte too long", "UPDATE info SET value = value || x'00'"},
    };
    for (const auto& c : cases) {
        what_ = c.what;
        const std::string name = std::string(c.what).substr(0, 8) + ".nsf";
        const std::string path = Fresh(name);
        {
            damage::RawFile raw(path);
            ASSERT_EQ(raw.Exec(c.sql), "");
            ASSERT_EQ(raw.Exec("UPDATE view_index SET stamp = x'00'"), ""); // every view made again at open
        }
        const std::string before = damage::ReadBytes(path);
        DBHANDLE db = 0;
        ASSERT_EQ(OpenDatabase(name.c_str(), &db), NOERROR) << c.what;
        NOTEHANDLE note = 0;
        DHANDLE table = NULLHANDLE;
        const STATUS ids = GetModifiedNoteTable(db, NOTE_CLASS_ALL, nullptr, nullptr, &table);
        if (ids == NOERROR) {
            NOTEID id = 0, last = 0;
            for (bool first = true; IDScan(table, first, &id) == NOERROR; first = false)
                last = id;
            DestroyIDTable(table);
            EXPECT_EQ(OpenNote(db, last, 0, &note), ERR_NOTE_DAMAGED) << c.what;
        } else {
            EXPECT_EQ(ids, ERR_DB_DAMAGED) << c.what;
        }
        NOTEID view = 0;
        ASSERT_EQ(FindDesignNote(db, "ByRegion", NOTE_CLASS_VIEW, &view), NOERROR);
        HCOLLECTION collection = 0;
        ASSERT_EQ(OpenCollection(db, db, view, 0, NULLHANDLE, &collection), NOERROR) << c.what;
        Walk(collection, "ByRegion");
        EXPECT_GT(reading_.entries, 0u) << c.what;
        CloseCollection(collection);
        ASSERT_EQ(CloseDatabase(db), NOERROR);
        EXPECT_TRUE(damage::ReadBytes(path) == before) << c.what << ": the log was folded into the file";

        ASSERT_EQ(OpenDatabase(name.c_str(), &db), NOERROR) << c.what;
        ASSERT_EQ(OpenCollection(db, db, view, 0, NULLHANDLE, &collection), NOERROR) << c.what;
        reading_ = {};
        Walk(collection, "ByRegion again");
        EXPECT_GT(reading_.entries, 0u) << c.what;
        CloseCollection(collection);
        CloseDatabase(db);
    }
}

// A note id at the top of SQLite's range (a row changed by another program) leaves no id for a new note:
// the save says so rather than that the disk is full, and the file stays sound.
TEST_F(DamagedDatabaseTest, ANoteIdAtTheTopOfTheRangeLeavesNoIdRatherThanAFullDisk) {
    const std::string path = Fresh("topid.nsf");
    {
        damage::RawFile raw(path);
        ASSERT_EQ(
            raw.Exec("UPDATE items SET note = 9223372036854775807 WHERE note = (SELECT max(id) FROM notes);"
                     "UPDATE notes SET id = 9223372036854775807 WHERE id = (SELECT max(id) FROM notes);"),
            "");
    }
    DBHANDLE db = 0;
    ASSERT_EQ(OpenDatabase("topid.nsf", &db), NOERROR);
    NOTEHANDLE note = 0;
    ASSERT_EQ(CreateNote(db, &note), NOERROR);
    ASSERT_EQ(SetItemText(note, "Form", "Entry", 5), NOERROR);
    EXPECT_EQ(UpdateNote(note, 0), ERR_NOTE_IDS_EXHAUSTED);
    CloseNote(note);
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    EXPECT_EQ(IntegrityOf("topid.nsf"), "ok");
}

TEST_F(DamagedDatabaseTest, RowsDamagedAsUsersMeetThemAnswerEveryCallCleanly) {
    int n = 0;
    for (const auto& damage : damage::RowDamages()) {
        const std::string name = "named" + std::to_string(n++) + ".nsf";
        ASSERT_EQ(damage::Apply(damage, Fresh(name)), "") << damage.what;
        what_ = damage.what;
        ReadDamaged(name);
    }
}

// A fresh copy named name, damaged by sql: a new note's save and a delete (and with ftIndex the full-text
// index) answer ERR_DB_DAMAGED, and the file is left as it was.
void DamagedDatabaseTest::WritesAfter(const std::string& name, const char* sql, bool ftIndex) {
    const std::string path = Fresh(name);
    {
        damage::RawFile raw(path);
        ASSERT_EQ(raw.Exec(sql), "");
    }
    const std::string before = damage::ReadBytes(path);
    DBHANDLE db = 0;
    ASSERT_EQ(OpenDatabase(name.c_str(), &db), NOERROR);
    NOTEHANDLE note = 0;
    ASSERT_EQ(CreateNote(db, &note), NOERROR);
    ASSERT_EQ(SetItemText(note, "Form", "Entry", 5), NOERROR);
    EXPECT_EQ(UpdateNote(note, 0), ERR_DB_DAMAGED);
    CloseNote(note);
    EXPECT_EQ(DeleteNote(db, 3, 0), ERR_DB_DAMAGED);
    if (ftIndex) {
        EXPECT_EQ(FTIndex(db, 0, nullptr, nullptr), ERR_DB_DAMAGED);
    }
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    EXPECT_TRUE(damage::ReadBytes(path) == before);
}

// The database's latest stamps, overwritten with words that are no instant, leave a save no time to stamp it
// with: the save and the delete say the database is damaged (not that a time is invalid, which the caller
// gave none of), and the file is left as it was.
TEST_F(DamagedDatabaseTest, StoredStampsThatAreNoInstantsMakeSavesAnswerDamaged) {
    WritesAfter("stamps.nsf",
                "UPDATE info SET value = x'FFFFFFF0' || substr(value, 5) WHERE length(value) = 8", false);
}

// Information values emptied by another program: a write that builds on one (the mark every write
// transaction leaves) says the database is damaged, not that a universal id is taken, and changes nothing.
TEST_F(DamagedDatabaseTest, AnEmptiedInformationValueMakesWritesAnswerDamagedNotADuplicateId) {
    WritesAfter("emptied.nsf", "UPDATE info SET value = x''", true);
}

} // namespace
} // namespace nnotes::testing
