// Durability and sharing between processes: a save that returned survives a kill, and two processes write
// one database at the same time.
#include "testing/store_fixture.h"

#include <csignal>
#include <cstring>
#include <functional>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace nnotes::testing {
namespace {

using StoreProcessTest = StoreTest;

// Runs body in a child process that starts the library itself; the child's exit status is body's result.
pid_t Spawn(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        int result = 1;
        if (InitProcess(0, nullptr) == NOERROR) result = body();
        _exit(result);
    }
    return pid;
}

// Saves notes with a text item "Writer" = writer in its own process; the ids go down the pipe.
int WriteNotes(const char* writer, int count, int pipeOut) {
    DBHANDLE db = 0;
    if (OpenDatabase("shared.nsf", &db) != NOERROR) return 2;
    for (int i = 0; i < count; ++i) {
        NOTEHANDLE note = 0;
        if (CreateNote(db, &note) != NOERROR) return 3;
        if (SetItemText(note, "Writer", writer, static_cast<uint16_t>(std::strlen(writer))) != NOERROR)
            return 4;
        if (UpdateNote(note, 0) != NOERROR) return 5;
        NOTEID id = 0;
        GetNoteInfo(note, NOTE_INFO_ID, &id);
        if (write(pipeOut, &id, sizeof id) != sizeof id) return 6;
        CloseNote(note);
    }
    return CloseDatabase(db) == NOERROR ? 0 : 7;
}

TEST_F(StoreProcessTest, ASaveThatReturnedSurvivesSigkill) {
    ASSERT_EQ(CreateDatabase("shared.nsf", 0, false, 0, 0, 0), NOERROR);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = Spawn([&] {
        DBHANDLE db = 0;
        NOTEHANDLE note = 0;
        NOTEID id = 0;
        if (OpenDatabase("shared.nsf", &db) != NOERROR || CreateNote(db, &note) != NOERROR) return 2;
        if (SetItemText(note, "Subject", "acknowledged", 12) != NOERROR) return 3;
        if (UpdateNote(note, 0) != NOERROR) return 4;
        GetNoteInfo(note, NOTE_INFO_ID, &id);
        if (write(fds[1], &id, sizeof id) != sizeof id) return 5;
        raise(SIGKILL); // no close, no clean end
        return 6;
    });
    ASSERT_GT(child, 0);
    close(fds[1]);
    NOTEID id = 0;
    ASSERT_EQ(read(fds[0], &id, sizeof id), static_cast<ssize_t>(sizeof id));
    close(fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);

    DBHANDLE db = 0;
    ASSERT_EQ(OpenDatabase("shared.nsf", &db), NOERROR);
    EXPECT_EQ(TextOf(db, id, "Subject"), "acknowledged");
    EXPECT_EQ(CloseDatabase(db), NOERROR);
}

TEST_F(StoreProcessTest, TwoProcessesWriteOneDatabase) {
    ASSERT_EQ(CreateDatabase("shared.nsf", 0, false, 0, 0, 0), NOERROR);
    constexpr int kEach = 40;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t a = Spawn([&] { return WriteNotes("a", kEach, fds[1]); });
    const pid_t b = Spawn([&] { return WriteNotes("b", kEach, fds[1]); });
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    close(fds[1]);
    std::set<NOTEID> ids;
    NOTEID id = 0;
    while (read(fds[0], &id, sizeof id) == static_cast<ssize_t>(sizeof id))
        EXPECT_TRUE(ids.insert(id).second) << id;
    close(fds[0]);
    for (pid_t child : {a, b}) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    ASSERT_EQ(ids.size(), 2u * kEach);
    DBHANDLE db = 0;
    ASSERT_EQ(OpenDatabase("shared.nsf", &db), NOERROR);
    int fromA = 0, fromB = 0;
    for (NOTEID each : ids) {
        const std::string writer = TextOf(db, each, "Writer");
        fromA += writer == "a";
        fromB += writer == "b";
    }
    EXPECT_EQ(fromA, kEach);
    EXPECT_EQ(fromB, kEach);
    EXPECT_EQ(CloseDatabase(db), NOERROR);
}

