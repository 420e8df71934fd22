// The reference: the benchmark's three phases as plain SQLite statements, with the store's durability (WAL,
// synchronous=FULL, one transaction per note) and its tables (a row per note, a row per item).
#include "store_bench.h"

#include <chrono>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class Db {
public:
    explicit Db(const std::string& path) { ok_ = sqlite3_open(path.c_str(), &db_) == SQLITE_OK; }
    ~Db() {
        for (sqlite3_stmt* s : statements_)
            sqlite3_finalize(s);
        sqlite3_close(db_);
    }
    bool Exec(const char* sql) {
        return ok_ = ok_ && sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_stmt* Prepare(const char* sql) {
        sqlite3_stmt* s = nullptr;
        ok_ = ok_ && sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) == SQLITE_OK;
        statements_.push_back(s);
        return s;
    }
    // Steps to the end and resets; false on an error.
    bool Run(sqlite3_stmt* s) {
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        }
        sqlite3_reset(s);
        return ok_ = ok_ && rc == SQLITE_DONE;
    }
    int64_t LastId() const { return sqlite3_last_insert_rowid(db_); }
    bool Ok() const {
        if (!ok_) std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db_));
        return ok_;
    }

private:
    sqlite3* db_ = nullptr;
    std::vector<sqlite3_stmt*> statements_;
    bool ok_;
};

void BindText(sqlite3_stmt* s, int index, const std::string& text) {
    sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

} // namespace

bool RunPlainSqlite(const std::string& path, int notes, PhaseTimes& times) {
    Db db(path);
    db.Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
            "CREATE TABLE notes(id INTEGER PRIMARY KEY AUTOINCREMENT, modified INTEGER NOT NULL);"
            "CREATE TABLE items(note INTEGER NOT NULL, seq INTEGER NOT NULL, name TEXT NOT NULL,"
            " value BLOB NOT NULL, PRIMARY KEY(note, seq)) WITHOUT ROWID;");
    sqlite3_stmt* insertNote = db.Prepare("INSERT INTO notes(modified) VALUES(?)");
    sqlite3_stmt* insertItem = db.Prepare("INSERT INTO items(note, seq, name, value) VALUES(?, ?, ?, ?)");
    sqlite3_stmt* selectItems = db.Prepare("SELECT name, value FROM items WHERE note=? ORDER BY seq");
    sqlite3_stmt* updateItem = db.Prepare("UPDATE items SET value=? WHERE note=? AND seq=?");
    sqlite3_stmt* touchNote = db.Prepare("UPDATE notes SET modified=? WHERE id=?");
    if (!db.Ok()) return false;

    std::vector<int64_t> ids(notes);
    auto start = Clock::now();
    for (int n = 0; n < notes && db.Ok(); ++n) {
        db.Exec("BEGIN IMMEDIATE");
        sqlite3_bind_int64(insertNote, 1, n);
        db.Run(insertNote);
        ids[n] = db.LastId();
        for (int i = 0; i < kItemsPerNote; ++i) {
            sqlite3_bind_int64(insertItem, 1, ids[n]);
            sqlite3_bind_int(insertItem, 2, i + 1);
            BindText(insertItem, 3, "Field" + std::to_string(i));
            BindText(insertItem, 4, ItemText(n, i));
            db.Run(insertItem);
        }
        db.Exec("COMMIT");
    }
    times.create = Since(start);

    start = Clock::now();
    size_t bytes = 0;
    for (int64_t id : ids) {
        sqlite3_bind_int64(selectItems, 1, id);
        while (sqlite3_step(selectItems) == SQLITE_ROW)
            bytes += sqlite3_column_bytes(selectItems, 1);
        sqlite3_reset(selectItems);
    }
    times.read = Since(start);

    start = Clock::now();
    for (int n = 0; n < notes && db.Ok(); ++n) {
        db.Exec("BEGIN IMMEDIATE");
        BindText(updateItem, 1, UpdatedText(n));
        sqlite3_bind_int64(updateItem, 2, ids[n]);
        sqlite3_bind_int(updateItem, 3, 4);
        db.Run(updateItem);
        sqlite3_bind_int64(touchNote, 1, n);
        sqlite3_bind_int64(touchNote, 2, ids[n]);
        db.Run(touchNote);
        db.Exec("COMMIT");
    }
    times.update = Since(start);
    return db.Ok() && bytes > 0;
}

} // namespace bench
