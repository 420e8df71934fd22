// The stored view index: kept current by saves and deletes, made again when the view changes or the
// stored index cannot be used, and refused views that are not views or whose design does not read.
#include "view_fixture.h"

#include <sqlite3.h>

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
    RunSql("UPDATE view_rows SET unid = x'00'");
    ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
    EXPECT_EQ(OpenStatus(view), ERR_VIEW_INDEX_DAMAGED);

    // Rows of another layout are never misread: the index is made again.
    CloseDatabase(db_);
    RunSql("UPDATE view_index SET layout = 0");
    ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
    c = Open(view);
    EXPECT_EQ(Names(ReadAll(c)).size(), 2u);
    EXPECT_EQ(CloseCollection(c), NOERROR);

    // A summary whose lengths run past its bytes never reaches a caller.
    CloseDatabase(db_);
    RunSql("UPDATE view_rows SET summary = x'40000100'");
    ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
    EXPECT_EQ(OpenStatus(view), ERR_VIEW_INDEX_DAMAGED);
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
