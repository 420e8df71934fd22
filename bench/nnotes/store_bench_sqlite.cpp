// The reference: the benchmark's three phases as plain SQLite statements, with the store's durability (WAL,
// synchronous=FULL, one transaction per note) and its tables (a row per note, a row per item).
#include "store_bench.h"

#include <cstdio>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace bench {
namespace {

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

class SqliteRunner : public Runner {
public:
    explicit SqliteRunner(const std::string& path) : db_(path) {
        db_.Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
                 "CREATE TABLE notes(id INTEGER PRIMARY KEY AUTOINCREMENT, modified INTEGER NOT NULL);"
                 "CREATE TABLE items(note INTEGER NOT NULL, seq INTEGER NOT NULL, name TEXT NOT NULL,"
                 " value BLOB NOT NULL, PRIMARY KEY(note, seq)) WITHOUT ROWID;");
        insertNote_ = db_.Prepare("INSERT INTO notes(modified) VALUES(?)");
        insertItem_ = db_.Prepare("INSERT INTO items(note, seq, name, value) VALUES(?, ?, ?, ?)");
        selectItems_ = db_.Prepare("SELECT name, value FROM items WHERE note=? ORDER BY seq");
        updateItem_ = db_.Prepare("UPDATE items SET value=? WHERE note=? AND seq=?");
        touchNote_ = db_.Prepare("UPDATE notes SET modified=? WHERE id=?");
    }

    bool Create(int notes) override {
        ids_.resize(notes);
        for (int n = 0; n < notes && db_.Ok(); ++n) {
            db_.Exec("BEGIN IMMEDIATE");
            sqlite3_bind_int64(insertNote_, 1, n);
            db_.Run(insertNote_);
            ids_[n] = db_.LastId();
            for (int i = 0; i < kItemsPerNote; ++i) {
                sqlite3_bind_int64(insertItem_, 1, ids_[n]);
                sqlite3_bind_int(insertItem_, 2, i + 1);
                BindText(insertItem_, 3, "Field" + std::to_string(i));
                BindText(insertItem_, 4, ItemText(n, i));
                db_.Run(insertItem_);
            }
            db_.Exec("COMMIT");
        }
        return db_.Ok();
    }

    bool Read() override {
        size_t bytes = 0;
        for (int64_t id : ids_) {
            sqlite3_bind_int64(selectItems_, 1, id);
            while (sqlite3_step(selectItems_) == SQLITE_ROW)
                bytes += sqlite3_column_bytes(selectItems_, 1);
            sqlite3_reset(selectItems_);
        }
        return db_.Ok() && bytes > 0;
    }

    bool Update() override {
        for (size_t n = 0; n < ids_.size() && db_.Ok(); ++n) {
            db_.Exec("BEGIN IMMEDIATE");
            BindText(updateItem_, 1, UpdatedText(static_cast<int>(n)));
            sqlite3_bind_int64(updateItem_, 2, ids_[n]);
            sqlite3_bind_int(updateItem_, 3, 4);
            db_.Run(updateItem_);
            sqlite3_bind_int64(touchNote_, 1, static_cast<int64_t>(n));
            sqlite3_bind_int64(touchNote_, 2, ids_[n]);
            db_.Run(touchNote_);
            db_.Exec("COMMIT");
        }
        return db_.Ok();
    }

private:
    Db db_;
    sqlite3_stmt* insertNote_;
    sqlite3_stmt* insertItem_;
    sqlite3_stmt* selectItems_;
    sqlite3_stmt* updateItem_;
    sqlite3_stmt* touchNote_;
    std::vector<int64_t> ids_;
};

} // namespace

std::unique_ptr<Runner> PlainSqliteRunner(const std::string& path) {
    return std::make_unique<SqliteRunner>(path);
}

} // namespace bench
