#include "store/database_schema.h"

#include <string>

namespace nnotes::store {
namespace {

// Notes and their items live in two tables so that later indexes (view entries, full-text tables) can be
// added to the same file and join on note ids. Item values keep their stored bytes exactly, type word first.
constexpr const char* kSchema = R"sql(
CREATE TABLE info(key TEXT PRIMARY KEY, value BLOB NOT NULL) WITHOUT ROWID;
CREATE TABLE notes(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    class INTEGER NOT NULL,
    unid BLOB NOT NULL UNIQUE,
    oid BLOB NOT NULL,
    added BLOB NOT NULL,
    parent BLOB);
CREATE INDEX notes_by_class ON notes(class);
CREATE INDEX notes_by_parent ON notes(parent) WHERE parent IS NOT NULL;
CREATE TABLE items(
    note INTEGER NOT NULL,
    seq INTEGER NOT NULL,
    name TEXT NOT NULL COLLATE NOCASE,
    type INTEGER NOT NULL,
    flags INTEGER NOT NULL,
    value BLOB NOT NULL,
    PRIMARY KEY(note, seq)) WITHOUT ROWID;
)sql";

} // namespace

STATUS CreateSchema(Connection& sql) {
    const std::string pragmas =
        "PRAGMA journal_mode=WAL; PRAGMA application_id=" + std::to_string(kApplicationId) +
        "; PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";";
    if (STATUS s = sql.Exec(pragmas.c_str())) return s;
    return sql.Exec(kSchema);
}

STATUS CheckSchema(Connection& sql) {
    STATUS s;
    Statement* q = sql.Prepare("SELECT (SELECT user_version FROM pragma_user_version),"
                               " (SELECT count(*) FROM sqlite_master WHERE type='table'"
                               " AND name IN ('info', 'notes', 'items'))",
                               &s);
    if (q == nullptr) return s;
    const int rc = q->Step();
    if (rc != SQLITE_ROW) return StatusOf(rc);
    const int64_t version = q->Int(0), tables = q->Int(1);
    q->Reset();
    if (version > kSchemaVersion) return ERR_DB_NEWER_VERSION;
    return tables == 3 ? NOERROR : ERR_DB_DAMAGED;
}

} // namespace nnotes::store
