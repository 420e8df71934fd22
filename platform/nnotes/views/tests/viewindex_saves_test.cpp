// Saves and the stored view indexes: whatever a save changes (items a view shows or selects by, items no
// view reads, summary flags, deletions, nothing at all), every view's stored rows stay exactly what making
// the index afresh gives; a save that changes nothing a view reads leaves that view's rows alone; builds
// give the same rows whether they keep the index of rows by note or make it again.
#include "testing/child_process.h"
#include "testing/view_fixture.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>

namespace nnotes::testing {
namespace {

class ViewIndexSavesTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        // Selects by an item it does not show; a formula column reads another.
        open_ = SaveView("Open", {{"Name", "Name", VIEW_COLUMN_SORT}}, "SELECT Status = \"open\"");
        codes_ = SaveView("Codes", {{"Region", "Region", VIEW_COLUMN_CATEGORY},
                                    {"Label", "Label", VIEW_COLUMN_SORT, "@UpperCase(Code)"}});
        // Rows that differ with every save, whatever it changes.
        stamped_ =
            SaveView("Stamped", {{"Name", "Name", VIEW_COLUMN_SORT}, {"When", "When", 0, "@Modified"}});
        threads_ = SaveView("Threads",
                            {{"Name", "Name", VIEW_COLUMN_SORT}, {"Reply", "Reply", VIEW_COLUMN_RESPONSE}});
        ann_ = SaveDocument({Text("Name", "Ann"), Text("Status", "open"), Text("Region", "north"),
                             Text("Code", "a1"), Text("Body", "first")});
        bob_ = SaveDocument({Text("Name", "Bob"), Text("Status", "shut"), Text("Region", "south"),
                             Text("Code", "b2"), Text("Body", "second")});
        reply_ = SaveDocument({Text("Name", "Cy"), Text("Reply", "re"), Text("Status", "open")}, ann_);
        views_ = {open_, codes_, stamped_, threads_};
    }

