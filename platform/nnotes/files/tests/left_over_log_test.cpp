// A log left beside a database by a process that ended without closing it is applied only when it can be
// shown to belong to the file: a database copied or restored by hand under the name of one whose writer was
// killed must not take in that writer's log. SQLite applies any log whose own checksums hold, whatever file
// it was written for, and the first connection's close then writes the mixture into the file for good.
#include "testing/child_process.h"
#include "testing/store_fixture.h"

#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>

namespace nnotes::testing {
namespace {

class LeftOverLogTest : public StoreTest {
protected:
    std::string PathOf(const std::string& name) const { return data_ + "/" + name; }

    // Saves count notes in a process of its own that is then killed: its log stays beside the database.
    std::vector<NOTEID> SaveAndDie(const std::string& name, int count) {
        ChildProcess writer({"hold", name});
        EXPECT_EQ(writer.ReadLine(), "ready");
        std::vector<NOTEID> ids;
        for (int i = 0; i < count; ++i) {
            writer.Send("save written by the killed writer");
            ids.push_back(static_cast<NOTEID>(std::stoul(writer.ReadLine())));
        }
        writer.Kill();
        EXPECT_TRUE(std::filesystem::exists(PathOf(name + "-wal")));
        return ids;
    }

    // Makes a closed database of count notes.
    std::vector<NOTEID> Populate(const std::string& name, int count, const std::string& subject) {
        DBHANDLE db = MakeDatabase(name);
        std::vector<NOTEID> ids;
        for (int i = 0; i < count; ++i)
            ids.push_back(
                SaveNote(db, {{"Subject", subject.c_str()}, {"Body", std::string(500, 'b').c_str()}}));
        EXPECT_EQ(CloseDatabase(db), NOERROR);
        return ids;
    }

