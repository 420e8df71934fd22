// The reference: the benchmark's three phases as plain SQLite statements, with the store's durability (WAL,
// synchronous=FULL, one transaction per note) and what the store needs of its tables: a row per note with
// its class, universal id (unique), originator id and parent, indexed as the store indexes them, and a row
// per item with its name, type and flags. A save checks the stored sequence before it writes, as the
// store's conflict check does.
#include "bench_report.h"
#include "store_bench.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace bench {
namespace {

class Db {
public:
    explicit Db(const std::string& path) {
        ok_ =
            sqlite3_open_v2(path.c_str(), &db_, BENCH_OPEN_FLAGS(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE),
                            nullptr) == SQLITE_OK;
    }
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
        db_.Exec(BENCH_READ_SETTINGS
                 "; PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
                 "CREATE TABLE notes(id INTEGER PRIMARY KEY AUTOINCREMENT, class INTEGER NOT NULL,"
                 " unid BLOB NOT NULL UNIQUE, oid BLOB NOT NULL, added BLOB NOT NULL, parent BLOB);"
                 "CREATE INDEX notes_by_class ON notes(class);"
                 "CREATE INDEX notes_by_parent ON notes(parent) WHERE parent IS NOT NULL;"
                 "CREATE TABLE items(note INTEGER NOT NULL, seq INTEGER NOT NULL, name TEXT NOT NULL"
                 " COLLATE NOCASE, type INTEGER NOT NULL, flags INTEGER NOT NULL, value BLOB NOT NULL,"
                 " PRIMARY KEY(note, seq)) WITHOUT ROWID;");
        insertNote_ = db_.Prepare("INSERT INTO notes(class, unid, oid, added) VALUES(1, ?, ?, ?)");
        insertItem_ = db_.Prepare("INSERT INTO items(note, seq, name, type, flags, value)"
                                  " VALUES(?, ?, ?, 1280, 4, ?)");
        selectNote_ =
            db_.Prepare("SELECT n.class, n.oid, i.seq, i.name, i.type, i.flags, i.value FROM notes n"
                        " JOIN items i ON i.note = n.id WHERE n.id=? ORDER BY i.seq");
        selectOid_ = db_.Prepare("SELECT oid FROM notes WHERE id=?");
        updateItem_ = db_.Prepare("UPDATE items SET value=? WHERE note=? AND seq=?");
        touchNote_ = db_.Prepare("UPDATE notes SET oid=? WHERE id=?");
    }

    bool Create(int from, int count) override {
        if (static_cast<int>(ids_.size()) < from + count) ids_.resize(from + count);
        for (int n = from; n < from + count && db_.Ok(); ++n) {
            db_.Exec("BEGIN IMMEDIATE");
            const std::string unid = Identity(n, 0), oid = Identity(n, 1);
            sqlite3_bind_blob(insertNote_, 1, unid.data(), 16, SQLITE_TRANSIENT);
            sqlite3_bind_blob(insertNote_, 2, oid.data(), static_cast<int>(oid.size()), SQLITE_TRANSIENT);
            sqlite3_bind_blob(insertNote_, 3, oid.data(), 8, SQLITE_TRANSIENT);
            db_.Run(insertNote_);
            ids_[n] = db_.LastId();
            for (int i = 0; i < kItemsPerNote; ++i) {
                sqlite3_bind_int64(insertItem_, 1, ids_[n]);
                sqlite3_bind_int(insertItem_, 2, i + 1);
                BindText(insertItem_, 3, "Field" + std::to_string(i));
                BindBlob(insertItem_, 4, ItemText(n, i));
                db_.Run(insertItem_);
            }
            db_.Exec("COMMIT");
        }
        return db_.Ok();
    }

    // Every column a reader of the note is handed is taken, as the store takes them to make its items: the
    // note's class and originator id once, each item's sequence, name, type, flags and value, whose last
    // byte is read as the store's side reads it.
    bool Read(int from, int count) override {
        size_t bytes = 0;
        for (int n = from; n < from + count; ++n) {
            sqlite3_bind_int64(selectNote_, 1, ids_[n]);
            for (bool first = true; sqlite3_step(selectNote_) == SQLITE_ROW; first = false) {
                if (first)
                    bytes += static_cast<size_t>(sqlite3_column_int(selectNote_, 0)) +
                             (sqlite3_column_blob(selectNote_, 1) != nullptr) +
                             static_cast<size_t>(sqlite3_column_bytes(selectNote_, 1));
                bytes += static_cast<size_t>(sqlite3_column_int64(selectNote_, 2)) +
                         (sqlite3_column_text(selectNote_, 3) != nullptr) +
                         static_cast<size_t>(sqlite3_column_bytes(selectNote_, 3)) +
                         static_cast<size_t>(sqlite3_column_int(selectNote_, 4) +
                                             sqlite3_column_int(selectNote_, 5));
                const auto* value = static_cast<const char*>(sqlite3_column_blob(selectNote_, 6));
                const auto length = static_cast<size_t>(sqlite3_column_bytes(selectNote_, 6));
                if (value != nullptr && length > 0) bytes += length + (value[length - 1] != 0);
            }
            sqlite3_reset(selectNote_);
        }
        return db_.Ok() && bytes > 0;
    }

    bool Update(int from, int count) override {
        for (int n = from; n < from + count && db_.Ok(); ++n) {
            db_.Exec("BEGIN IMMEDIATE");
            sqlite3_bind_int64(selectOid_, 1, ids_[n]);
            const bool found = sqlite3_step(selectOid_) == SQLITE_ROW;
            sqlite3_reset(selectOid_);
            BindBlob(updateItem_, 1, UpdatedText(n));
            sqlite3_bind_int64(updateItem_, 2, ids_[n]);
            sqlite3_bind_int(updateItem_, 3, 4);
            db_.Run(updateItem_);
            const std::string oid = Identity(n, 2);
            sqlite3_bind_blob(touchNote_, 1, oid.data(), static_cast<int>(oid.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(touchNote_, 2, ids_[n]);
            db_.Run(touchNote_);
            db_.Exec(found ? "COMMIT" : "ROLLBACK");
        }
        return db_.Ok();
    }

private:
    // 36 bytes, as the store's originator id: unique per note, its tail changing with every save. The
    // first eight bytes are scattered as the random file part of the store's universal ids is, so that the
    // unique index of universal ids takes its entries at random places on both sides.
    static std::string Identity(int n, int save) {
        std::string id(36, '\0');
        uint64_t scattered = static_cast<uint64_t>(n) * 0x9E3779B97F4A7C15ull;
        scattered ^= scattered >> 31;
        std::memcpy(id.data(), &scattered, sizeof scattered);
        std::snprintf(id.data() + 8, id.size() - 8, "note-%d-save-%d", n, save);
        return id;
    }
    static void BindBlob(sqlite3_stmt* s, int index, const std::string& text) {
        std::string value("\0\5", 2); // a stored value starts with its type word
        value += text;
        sqlite3_bind_blob(s, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }

    Db db_;
    sqlite3_stmt* insertNote_;
    sqlite3_stmt* insertItem_;
    sqlite3_stmt* selectNote_;
    sqlite3_stmt* selectOid_;
    sqlite3_stmt* updateItem_;
    sqlite3_stmt* touchNote_;
    std::vector<int64_t> ids_;
};

} // namespace

std::unique_ptr<Runner> PlainSqliteRunner(const std::string& path) {
    return std::make_unique<SqliteRunner>(path);
}

} // namespace bench
