// The stored view index: kept current by saves and deletes, made again when the view changes or the
// stored index cannot be used, and refused views that are not views or whose design does not read.
#include "testing/child_process.h"
#include "testing/view_fixture.h"

#include <poll.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace nnotes::testing {
namespace {

class ViewIndexTest : public ViewTest {
protected:
    NOTEID MakeNames() {
        const NOTEID view =
            SaveView("Names", {{"Name", "Name", VIEW_COLUMN_SORT}}, "SELECT Form = \"Person\"");
        SaveDocument({Text("Form", "Person"), Text("Name", "Carol")});
        SaveDocument({Text("Form", "Person"), Text("Name", "alice")});
        return view;
    }

    static std::vector<std::string> Names(const std::vector<EntryRow>& rows) {
        std::vector<std::string> names;
        for (const EntryRow& row : rows)
            names.push_back(row.values.at(0));
        return names;
    }

    // Runs SQL on the database file beside the library, as another program would.
    void RunSql(const std::string& statements) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open((data_ + "/views.nsf").c_str(), &raw), SQLITE_OK);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(raw, statements.c_str(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(raw);
    }

    // The layout number the stored index of the view was made by, or -1 without one.
    int64_t StoredLayout(NOTEID view, const std::string& file = "views.nsf") {
        return IndexField("layout", view, file);
    }
    int64_t IndexField(const std::string& field, NOTEID view, const std::string& file = "views.nsf") {
        sqlite3* raw = nullptr;
        EXPECT_EQ(sqlite3_open((data_ + "/" + file).c_str(), &raw), SQLITE_OK);
        sqlite3_stmt* q = nullptr;
        const std::string sql = "SELECT " + field + " FROM view_index WHERE view=?";
        sqlite3_prepare_v2(raw, sql.c_str(), -1, &q, nullptr);
        sqlite3_bind_int64(q, 1, view);
        const int64_t layout = sqlite3_step(q) == SQLITE_ROW ? sqlite3_column_int64(q, 0) : -1;
        sqlite3_finalize(q);
        sqlite3_close(raw);
        return layout;
    }

    STATUS OpenStatus(NOTEID view) {
        HCOLLECTION c = 0;
        const STATUS s = OpenCollection(db_, db_, view, 0, NULLHANDLE, &c);
        if (s == NOERROR) CloseCollection(c);
        return s;
    }
};

TEST_F(ViewIndexTest, SavesAndDeletesReachAnOpenCollectionOnUpdate) {
    const NOTEID view = MakeNames();
    const HCOLLECTION c = Open(view);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"alice", "Carol"}));

    const NOTEID bob = SaveDocument({Text("Form", "Person"), Text("Name", "Bob")});
    SaveDocument({Text("Form", "Thing"), Text("Name", "Anvil")});
    EXPECT_EQ(Names(ReadAll(c)).size(), 2u); // a snapshot until brought up to date
    ASSERT_EQ(UpdateCollection(c), NOERROR);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"alice", "Bob", "Carol"}));

    UpdateDocument(bob, {Text("Name", "Dave")});
    ASSERT_EQ(UpdateCollection(c), NOERROR);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"alice", "Carol", "Dave"}));

    UpdateDocument(bob, {Text("Form", "Thing")});
    ASSERT_EQ(UpdateCollection(c), NOERROR);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"alice", "Carol"}));

    const auto rows = ReadAll(c);
    ASSERT_EQ(DeleteNote(db_, rows[0].id, 0), NOERROR);
    ASSERT_EQ(UpdateCollection(c), NOERROR);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"Carol"}));
    EXPECT_EQ(CloseCollection(c), NOERROR);

    // A fresh open reads the same stored index.
    const HCOLLECTION again = Open(view);
    EXPECT_EQ(Names(ReadAll(again)), (std::vector<std::string>{"Carol"}));
    EXPECT_EQ(CloseCollection(again), NOERROR);
}