// The first text of item name in the open note, from its value block; "?" when it has none.
std::string BlockText(NOTEHANDLE note, const char* name) {
    BLOCKID value{};
    uint32_t length = 0;
    if (FindItemByName(note, name, static_cast<uint16_t>(std::strlen(name)), nullptr, nullptr, &value,
                       &length) != NOERROR)
        return "?";
    const auto* at = static_cast<const char*>(LockBlock(value.pool)) + value.block;
    std::string text(at + sizeof(uint16_t), length - sizeof(uint16_t));
    UnlockBlock(value.pool);
    return text;
}

TEST_F(StoreProcessTest, ANoteOpenedBeforeAnotherProcessSavesItReadsAsOpened) {
    // The values are first looked at only after another process saved the note: they are all still the
    // version this process opened, and a save of that version is refused, not mixed into the newer one.
    ASSERT_EQ(CreateDatabase("shared.nsf", 0, false, 0, 0, 0), NOERROR);
    DBHANDLE db = 0;
    ASSERT_EQ(OpenDatabase("shared.nsf", &db), NOERROR);
    NOTEHANDLE note = 0;
    ASSERT_EQ(CreateNote(db, &note), NOERROR);
    ASSERT_EQ(SetItemText(note, "A", "a", 1), NOERROR);
    ASSERT_EQ(SetItemText(note, "B", "b", 1), NOERROR);
    ASSERT_EQ(UpdateNote(note, 0), NOERROR);
    NOTEID id = 0;
    GetNoteInfo(note, NOTE_INFO_ID, &id);
    ASSERT_EQ(CloseNote(note), NOERROR);
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    int go[2], done[2];
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = Spawn([&] {
        char byte = 0;
        if (read(go[0], &byte, 1) != 1) return 2;
        DBHANDLE theirs = 0;
        NOTEHANDLE changed = 0;
        if (OpenDatabase("shared.nsf", &theirs) != NOERROR || OpenNote(theirs, id, 0, &changed) != NOERROR)
            return 3;
        if (SetItemText(changed, "B", "theirs", 6) != NOERROR || DeleteItem(changed, "A", 1) != NOERROR)
            return 4;
        if (UpdateNote(changed, 0) != NOERROR) return 5;
        CloseNote(changed);
        CloseDatabase(theirs);
        return write(done[1], &byte, 1) == 1 ? 0 : 6;
    });
    ASSERT_GT(child, 0);
    ASSERT_EQ(OpenDatabase("shared.nsf", &db), NOERROR);
    ASSERT_EQ(OpenNote(db, id, 0, &note), NOERROR);
    char byte = 1;
    ASSERT_EQ(write(go[1], &byte, 1), 1);
    ASSERT_EQ(read(done[0], &byte, 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    for (int fd : {go[0], go[1], done[0], done[1]})
        close(fd);
    EXPECT_EQ(BlockText(note, "A"), "a");
    EXPECT_EQ(BlockText(note, "B"), "b");
    EXPECT_EQ(SetItemText(note, "A", "ours", 4), NOERROR);
    EXPECT_EQ(UpdateNote(note, 0), ERR_NOTE_CONFLICT);
    ASSERT_EQ(CloseNote(note), NOERROR);
    EXPECT_EQ(TextOf(db, id, "B"), "theirs");
    EXPECT_EQ(TextOf(db, id, "A"), "<missing>");
    EXPECT_EQ(CloseDatabase(db), NOERROR);
}

// Values another process stored come back byte for byte whatever their size, type word first; one of them
// changed in its block here is saved, and the other process reads the change and nothing else changed.
TEST_F(StoreProcessTest, ValuesAnotherProcessStoredReadBackWholeAndAChangeInTheirBlockIsSaved) {
    ASSERT_EQ(CreateDatabase("shared.nsf", 0, false, 0, 0, 0), NOERROR);
    const std::string big(60000, 'g');
    const unsigned char number[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t writer = Spawn([&] {
        DBHANDLE db = 0;
        NOTEHANDLE note = 0;
        if (OpenDatabase("shared.nsf", &db) != NOERROR || CreateNote(db, &note) != NOERROR) return 2;
        if (SetItemText(note, "Empty", "", 0) != NOERROR ||
            AppendItem(note, ITEM_SUMMARY, "Number", 6, TYPE_NUMBER, number, sizeof number, nullptr) !=
                NOERROR ||
            SetItemText(note, "Big", big.data(), static_cast<uint16_t>(big.size())) != NOERROR ||
            SetItemText(note, "Last", "last", 4) != NOERROR)
            return 3;
        if (UpdateNote(note, 0) != NOERROR) return 4;
        NOTEID id = 0;
        GetNoteInfo(note, NOTE_INFO_ID, &id);
        CloseNote(note);
        CloseDatabase(db);
        return write(fds[1], &id, sizeof id) == sizeof id ? 0 : 5;
    });
    ASSERT_GT(writer, 0);
    NOTEID id = 0;
    ASSERT_EQ(read(fds[0], &id, sizeof id), static_cast<ssize_t>(sizeof id));
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    DBHANDLE db = 0;
    ASSERT_EQ(OpenDatabase("shared.nsf", &db), NOERROR);
    NOTEHANDLE note = 0;
    ASSERT_EQ(OpenNote(db, id, 0, &note), NOERROR);
    const auto stored = [&](const char* name, uint16_t* type = nullptr) {
        BLOCKID value{};
        uint32_t length = 0;
        EXPECT_EQ(FindItemByName(note, name, static_cast<uint16_t>(std::strlen(name)), nullptr, type, &value,
                                 &length),
                  NOERROR)
            << name;
        const auto* at = static_cast<const char*>(LockBlock(value.pool)) + value.block;
        std::string bytes(at, length);
        UnlockBlock(value.pool);
        return bytes;
    };
    uint16_t type = 0;
    EXPECT_EQ(stored("Empty", &type), std::string("\0\5", 2));
    EXPECT_EQ(type, TYPE_TEXT);
    EXPECT_EQ(stored("Number", &type),
              std::string("\0\3", 2) + std::string(reinterpret_cast<const char*>(number), 8));
    EXPECT_EQ(type, TYPE_NUMBER);
    EXPECT_EQ(stored("Big"), std::string("\0\5", 2) + big);
    EXPECT_EQ(stored("Last"), std::string("\0\5", 2) + "last");
    // Past the first word of the big value, where only the second lane of its hash sees it.
    BLOCKID value{};
    ASSERT_EQ(FindItemByName(note, "Big", 3, nullptr, nullptr, &value, nullptr), NOERROR);
    static_cast<char*>(LockBlock(value.pool))[value.block + 2 + 9] = 'h';
    UnlockBlock(value.pool);
    ASSERT_EQ(UpdateNote(note, 0), NOERROR);
    ASSERT_EQ(CloseNote(note), NOERROR);
    ASSERT_EQ(CloseDatabase(db), NOERROR);

    std::string changed = big;
    changed[9] = 'h';
    const pid_t reader = Spawn([&] {
        DBHANDLE theirs = 0;
        NOTEHANDLE read = 0;
        if (OpenDatabase("shared.nsf", &theirs) != NOERROR || OpenNote(theirs, id, 0, &read) != NOERROR)
            return 2;
        BLOCKID big{};
        uint32_t length = 0;
        if (FindItemByName(read, "Big", 3, nullptr, nullptr, &big, &length) != NOERROR) return 3;
        const auto* at = static_cast<const char*>(LockBlock(big.pool)) + big.block;
        const bool same = std::string(at, length) == std::string("\0\5", 2) + changed;
        UnlockBlock(big.pool);
        CloseNote(read);
        const bool others = TextOf(theirs, id, "Last") == "last" && TextOf(theirs, id, "Empty").empty();
        CloseDatabase(theirs);
        return same && others ? 0 : 4;
    });
    ASSERT_GT(reader, 0);
    ASSERT_EQ(waitpid(reader, &status, 0), reader);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    close(fds[0]);
    close(fds[1]);
}

// This process's handle keeps its latest stamp between its saves; another process's saves in between (run
// ahead of the clock) must still come before this process's next stamp.
TEST_F(StoreProcessTest, ASaveAfterAnotherProcessesSavesIsStampedLaterThanTheirs) {
    DBHANDLE db = MakeDatabase("shared.nsf");
    SaveNote(db, {{"Subject", "first"}});
    const pid_t child = Spawn([&] {
        DBHANDLE other = 0;
        if (OpenDatabase("shared.nsf", &other) != NOERROR) return 2;
        int ahead = 0;
        for (int i = 0; i < 20000 && ahead <= 0; ++i) {
            NOTEHANDLE note = 0;
            if (CreateNote(other, &note) != NOERROR || UpdateNote(note, 0) != NOERROR) return 3;
            CloseNote(note);
            Instant theirs{}, now{};
            if (GetModifiedTimes(other, &theirs, nullptr) != NOERROR || CurrentTime(&now) != NOERROR ||
                AdvanceInstant(&now, 20) != NOERROR || CompareInstants(&theirs, &now, &ahead) != NOERROR)
                return 4;
        }
        if (ahead <= 0) return 5;
        return CloseDatabase(other) == NOERROR ? 0 : 6;
    });
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    Instant theirs{};
    ASSERT_EQ(GetModifiedTimes(db, &theirs, nullptr), NOERROR);
    const NOTEID id = SaveNote(db, {{"Subject", "after"}});
    const ORIGINATORID oid = OidOf(db, id);
    int order = 0;
    ASSERT_EQ(CompareInstants(&oid.sequenceTime, &theirs, &order), NOERROR);
    EXPECT_GT(order, 0);
    ASSERT_EQ(CloseDatabase(db), NOERROR);
}

// The latest mark in the log row of a database file (its last 8 bytes).
std::string LatestMark(const std::string& path) {
    sqlite3* raw = nullptr;
    std::string mark;
    if (sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* q = nullptr;
        if (sqlite3_prepare_v2(raw, "SELECT substr(value, 9, 8) FROM info WHERE key='log'", -1, &q,
                               nullptr) == SQLITE_OK &&
            sqlite3_step(q) == SQLITE_ROW)
            mark.assign(static_cast<const char*>(sqlite3_column_blob(q, 0)),
                        static_cast<size_t>(sqlite3_column_bytes(q, 0)));
        sqlite3_finalize(q);
    }
    sqlite3_close(raw);
    return mark;
}

// A forked child marks its transactions with marks of its own, not the ones its parent goes on to give.
TEST_F(StoreProcessTest, AForkedChildNeverMarksWithItsParentsMarks) {
    DBHANDLE parent = MakeDatabase("parent.nsf");
    ASSERT_EQ(CreateDatabase("child.nsf", 0, false, 0, 0, 0), NOERROR);
    SaveNote(parent, {{"Subject", "before the fork"}});
    const pid_t child = Spawn([] {
        DBHANDLE db = 0;
        NOTEHANDLE note = 0;
        if (OpenDatabase("child.nsf", &db) != NOERROR || CreateNote(db, &note) != NOERROR) return 2;
        if (UpdateNote(note, 0) != NOERROR) return 3;
        CloseNote(note);
        return CloseDatabase(db) == NOERROR ? 0 : 4;
    });
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    SaveNote(parent, {{"Subject", "after the fork"}});
    ASSERT_EQ(CloseDatabase(parent), NOERROR);
    const std::string mine = LatestMark(data_ + "/parent.nsf"), theirs = LatestMark(data_ + "/child.nsf");
    ASSERT_EQ(mine.size(), 8u);
    ASSERT_EQ(theirs.size(), 8u);
    EXPECT_NE(mine, theirs);
}

} // namespace
} // namespace nnotes::testing