    // Every stored row of every view, in view order, as bytes.
    std::string StoredRows() {
        sqlite3* raw = nullptr;
        EXPECT_EQ(sqlite3_open_v2((data_ + "/views.nsf").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(
            raw,
            "SELECT quote(view), quote(key), quote(note), quote(part), quote(unid), quote(parent),"
            " quote(sortvalues), quote(summary) FROM view_rows ORDER BY view, key, note, part",
            -1, &q, nullptr);
        std::string rows;
        while (q != nullptr && sqlite3_step(q) == SQLITE_ROW) {
            for (int i = 0; i < 8; ++i)
                rows += std::string(reinterpret_cast<const char*>(sqlite3_column_text(q, i))) + " ";
            rows += "\n";
        }
        sqlite3_finalize(q);
        sqlite3_close(raw);
        return rows;
    }

    // One value that SQLite computes from the file.
    int64_t Number(const std::string& query) {
        sqlite3* raw = nullptr;
        EXPECT_EQ(sqlite3_open_v2((data_ + "/views.nsf").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(raw, query.c_str(), -1, &q, nullptr);
        const int64_t n = q != nullptr && sqlite3_step(q) == SQLITE_ROW ? sqlite3_column_int64(q, 0) : -1;
        sqlite3_finalize(q);
        sqlite3_close(raw);
        return n;
    }

    // Runs SQL on the file, as another program would.
    void RunSql(const std::string& statements) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open((data_ + "/views.nsf").c_str(), &raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw, statements.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);
    }

    // Saving a view note again makes its index afresh from every document.
    void Resave(NOTEID id) {
        NOTEHANDLE note = 0;
        ASSERT_EQ(OpenNote(db_, id, 0, &note), NOERROR);
        ASSERT_EQ(UpdateNote(note, 0), NOERROR);
        ASSERT_EQ(CloseNote(note), NOERROR);
    }

    // The rows the saves left against the rows every view's index made afresh gives.
    void ExpectRowsAsMadeAfresh(const char* after) {
        const std::string kept = StoredRows();
        for (NOTEID view : views_)
            Resave(view);
        EXPECT_EQ(kept, StoredRows()) << "after " << after;
    }

    // Opens a document, lets change work on its handle and saves it.
    template <class Change>
    void Save(NOTEID id, Change change) {
        NOTEHANDLE note = 0;
        ASSERT_EQ(OpenNote(db_, id, 0, &note), NOERROR);
        change(note);
        ASSERT_EQ(UpdateNote(note, 0), NOERROR);
        ASSERT_EQ(CloseNote(note), NOERROR);
    }

    static void SetText(NOTEHANDLE note, const char* name, const std::string& text, uint16_t flags) {
        DeleteItem(note, name, static_cast<uint16_t>(std::strlen(name)));
        ASSERT_EQ(AppendItem(note, flags, name, static_cast<uint16_t>(std::strlen(name)), TYPE_TEXT,
                             text.data(), static_cast<uint32_t>(text.size()), nullptr),
                  NOERROR);
    }

    // Overwrites the first bytes of an item's value where they lie, as callers that lock the block may.
    static void OverwriteInPlace(NOTEHANDLE note, const char* name, const std::string& text) {
        BLOCKID item{}, value{};
        uint32_t length = 0;
        ASSERT_EQ(FindItemByName(note, name, static_cast<uint16_t>(std::strlen(name)), &item, nullptr, &value,
                                 &length),
                  NOERROR);
        ASSERT_GE(length, text.size() + 2);
        char* at = static_cast<char*>(LockBlock(value.pool)) + value.block;
        std::memcpy(at + 2, text.data(), text.size());
        UnlockBlock(value.pool);
    }

    NOTEID open_ = 0, codes_ = 0, stamped_ = 0, threads_ = 0;
    std::vector<NOTEID> views_;
    NOTEID ann_ = 0, bob_ = 0, reply_ = 0;
};

TEST_F(ViewIndexSavesTest, EverySaveLeavesEveryViewsRowsAsMakingThemAfreshWould) {
    ExpectRowsAsMadeAfresh("the first saves");

    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Body", "changed, not summary", 0); });
    ExpectRowsAsMadeAfresh("a change of an item no view reads");

    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Status", "open", ITEM_SUMMARY); });
    ExpectRowsAsMadeAfresh("a change of an item only a selection reads");

    Save(ann_, [](NOTEHANDLE n) { OverwriteInPlace(n, "Code", "z9"); });
    ExpectRowsAsMadeAfresh("a value a formula column reads, changed in its block");

    Save(ann_, [](NOTEHANDLE n) { OverwriteInPlace(n, "Body", "FIRST"); });
    ExpectRowsAsMadeAfresh("a value no view reads, changed in its block");

    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Status", "open", 0); });
    ExpectRowsAsMadeAfresh("an item a selection reads becoming non-summary");

    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Status", "open", ITEM_SUMMARY); });
    ExpectRowsAsMadeAfresh("and summary again");

    Save(ann_, [](NOTEHANDLE n) { ASSERT_EQ(DeleteItem(n, "Name", 4), NOERROR); });
    ExpectRowsAsMadeAfresh("a deleted sort item");

    Save(bob_, [](NOTEHANDLE n) { ASSERT_EQ(DeleteItem(n, "status", 6), NOERROR); });
    ExpectRowsAsMadeAfresh("a deleted selection item, named in another case");

    Save(reply_, [](NOTEHANDLE n) { ASSERT_EQ(DeleteItem(n, FIELD_REF, 4), NOERROR); });
    ExpectRowsAsMadeAfresh("a response no longer one");

    Save(bob_, [](NOTEHANDLE) {});
    ExpectRowsAsMadeAfresh("a save that changes nothing (a view shows the time of the save)");

    ASSERT_EQ(DeleteNote(db_, ann_, 0), NOERROR);
    ExpectRowsAsMadeAfresh("a deleted document");
}

TEST_F(ViewIndexSavesTest, ASaveThatChangesNothingAViewReadsLeavesItsRowsAlone) {
    // A row altered behind the library's back shows whether a save made it again.
    const std::string row = " WHERE view = " + std::to_string(open_) + " AND note = " + std::to_string(ann_);
    const auto mark = [&] { RunSql("UPDATE view_rows SET sortvalues = X'00'" + row); };
    const auto marked = [&] { return Number("SELECT sortvalues = X'00' FROM view_rows" + row) == 1; };
    mark();
    ASSERT_TRUE(marked());
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Body", "no view reads this", 0); });
    EXPECT_TRUE(marked());
    Save(ann_, [](NOTEHANDLE n) { OverwriteInPlace(n, "Code", "c3"); }); // read by another view only
    EXPECT_TRUE(marked());
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Status", "open", ITEM_SUMMARY); }); // read by this one
    EXPECT_FALSE(marked());

    mark();
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Name", "Ann", ITEM_SUMMARY); });
    EXPECT_FALSE(marked());

    // A note that was something else when read takes its rows whatever its items.
    Save(ann_, [](NOTEHANDLE n) {
        const uint16_t form = NOTE_CLASS_FORM;
        ASSERT_EQ(SetNoteInfo(n, NOTE_INFO_CLASS, &form), NOERROR);
    });
    EXPECT_EQ(Number("SELECT count(*) FROM view_rows" + row), 0);
    Save(ann_, [](NOTEHANDLE n) {
        const uint16_t document = NOTE_CLASS_DOCUMENT;
        ASSERT_EQ(SetNoteInfo(n, NOTE_INFO_CLASS, &document), NOERROR);
    });
    EXPECT_EQ(Number("SELECT count(*) FROM view_rows" + row), 1);
    ExpectRowsAsMadeAfresh("a note that became a document again");
}

// A handle keeps the views its saves pass from one save to the next: views added, changed or deleted,
// through this handle or another one (another connection to the file, as another process has), are passed
// (or no longer) by its next save.
TEST_F(ViewIndexSavesTest, TheViewsASavePassesFollowViewNotesSavedOrDeletedAnywhere) {
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Body", "passes the views as they are", 0); });
    const auto rowsOf = [&](NOTEID view) {
        return Number("SELECT count(*) FROM view_rows WHERE view = " + std::to_string(view));
    };

    // A view saved through another handle, reading an item no view read before.
    DBHANDLE other = 0;
    ASSERT_EQ(OpenDatabase("views.nsf", &other), NOERROR);
    std::swap(db_, other);
    const NOTEID late = SaveView("Late", {{"Late", "Late", VIEW_COLUMN_SORT}});
    std::swap(db_, other);
    views_.push_back(late);
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Late", "shown late", ITEM_SUMMARY); });
    ExpectRowsAsMadeAfresh("a view saved through another handle");

    // Deleted through another handle: this handle's next save writes no rows of it.
    std::swap(db_, other);
    ASSERT_EQ(DeleteNote(db_, late, 0), NOERROR);
    std::swap(db_, other);
    views_.pop_back();
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Late", "shown nowhere", ITEM_SUMMARY); });
    EXPECT_EQ(rowsOf(late), 0);
    ExpectRowsAsMadeAfresh("a view deleted through another handle");
    ASSERT_EQ(CloseDatabase(other), NOERROR);

    // The same through this handle: a view saved, then its design changed to read another item, then gone.
    const NOTEID mine = SaveView("Mine", {{"Late", "Late", VIEW_COLUMN_SORT}});
    views_.push_back(mine);
    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Late", "bob's", ITEM_SUMMARY); });
    ExpectRowsAsMadeAfresh("a view saved through this handle");
    {
        NOTEHANDLE view = 0;
        ASSERT_EQ(OpenNote(db_, mine, 0, &view), NOERROR);
        const std::string format = FormatValue({{"Other", "Other", VIEW_COLUMN_SORT}});
        DeleteItem(view, VIEW_FORMAT_ITEM, static_cast<uint16_t>(std::strlen(VIEW_FORMAT_ITEM)));
        ASSERT_EQ(AppendItem(view, ITEM_SUMMARY, VIEW_FORMAT_ITEM,
                             static_cast<uint16_t>(std::strlen(VIEW_FORMAT_ITEM)), TYPE_VIEW_FORMAT,
                             format.data() + 2, static_cast<uint32_t>(format.size() - 2), nullptr),
                  NOERROR);
        ASSERT_EQ(UpdateNote(view, 0), NOERROR);
        ASSERT_EQ(CloseNote(view), NOERROR);
    }
    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Other", "read now", ITEM_SUMMARY); });
    ExpectRowsAsMadeAfresh("a view whose design now reads another item");
    ASSERT_EQ(DeleteNote(db_, mine, 0), NOERROR);
    views_.pop_back();
    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Other", "read by none", ITEM_SUMMARY); });
    EXPECT_EQ(rowsOf(mine), 0);
    ExpectRowsAsMadeAfresh("a view deleted through this handle");

    // Inside a batch, which is one transaction: a view saved and deleted between two saves of it.
    ASSERT_EQ(BeginBatch(db_), NOERROR);
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Late", "in the batch", ITEM_SUMMARY); });
    const NOTEID batched = SaveView("Batched", {{"Late", "Late", VIEW_COLUMN_SORT}});
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Late", "shown by the batch's view", ITEM_SUMMARY); });
    ASSERT_EQ(CommitBatch(db_), NOERROR);
    views_.push_back(batched);
    ExpectRowsAsMadeAfresh("a view saved inside a batch");
    ASSERT_EQ(BeginBatch(db_), NOERROR);
    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Late", "before", ITEM_SUMMARY); });
    ASSERT_EQ(DeleteNote(db_, batched, 0), NOERROR);
    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Late", "after", ITEM_SUMMARY); });
    ASSERT_EQ(CommitBatch(db_), NOERROR);
    views_.pop_back();
    EXPECT_EQ(rowsOf(batched), 0);
    ExpectRowsAsMadeAfresh("a view deleted inside a batch");
}

// A file that has no view yet: its saves pass no index, until the first view comes, inside a batch between
// two saves of a document or in a transaction of its own.
TEST_F(ViewIndexSavesTest, TheFirstViewsOfAFileArePassedByTheSavesAfterThem) {
    DBHANDLE fresh = MakeDatabase("fresh.nsf");
    std::swap(db_, fresh);
    const auto rowsShowing = [&](NOTEID view, const std::string& text) {
        sqlite3* raw = nullptr;
        EXPECT_EQ(sqlite3_open_v2((data_ + "/fresh.nsf").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(raw, "SELECT count(*) FROM view_rows WHERE view = ?1 AND instr(summary, ?2) > 0",
                           -1, &q, nullptr);
        sqlite3_bind_int64(q, 1, view);
        sqlite3_bind_text(q, 2, text.c_str(), -1, SQLITE_TRANSIENT);
        const int64_t n = q != nullptr && sqlite3_step(q) == SQLITE_ROW ? sqlite3_column_int64(q, 0) : -1;
        sqlite3_finalize(q);
        sqlite3_close(raw);
        return n;
    };
    const NOTEID doc = SaveDocument({Text("Name", "Dee")});
    Save(doc, [](NOTEHANDLE n) { SetText(n, "Body", "no view yet", 0); });
    ASSERT_EQ(BeginBatch(db_), NOERROR);
    Save(doc, [](NOTEHANDLE n) { SetText(n, "Body", "still none", 0); });
    const NOTEID first = SaveView("First", {{"Name", "Name", VIEW_COLUMN_SORT}});
    Save(doc, [](NOTEHANDLE n) { SetText(n, "Name", "Eve", ITEM_SUMMARY); });
    ASSERT_EQ(CommitBatch(db_), NOERROR);
    EXPECT_EQ(rowsShowing(first, "Eve"), 1);

    const NOTEID second = SaveView("Second", {{"Code", "Code", VIEW_COLUMN_SORT}});
    Save(doc, [](NOTEHANDLE n) { SetText(n, "Code", "k7", ITEM_SUMMARY); });
    EXPECT_EQ(rowsShowing(second, "k7"), 1);
    EXPECT_EQ(rowsShowing(first, "Eve"), 1);
    std::swap(db_, fresh);
    ASSERT_EQ(CloseDatabase(fresh), NOERROR);
}

// Views made, redesigned (their selection or their columns) and deleted by another process, which holds the
// file open all along, between two saves of this handle: each save of this handle passes the views as they
// are then, and only those.
TEST_F(ViewIndexSavesTest, ViewsAnotherProcessMakesRedesignsOrDeletesArePassedAsTheyAreNow) {
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Body", "before the other process", 0); });
    ChildProcess other({"hold", "views.nsf"});
    ASSERT_EQ(other.ReadLine(), "ready");
    const auto hex = [](const std::string& bytes) {
        static const char* digits = "0123456789abcdef";
        std::string out;
        for (unsigned char c : bytes)
            out.append({digits[c >> 4], digits[c & 15]});
        return out;
    };
    // Through the other process: note id (0: a new view) with its items replaced; gives the note's id.
    const auto put = [&](NOTEID id,
                         const std::vector<std::tuple<std::string, uint16_t, std::string>>& items) {
        std::string line = "put " + std::to_string(id) + " " + std::to_string(NOTE_CLASS_VIEW);
        for (const auto& [name, type, value] : items)
            line += " " + name + " " + std::to_string(type) + " " + hex(value);
        other.Send(line);
        const std::string answer = other.ReadLine();
        EXPECT_FALSE(answer.empty() || answer.rfind("status", 0) == 0) << answer;
        return answer.empty() || answer.rfind("status", 0) == 0 ? NOTEID{0}
                                                                : static_cast<NOTEID>(std::stoul(answer));
    };
    const auto format = [](const std::vector<ColumnSpec>& columns) { return FormatValue(columns).substr(2); };

    // Another selection: the open view now shows the shut documents.
    put(open_, {{VIEW_FORMULA_ITEM, TYPE_FORMULA, Compiled("SELECT Status = \"shut\"")}});
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Status", "shut", ITEM_SUMMARY); });
    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Status", "open", ITEM_SUMMARY); });
    ExpectRowsAsMadeAfresh("a selection changed by another process");

    // Other columns: the codes view sorts by an item it did not read before, descending.
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Body", "between", 0); });
    put(codes_, {{VIEW_FORMAT_ITEM, TYPE_VIEW_FORMAT,
                  format({{"Region", "Region", VIEW_COLUMN_CATEGORY},
                          {"Body", "Body", VIEW_COLUMN_SORT | VIEW_COLUMN_DESCENDING}})}});
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Body", "sorted now", ITEM_SUMMARY); });
    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Region", "east", ITEM_SUMMARY); });
    ExpectRowsAsMadeAfresh("columns changed by another process");

    // A view made and one deleted by the other process between two saves of this handle.
    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Code", "before", ITEM_SUMMARY); });
    const NOTEID made =
        put(0, {{FIELD_TITLE, TYPE_TEXT, "Made"},
                {VIEW_FORMAT_ITEM, TYPE_VIEW_FORMAT, format({{"Code", "Code", VIEW_COLUMN_SORT}})}});
    ASSERT_NE(made, 0u);
    other.Send("delete " + std::to_string(stamped_));
    EXPECT_EQ(other.ReadLine(), "deleted");
    views_ = {open_, codes_, threads_, made};
    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Code", "c3", ITEM_SUMMARY); });
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Name", "Ada", ITEM_SUMMARY); });
    EXPECT_EQ(Number("SELECT count(*) FROM view_rows WHERE view = " + std::to_string(stamped_)), 0);
    ExpectRowsAsMadeAfresh("a view made and one deleted by another process");

    // The same inside a batch of this handle begun after the other process's change.
    put(made, {{VIEW_FORMAT_ITEM, TYPE_VIEW_FORMAT, format({{"Name", "Name", VIEW_COLUMN_CATEGORY}})}});
    ASSERT_EQ(BeginBatch(db_), NOERROR);
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Name", "Abe", ITEM_SUMMARY); });
    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Name", "Bea", ITEM_SUMMARY); });
    ASSERT_EQ(CommitBatch(db_), NOERROR);
    ExpectRowsAsMadeAfresh("a view redesigned by another process before a batch");
    other.Send("quit");
    EXPECT_EQ(other.Wait(), 0);
}

// A file without views, whose saves pass no index, gets its first view from another process that holds it
// open: the next save of this handle passes it.
TEST_F(ViewIndexSavesTest, TheFirstViewAnotherProcessMakesIsPassedByTheNextSave) {
    DBHANDLE fresh = MakeDatabase("first.nsf");
    std::swap(db_, fresh);
    const NOTEID doc = SaveDocument({Text("Name", "Dee")});
    Save(doc, [](NOTEHANDLE n) { SetText(n, "Body", "no view yet", 0); });
    ChildProcess other({"hold", "first.nsf"});
    ASSERT_EQ(other.ReadLine(), "ready");
    std::string line = "put 0 " + std::to_string(NOTE_CLASS_VIEW);
    for (const auto& [name, type, value] :
         {std::tuple<std::string, uint16_t, std::string>{FIELD_TITLE, TYPE_TEXT, "First"},
          {VIEW_FORMAT_ITEM, TYPE_VIEW_FORMAT,
           FormatValue({{"Name", "Name", VIEW_COLUMN_SORT}}).substr(2)}}) {
        line += " " + name + " " + std::to_string(type) + " ";
        for (unsigned char c : value) {
            char two[3];
            std::snprintf(two, sizeof two, "%02x", c);
            line += two;
        }
    }
    other.Send(line);
    const std::string answer = other.ReadLine();
    ASSERT_FALSE(answer.empty() || answer.rfind("status", 0) == 0) << answer;
    const auto view = static_cast<NOTEID>(std::stoul(answer));
    Save(doc, [](NOTEHANDLE n) { SetText(n, "Name", "Eve", ITEM_SUMMARY); });
    std::swap(db_, fresh);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2((data_ + "/first.nsf").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt* q = nullptr;
    const std::string query = "SELECT count(*) FROM view_rows WHERE view = " + std::to_string(view) +
                              " AND instr(summary, 'Eve') > 0";
    ASSERT_EQ(sqlite3_prepare_v2(raw, query.c_str(), -1, &q, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(q), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int64(q, 0), 1);
    sqlite3_finalize(q);
    sqlite3_close(raw);
    other.Send("quit");
    EXPECT_EQ(other.Wait(), 0);
    ASSERT_EQ(CloseDatabase(fresh), NOERROR);
}

TEST_F(ViewIndexSavesTest, BuildsThatRemakeOrKeepTheIndexByNoteGiveTheSameRows) {
    for (int i = 0; i < 40; ++i)
        SaveDocument({Text("Name", "n" + std::to_string(i * 7 % 40)), Text("Status", i % 3 ? "open" : "shut"),
                      Text("Region", i % 2 ? "north" : "south"), Text("Code", "c" + std::to_string(i)),
                      Texts("Tags", {"t1", "t2", "t3", "t4", "t5", "t6"})});
    // A view made after the documents whose rows outnumber the other views': its build makes the index by
    // note afresh. The others' builds keep it and insert into it.
    const NOTEID tags =
        SaveView("Tags", {{"Tags", "Tags", VIEW_COLUMN_CATEGORY}, {"Code", "Code", VIEW_COLUMN_SORT}});
    views_.push_back(tags);
    const std::string count = "SELECT count(*) FROM view_rows WHERE view ";
    EXPECT_GT(Number(count + "= " + std::to_string(tags)), Number(count + "<> " + std::to_string(tags)));
    const HCOLLECTION c = Open(tags);
    // Six categories of 40 documents each, and an empty one of the three without tags.
    EXPECT_EQ(ReadAll(c).size(), 6u * 41 + 4);
    EXPECT_EQ(CloseCollection(c), NOERROR);
    ExpectRowsAsMadeAfresh("builds of both kinds");

    // A build that leaves the view without rows, and one that gives them back.
    const std::string before = StoredRows();
    const auto select = [&](const std::string& formula) {
        Save(tags, [&](NOTEHANDLE n) {
            DeleteItem(n, VIEW_FORMULA_ITEM, static_cast<uint16_t>(std::strlen(VIEW_FORMULA_ITEM)));
            const std::string compiled = Compiled(formula);
            ASSERT_EQ(AppendItem(n, 0, VIEW_FORMULA_ITEM,
                                 static_cast<uint16_t>(std::strlen(VIEW_FORMULA_ITEM)), TYPE_FORMULA,
                                 compiled.data(), static_cast<uint32_t>(compiled.size()), nullptr),
                      NOERROR);
        });
    };
    select("SELECT Form = \"none\"");
    EXPECT_EQ(Number(count + "= " + std::to_string(tags)), 0);
    select("SELECT @All");
    EXPECT_EQ(StoredRows(), before);

    // The index by note serves saves and deletes as before, and the file is sound.
    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Tags", "t1", ITEM_SUMMARY); });
    ASSERT_EQ(DeleteNote(db_, reply_, 0), NOERROR);
    ExpectRowsAsMadeAfresh("a save and a delete after them");
    EXPECT_EQ(Number("SELECT count(*) FROM sqlite_master WHERE type='index' AND name='view_rows_by_note'"),
              1);
    CloseDatabase(db_);
    db_ = 0;
    EXPECT_EQ(IntegrityOf("views.nsf"), "ok");
}

TEST_F(ViewIndexSavesTest, ABuildOfTheOnlyIndexedViewEmptiesTheTableAndOneBesideOthersLeavesTheirRows) {
    // Left with one indexed view, its builds find the table holding nothing but its own rows.
    for (NOTEID view : {open_, stamped_, threads_})
        ASSERT_EQ(DeleteNote(db_, view, 0), NOERROR);
    views_ = {codes_};
    const std::string count = "SELECT count(*) FROM view_rows";
    const std::string ofCodes = count + " WHERE view = " + std::to_string(codes_);
    ASSERT_GT(Number(count), 0);
    EXPECT_EQ(Number(count), Number(ofCodes));
    Save(bob_, [](NOTEHANDLE n) { SetText(n, "Region", "west", ITEM_SUMMARY); });
    ExpectRowsAsMadeAfresh("builds of the only view");
    const std::string alone = StoredRows();
    Resave(codes_);
    EXPECT_EQ(StoredRows(), alone);

    // A view saved beside it keeps its rows through the first one's builds, and the first its own.
    const NOTEID names = SaveView("Names", {{"Name", "Name", VIEW_COLUMN_SORT}});
    views_.push_back(names);
    const std::string ofNames = count + " WHERE view = " + std::to_string(names);
    const int64_t theirs = Number(ofNames);
    EXPECT_GT(theirs, 0);
    Resave(codes_);
    EXPECT_EQ(Number(ofNames), theirs);
    EXPECT_EQ(Number(count), theirs + Number(ofCodes));
    ExpectRowsAsMadeAfresh("builds beside another view");
    Save(ann_, [](NOTEHANDLE n) { SetText(n, "Name", "Anna", ITEM_SUMMARY); });
    ExpectRowsAsMadeAfresh("a save after them");
    CloseDatabase(db_);
    db_ = 0;
    EXPECT_EQ(IntegrityOf("views.nsf"), "ok");
}

// A build inserts its rows many to a statement and the rest one by one; saves insert each document's rows
// themselves. Views of rows just short of, at and just past whole statements' worth give the same rows
// both ways.
TEST_F(ViewIndexSavesTest, BuildsOfAnyNumberOfRowsGiveTheRowsThatSavesMade) {
    const NOTEID all =
        SaveView("All", {{"Name", "Name", VIEW_COLUMN_SORT}, {"Code", "Code", 0}}, "SELECT @All");
    views_.push_back(all);
    const std::string count = "SELECT count(*) FROM view_rows WHERE view = " + std::to_string(all);
    int made = 0;
    for (int64_t rows : {3, 4, 63, 64, 65, 128, 129, 200}) {
        while (Number(count) < rows) {
            SaveDocument({Text("Name", "n" + std::to_string(made * 37 % 101)),
                          Text("Code", std::to_string(made)), Text("Status", made % 2 ? "open" : "shut"),
                          Text("Region", made % 3 ? "east" : "west")});
            ++made;
        }
        ASSERT_EQ(Number(count), rows);
        ExpectRowsAsMadeAfresh(("a view of " + std::to_string(rows) + " rows").c_str());
    }
}

} // namespace
} // namespace nnotes::testing