TEST_F(ViewIndexTest, OnlySavesThatChangeAViewsRowsCountAsItsChanges) {
    const NOTEID view = MakeNames();
    const NOTEID dave = SaveDocument({Text("Form", "Person"), Text("Name", "Dave"), Text("Note", "a")});
    const HCOLLECTION c = Open(view);
    const int64_t before = IndexField("changes", view);
    UpdateDocument(dave, {Text("Note", "b")}); // an item the view does not show
    EXPECT_EQ(IndexField("changes", view), before);
    UpdateDocument(dave, {Text("Name", "Abe")});
    EXPECT_GT(IndexField("changes", view), before);
    ASSERT_EQ(UpdateCollection(c), NOERROR);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"Abe", "alice", "Carol"}));
    UpdateDocument(dave, {Text("Form", "Thing")});
    ASSERT_EQ(UpdateCollection(c), NOERROR);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"alice", "Carol"}));
    EXPECT_EQ(CloseCollection(c), NOERROR);
}

TEST_F(ViewIndexTest, ChangingTheViewMakesItsIndexAgain) {
    const NOTEID view = MakeNames();
    NOTEHANDLE note = 0;
    ASSERT_EQ(OpenNote(db_, view, 0, &note), NOERROR);
    ASSERT_EQ(DeleteItem(note, VIEW_FORMAT_ITEM, 11), NOERROR);
    const std::string format = FormatValue({{"Name", "Name", VIEW_COLUMN_SORT | VIEW_COLUMN_DESCENDING}});
    ASSERT_EQ(AppendItem(note, 0, VIEW_FORMAT_ITEM, 11, TYPE_VIEW_FORMAT, format.data() + 2,
                         static_cast<uint32_t>(format.size() - 2), nullptr),
              NOERROR);
    ASSERT_EQ(UpdateNote(note, 0), NOERROR);
    ASSERT_EQ(CloseNote(note), NOERROR);
    const HCOLLECTION c = Open(view);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"Carol", "alice"}));
    EXPECT_EQ(CloseCollection(c), NOERROR);

    ASSERT_EQ(DeleteNote(db_, view, 0), NOERROR);
    EXPECT_EQ(OpenStatus(view), ERR_NOTE_NOT_FOUND);
}

TEST_F(ViewIndexTest, AMissingOrDamagedStoredIndexIsMadeAgainOrReported) {
    const NOTEID view = MakeNames();
    CloseDatabase(db_);
    RunSql("DROP TABLE view_rows; DROP TABLE view_index;");
    ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
    HCOLLECTION c = Open(view);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"alice", "Carol"}));
    EXPECT_EQ(CloseCollection(c), NOERROR);

    CloseDatabase(db_);
    RunSql("UPDATE view_rows SET part = -1");
    ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
    EXPECT_EQ(OpenStatus(view), ERR_VIEW_INDEX_DAMAGED);

    // Rows of another layout are never misread: the index is made again.
    CloseDatabase(db_);
    RunSql("UPDATE view_index SET layout = 0");
    ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
    c = Open(view);
    EXPECT_EQ(Names(ReadAll(c)).size(), 2u);
    EXPECT_EQ(CloseCollection(c), NOERROR);

    // A view with responses places rows by their unids: a damaged one is reported too.
    const NOTEID threads =
        SaveView("Threads", {{"Name", "Name", VIEW_COLUMN_SORT}, {"Reply", "Reply", VIEW_COLUMN_RESPONSE}});
    CloseDatabase(db_);
    RunSql("UPDATE view_rows SET unid = x'00' WHERE view = " + std::to_string(threads));
    ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
    EXPECT_EQ(OpenStatus(threads), ERR_VIEW_INDEX_DAMAGED);

    // A summary whose lengths run past its bytes never reaches a caller.
    CloseDatabase(db_);
    RunSql("UPDATE view_rows SET summary = x'40000100'");
    ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
    EXPECT_EQ(OpenStatus(view), ERR_VIEW_INDEX_DAMAGED);
}