    // Copies a file over another as cp does: into the same file, which keeps its name and inode.
    void CopyByHand(const std::string& from, const std::string& to) {
        std::filesystem::copy_file(PathOf(from), PathOf(to),
                                   std::filesystem::copy_options::overwrite_existing);
    }
};

// Every write transaction goes on from the mark of the one before with a mark of its own, saves (which mark
// together with the modified time) as much as other changes; a save refused writes no mark.
TEST_F(LeftOverLogTest, EveryWriteTransactionMarksTheLogOnFromTheMarkBefore) {
    DBHANDLE db = MakeDatabase("marks.nsf");
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open_v2(PathOf("marks.nsf").c_str(), &reader, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    auto markOf = [&] {
        sqlite3_stmt* q = nullptr;
        std::string mark;
        EXPECT_EQ(sqlite3_prepare_v2(reader, "SELECT value FROM info WHERE key='log'", -1, &q, nullptr),
                  SQLITE_OK);
        if (sqlite3_step(q) == SQLITE_ROW)
            mark.assign(static_cast<const char*>(sqlite3_column_blob(q, 0)),
                        static_cast<size_t>(sqlite3_column_bytes(q, 0)));
        sqlite3_finalize(q);
        return mark;
    };
    SaveNote(db, {{"Subject", "first"}}); // a new file has no mark before its first write
    std::string before = markOf();
    ASSERT_EQ(before.size(), 16u);
    auto expectMarked = [&](const char* what) {
        const std::string now = markOf();
        ASSERT_EQ(now.size(), 16u) << what;
        EXPECT_EQ(now.substr(0, 8), before.substr(8)) << what;
        EXPECT_NE(now.substr(8), before.substr(8)) << what;
        before = now;
    };
    const NOTEID id = SaveNote(db, {{"Subject", "new"}});
    expectMarked("a new note");
    NOTEHANDLE a = 0, b = 0;
    ASSERT_EQ(OpenNote(db, id, 0, &a), NOERROR);
    ASSERT_EQ(OpenNote(db, id, 0, &b), NOERROR);
    ASSERT_EQ(SetItemText(a, "Subject", "changed", 7), NOERROR);
    ASSERT_EQ(UpdateNote(a, 0), NOERROR);
    expectMarked("a save in place");
    ASSERT_EQ(SetItemText(b, "Subject", "refused", 7), NOERROR);
    ASSERT_EQ(UpdateNote(b, 0), ERR_NOTE_CONFLICT);
    EXPECT_EQ(markOf(), before) << "a refused save";
    ASSERT_EQ(UpdateNote(b, UPDATE_FORCE), NOERROR);
    expectMarked("a forced save");
    ASSERT_EQ(SaveNote(db, {{"$Title", "Design"}}, NOTE_CLASS_FORM) != 0, true);
    expectMarked("a design note");
    Instant data{}, design{};
    int order = 0;
    ASSERT_EQ(GetModifiedTimes(db, &data, &design), NOERROR);
    ASSERT_EQ(CompareInstants(&design, &data, &order), NOERROR);
    EXPECT_GT(order, 0) << "the design note's save set the design time, with its mark";
    ASSERT_EQ(SetDatabaseOptionBits(db, 1, 1), NOERROR);
    expectMarked("an option bit");
    ASSERT_EQ(SetDatabaseOptions(db, 3), NOERROR);
    expectMarked("the options word");
    char info[DBINFO_SIZE] = "Marks\nof the log";
    ASSERT_EQ(SetDatabaseInfo(db, info), NOERROR);
    expectMarked("the database's title and categories");
    DHANDLE acl = NULLHANDLE;
    ASSERT_EQ(ReadACL(db, &acl), NOERROR);
    ASSERT_EQ(AddACLEntry(acl, "CN=Reader/O=Acme", ACL_LEVEL_READER, nullptr, 0), NOERROR);
    ASSERT_EQ(StoreACL(db, acl), NOERROR);
    ASSERT_EQ(FreeBlock(acl), NOERROR);
    expectMarked("the access control list");
    ASSERT_EQ(DeleteNote(db, id, 0), NOERROR);
    expectMarked("a deletion");
    EXPECT_EQ(CloseNote(a), NOERROR);
    EXPECT_EQ(CloseNote(b), NOERROR);
    sqlite3_close(reader);
    ASSERT_EQ(CloseDatabase(db), NOERROR);
}

TEST_F(LeftOverLogTest, AnotherDatabasesLogIsRefusedAndBothFilesStayAsTheyWere) {
    const auto others = Populate("other.nsf", 120, "other");
    Populate("a.nsf", 1, "a");
    SaveAndDie("a.nsf", 20);
    CopyByHand("other.nsf", "a.nsf");
    const std::string file = ReadFile(PathOf("a.nsf")), log = ReadFile(PathOf("a.nsf-wal"));

    DBHANDLE db = 0;
    EXPECT_EQ(OpenDatabase("a.nsf", &db), ERR_DB_FOREIGN_LOG);
    uint32_t used = 0, unused = 0;
    EXPECT_EQ(GetDatabaseFileInfo("a.nsf", 0, &used, &unused), ERR_DB_FOREIGN_LOG);
    EXPECT_EQ(CopyDatabase("a.nsf", "copy.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), ERR_DB_FOREIGN_LOG);
    EXPECT_FALSE(std::filesystem::exists(PathOf("copy.nsf")));
    EXPECT_TRUE(ReadFile(PathOf("a.nsf")) == file) << "a.nsf was changed";
    EXPECT_TRUE(ReadFile(PathOf("a.nsf-wal")) == log) << "a.nsf-wal was changed";
    char text[256];
    LoadNotesMessage(ERR_DB_FOREIGN_LOG, text, sizeof text);
    EXPECT_STREQ(text, "A log file beside the database does not belong to it");

    // Without the stray log the copy is whole again.
    std::filesystem::remove(PathOf("a.nsf-wal"));
    std::filesystem::remove(PathOf("a.nsf-shm"));
    ASSERT_EQ(OpenDatabase("a.nsf", &db), NOERROR);
    for (NOTEID id : others)
        EXPECT_EQ(TextOf(db, id, "Subject"), "other") << id;
    EXPECT_EQ(CloseDatabase(db), NOERROR);
}

// The everyday case: a backup copied back beside a killed writer's log. Either the writer's log began after
// the backup was taken (the database was closed in between, which folded its log into it), or the writer
// began on the very file the backup copies: then the copy put back a while after the writer died is not the
// file its log goes on from either.
TEST_F(LeftOverLogTest, ABackupCopiedBackBesideAKilledWritersLogIsRefused) {
    for (const bool closedBetween : {true, false}) {
        const std::string name = closedBetween ? "closed.nsf" : "straight.nsf";
        const auto early = Populate(name, 10, "early");
        CopyByHand(name, "backup-" + name);
        DBHANDLE db = 0;
        if (closedBetween) {
            ASSERT_EQ(OpenDatabase(name.c_str(), &db), NOERROR);
            for (int i = 0; i < 10; ++i)
                SaveNote(db, {{"Subject", "later"}});
            ASSERT_EQ(CloseDatabase(db), NOERROR);
        }
        SaveAndDie(name, 5);
        const timespec aMinuteAgo[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, PathOf(name + "-wal").c_str(), aMinuteAgo, 0), 0);
        CopyByHand("backup-" + name, name);
        const std::string file = ReadFile(PathOf(name)), log = ReadFile(PathOf(name + "-wal"));

        EXPECT_EQ(OpenDatabase(name.c_str(), &db), ERR_DB_FOREIGN_LOG) << name;
        EXPECT_TRUE(ReadFile(PathOf(name)) == file) << name << " was changed";
        EXPECT_TRUE(ReadFile(PathOf(name + "-wal")) == log) << name << "-wal was changed";

        // Replacing the database is still allowed: the stray log goes with the file it stood beside.
        ASSERT_EQ(CopyDatabase(("backup-" + name).c_str(), name.c_str(), NOTE_CLASS_ALL, 0, 0, nullptr),
                  NOERROR);
        EXPECT_FALSE(std::filesystem::exists(PathOf(name + "-wal")));
        ASSERT_EQ(OpenDatabase(name.c_str(), &db), NOERROR);
        for (NOTEID id : early)
            EXPECT_EQ(TextOf(db, id, "Subject"), "early") << id;
        EXPECT_EQ(CloseDatabase(db), NOERROR);
    }
}

// The log of a writer killed at any moment belongs to its file, also when the writer's log has been folded
// into the file and begun afresh (more than a thousand pages) before the kill, or was being folded when it
// came: every save it acknowledged is there.
TEST_F(LeftOverLogTest, AKilledWritersOwnLogIsTakenInWhereverTheKillCame) {
    Populate("a.nsf", 1, "a");
    std::mt19937 random(20261210);
    std::set<NOTEID> acknowledged;
    for (int kill = 0; kill < 6; ++kill) {
        {
            ChildProcess saver({"save-loop", "a.nsf", "0"});
            KillSoon(saver, std::uniform_int_distribution<int>(50, 1200)(random), random);
            for (std::string line; !(line = saver.ReadLine()).empty();) {
                ASSERT_EQ(line.find("error"), std::string::npos) << line;
                acknowledged.insert(static_cast<NOTEID>(std::stoul(line)));
            }
        }
        DBHANDLE db = 0;
        ASSERT_EQ(OpenDatabase("a.nsf", &db), NOERROR) << "after kill " << kill;
        for (NOTEID id : acknowledged)
            ASSERT_EQ(TextOf(db, id, "Form"), "Entry") << "note " << id << " after kill " << kill;
        ASSERT_EQ(CloseDatabase(db), NOERROR);
    }
}

// Where a read meets damage in the file, closing never folds the log into it: what is there stays as it was
// for whoever mends it.
TEST_F(LeftOverLogTest, ADamagedDatabaseIsNeverWritten) {
    const auto ids = Populate("a.nsf", 60, "old");
    SaveAndDie("a.nsf", 3);
    // Every page of the file beyond the first two that the log does not hold is overwritten.
    const std::string log = ReadFile(PathOf("a.nsf-wal"));
    std::string file = ReadFile(PathOf("a.nsf"));
    const size_t page = 4096;
    std::set<uint32_t> logged;
    for (size_t at = 32; at + 24 + page <= log.size(); at += 24 + page)
        logged.insert(uint32_t{static_cast<uint8_t>(log[at])} << 24 |
                      uint32_t{static_cast<uint8_t>(log[at + 1])} << 16 |
                      uint32_t{static_cast<uint8_t>(log[at + 2])} << 8 | static_cast<uint8_t>(log[at + 3]));
    for (uint32_t number = 3; number * page <= file.size(); ++number)
        if (!logged.count(number)) std::fill_n(file.begin() + (number - 1) * page, page, '\xFF');
    std::ofstream(PathOf("a.nsf"), std::ios::binary | std::ios::trunc) << file;
    // Damage of the disk's making: no write stamped the file after its log.
    const timespec aMinuteAgo[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, PathOf("a.nsf").c_str(), aMinuteAgo, 0), 0);

    DBHANDLE db = 0;
    ASSERT_EQ(OpenDatabase("a.nsf", &db), NOERROR);
    std::set<STATUS> met;
    for (NOTEID id : ids) {
        NOTEHANDLE note = 0;
        const STATUS s = OpenNote(db, id, 0, &note);
        if (s == NOERROR) CloseNote(note);
        met.insert(s);
    }
    EXPECT_TRUE(met.count(ERR_DB_DAMAGED)) << "the damage was not met";
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    EXPECT_TRUE(ReadFile(PathOf("a.nsf")) == file) << "a.nsf was changed";
    EXPECT_TRUE(ReadFile(PathOf("a.nsf-wal")) == log) << "a.nsf-wal was changed";
}

} // namespace
} // namespace nnotes::testing