// Another process holds the write lock of the file from when it has written a byte to ready until release
// is closed (or, should the reader never let go, until a bound passes: its exit status then says so).
pid_t HoldWriteLock(const std::string& path, const int ready[2], const int release[2]) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    close(ready[0]);
    close(release[1]);
    sqlite3* raw = nullptr;
    if (sqlite3_open(path.c_str(), &raw) != SQLITE_OK) _exit(2);
    if (sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) _exit(3);
    if (write(ready[1], "x", 1) != 1) _exit(4);
    pollfd wait{release[0], POLLIN, 0};
    const int released = poll(&wait, 1, 10000);
    sqlite3_exec(raw, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    _exit(released == 1 ? 0 : 1);
}

TEST_F(ViewIndexTest, AStaleIndexIsReadWithoutWaitingForAnotherProcessWriting) {
    const NOTEID view = MakeNames();
    const int64_t layout = StoredLayout(view);
    CloseDatabase(db_);
    RunSql("UPDATE view_index SET layout = 0");
    ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t writer = HoldWriteLock(data_ + "/views.nsf", ready, release);
    ASSERT_GT(writer, 0);
    close(ready[1]);
    close(release[0]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);

    HCOLLECTION c = 0;
    const STATUS opened = OpenCollection(db_, db_, view, 0, NULLHANDLE, &c);
    close(release[1]);
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the open waited for the writer";
    ASSERT_EQ(opened, NOERROR);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"alice", "Carol"}));
    EXPECT_EQ(StoredLayout(view), 0); // nothing written while the writer held the file

    // Once the writer is gone, the index is made again for the next reader.
    ASSERT_EQ(UpdateCollection(c), NOERROR);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"alice", "Carol"}));
    EXPECT_EQ(CloseCollection(c), NOERROR);
    EXPECT_EQ(StoredLayout(view), layout);
}

// On a full disk the index cannot be made; the view is read all the same, its rows made in memory.
TEST_F(ViewIndexTest, AViewWhoseIndexCannotBeMadeOnAFullDiskIsStillRead) {
    SaveView("Subjects", {{"Subject", "Subject", VIEW_COLUMN_SORT}});
    const NOTEID first = SaveDocument({Text("Subject", "readable")});
    SaveDocument({Text("Subject", "another")});
    CloseDatabase(db_);
    RunSql("DROP TABLE view_rows; DROP TABLE view_index;");
    ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
    const auto answers = AnswersOnAFullDisk(root_ + "/full", data_ + "/views.nsf", first);
    if (answers.empty())
        GTEST_SKIP() << "a file system of its own can be mounted only with the rights to do so";
    EXPECT_EQ(answers, (std::vector<std::string>{"opened 0", "read 0 readable",
                                                 "saved " + std::to_string(ERR_DB_DISK_FULL), "view 0 2"}));
}

TEST_F(ViewIndexTest, ACopyOfEveryNoteTakesTheStoredIndexesAlong) {
    const NOTEID view = MakeNames();
    ASSERT_EQ(CopyDatabase("views.nsf", "copy.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), NOERROR);
    EXPECT_EQ(StoredLayout(view, "copy.nsf"), StoredLayout(view));
    DBHANDLE copy = 0;
    ASSERT_EQ(OpenDatabase("copy.nsf", &copy), NOERROR);
    const DBHANDLE mine = db_;
    db_ = copy;
    const HCOLLECTION c = Open(view);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"alice", "Carol"}));
    EXPECT_EQ(CloseCollection(c), NOERROR);
    db_ = mine;
    CloseDatabase(copy);

    // Without the documents, an index would show what the copy does not hold.
    ASSERT_EQ(CopyDatabase("views.nsf", "design.nsf", NOTE_CLASS_VIEW, 0, 0, nullptr), NOERROR);
    EXPECT_EQ(StoredLayout(view, "design.nsf"), -1);
}

TEST_F(ViewIndexTest, AViewOfAnotherDatabaseIsMadeInMemory) {
    const NOTEID view = SaveView("All", {{"Name", "Name", VIEW_COLUMN_SORT}});
    DBHANDLE other = MakeDatabase("other.nsf");
    const DBHANDLE mine = db_;
    db_ = other;
    SaveDocument({Text("Name", "y")});
    SaveDocument({Text("Name", "x")});
    db_ = mine;
    HCOLLECTION c = 0;
    ASSERT_EQ(OpenCollection(mine, other, view, 0, NULLHANDLE, &c), NOERROR);
    EXPECT_EQ(Names(ReadAll(c)), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(CloseCollection(c), NOERROR);
    CloseDatabase(other);
}

TEST_F(ViewIndexTest, NotesThatAreNoReadableViewsAreRefused) {
    const NOTEID form = SaveRaw(NOTE_CLASS_FORM, {{FIELD_TITLE, TYPE_TEXT, "Form"}});
    EXPECT_EQ(OpenStatus(form), ERR_NOT_A_VIEW);
    EXPECT_EQ(OpenStatus(SaveRaw(NOTE_CLASS_VIEW, {{FIELD_TITLE, TYPE_TEXT, "No format"}})), ERR_VIEW_FORMAT);

    const std::string good = FormatValue({{"Name", "Name", VIEW_COLUMN_SORT}}).substr(2);
    const auto viewWith = [&](uint16_t type, const std::string& format) {
        return SaveRaw(NOTE_CLASS_VIEW, {{FIELD_TITLE, TYPE_TEXT, "Bad"}, {VIEW_FORMAT_ITEM, type, format}});
    };
    EXPECT_EQ(OpenStatus(viewWith(TYPE_TEXT, good)), ERR_VIEW_FORMAT);
    EXPECT_EQ(OpenStatus(viewWith(TYPE_VIEW_FORMAT, good.substr(0, good.size() - 1))), ERR_VIEW_FORMAT);
    EXPECT_EQ(OpenStatus(viewWith(TYPE_VIEW_FORMAT, good.substr(0, 20))), ERR_VIEW_FORMAT);
    EXPECT_EQ(OpenStatus(viewWith(TYPE_VIEW_FORMAT, "")), ERR_VIEW_FORMAT);
    EXPECT_EQ(OpenStatus(viewWith(TYPE_VIEW_FORMAT, FormatValue({{"Name", "Name"}}, 2).substr(2))),
              ERR_VIEW_FORMAT);
    EXPECT_EQ(OpenStatus(viewWith(TYPE_VIEW_FORMAT, FormatValue({}).substr(2, 8))), ERR_VIEW_FORMAT);
    // A layout of no columns is a view all the same.
    EXPECT_EQ(OpenStatus(viewWith(TYPE_VIEW_FORMAT, FormatValue({}).substr(2))), NOERROR);
    std::string huge = good;
    huge[2] = '\xFF'; // column count far beyond the bytes
    huge[3] = '\xFF';
    EXPECT_EQ(OpenStatus(viewWith(TYPE_VIEW_FORMAT, huge)), ERR_VIEW_FORMAT);
    EXPECT_EQ(OpenStatus(SaveRaw(NOTE_CLASS_VIEW, {{VIEW_FORMAT_ITEM, TYPE_VIEW_FORMAT, good},
                                                   {VIEW_FORMULA_ITEM, TYPE_FORMULA, "not compiled"}})),
              ERR_VIEW_FORMULA);
    EXPECT_EQ(OpenStatus(SaveRaw(NOTE_CLASS_VIEW, {{VIEW_FORMAT_ITEM, TYPE_VIEW_FORMAT, good},
                                                   {VIEW_FORMULA_ITEM, TYPE_TEXT, "SELECT @All"}})),
              ERR_VIEW_FORMULA);
    // Documents saved beside such views are stored all the same.
    EXPECT_NE(SaveDocument({Text("Name", "kept")}), 0u);
    EXPECT_EQ(OpenStatus(0x12345), ERR_NOTE_NOT_FOUND);
}

} // namespace
} // namespace nnotes::testing
