// The index tables and the bookkeeping row of each view.
#include "views/view_sortkey.h"
#include "views/viewindex_store.h"

namespace nnotes::views {
namespace {

// Raised whenever the rows are made differently, so that older rows are made again rather than misread.
constexpr int64_t kIndexLayout = 1;

constexpr const char* kTables = R"sql(
CREATE TABLE IF NOT EXISTS view_index(
    view INTEGER PRIMARY KEY,
    stamp BLOB NOT NULL,
    collation BLOB NOT NULL,
    layout INTEGER NOT NULL,
    changes INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS view_rows(
    view INTEGER NOT NULL,
    key BLOB NOT NULL,
    note INTEGER NOT NULL,
    part INTEGER NOT NULL,
    unid BLOB NOT NULL,
    parent BLOB,
    sortvalues BLOB NOT NULL,
    summary BLOB NOT NULL,
    PRIMARY KEY(view, key, note, part)) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS view_rows_by_note ON view_rows(note, view);
)sql";

// Whether the file attached as schema ("main" or "source") holds both index tables.
STATUS TablesIn(store::Connection& sql, bool source, bool& has) {
    STATUS s;
    store::Statement* q = sql.Prepare(source ? "SELECT count(*) FROM source.sqlite_master WHERE type='table'"
                                               " AND name IN ('view_index', 'view_rows')"
                                             : "SELECT count(*) FROM main.sqlite_master WHERE type='table'"
                                               " AND name IN ('view_index', 'view_rows')",
                                      &s);
    if (q == nullptr) return s;
    const int rc = q->Step();
    has = rc == SQLITE_ROW && q->Int(0) == 2;
    q->Reset();
    return rc == SQLITE_ROW ? NOERROR : store::StatusOf(rc);
}

} // namespace

std::string StampOf(const store::StoredNote& viewNote) {
    return std::string(reinterpret_cast<const char*>(&viewNote.oid), sizeof viewNote.oid);
}

STATUS HasIndexTables(store::Connection& sql, bool& has) {
    return TablesIn(sql, false, has);
}

bool IndexTablesInSchema(store::Connection& sql) {
    for (const char* table : {"view_index", "view_rows"})
        if (sqlite3_table_column_metadata(sql.Raw(), "main", table, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr) != SQLITE_OK)
            return false;
    return true;
}

STATUS CreateIndexTables(store::Connection& sql) {
    return sql.Exec(kTables);
}

STATUS CountRows(store::Connection& sql, NOTEID viewId, int64_t made, int64_t& mine, int64_t& others) {
    STATUS s;
    store::Statement* q = sql.Prepare("SELECT count(*) FROM view_rows WHERE view = ?", &s);
    if (q == nullptr) return s;
    int rc = q->Bind(1, viewId).Step();
    mine = rc == SQLITE_ROW ? q->Int(0) : 0;
    q->Reset();
    if (rc != SQLITE_ROW) return store::StatusOf(rc);
    // Ranges of the primary key on either side of the view's, counted no further than the answer needs.
    q = sql.Prepare("SELECT (SELECT count(*) FROM (SELECT 1 FROM view_rows WHERE view < ?1 LIMIT ?2))"
                    " + (SELECT count(*) FROM (SELECT 1 FROM view_rows WHERE view > ?1 LIMIT ?2))",
                    &s);
    if (q == nullptr) return s;
    rc = q->Bind(1, viewId).Bind(2, made + mine + 1).Step();
    others = rc == SQLITE_ROW ? q->Int(0) : 0;
    q->Reset();
    return rc == SQLITE_ROW ? NOERROR : store::StatusOf(rc);
}

STATUS DropRowsByNote(store::Connection& sql) {
    return sql.Exec("DROP INDEX IF EXISTS view_rows_by_note");
}

STATUS CopyIndexes(store::Connection& sql, uint16_t noteClassMask) {
    const uint16_t needed = NOTE_CLASS_DOCUMENT | NOTE_CLASS_VIEW;
    if ((noteClassMask & needed) != needed) return NOERROR;
    bool has = false;
    if (STATUS s = TablesIn(sql, true, has); s != NOERROR || !has) return s;
    if (STATUS s = CreateIndexTables(sql)) return s;
    return sql.Exec("INSERT INTO main.view_index SELECT * FROM source.view_index"
                    " WHERE view IN (SELECT id FROM main.notes);"
                    "INSERT INTO main.view_rows SELECT * FROM source.view_rows"
                    " WHERE view IN (SELECT view FROM main.view_index);");
}

STATUS IndexIsCurrent(store::Connection& sql, const store::StoredNote& viewNote, bool& current) {
    current = false;
    bool has = false;
    if (STATUS s = HasIndexTables(sql, has); s != NOERROR || !has) return s;
    STATUS s;
    store::Statement* q = sql.Prepare("SELECT stamp, collation, layout FROM view_index WHERE view=?", &s);
    if (q == nullptr) return s;
    q->Bind(1, viewNote.id);
    const int rc = q->Step();
    if (rc == SQLITE_ROW)
        current =
            q->Blob(0) == StampOf(viewNote) && q->Blob(1) == CollationVersion() && q->Int(2) == kIndexLayout;
    q->Reset();
    return store::StatusOf(rc);
}

STATUS ReadableIndexes(store::Connection& sql, std::vector<std::pair<NOTEID, std::string>>& views) {
    STATUS s;
    store::Statement* q =
        sql.Prepare("SELECT view, stamp FROM view_index WHERE collation=? AND layout=? ORDER BY view", &s);
    if (q == nullptr) return s;
    const std::string collation = CollationVersion();
    q->BindBlob(1, collation.data(), collation.size()).Bind(2, kIndexLayout);
    int rc;
    while ((rc = q->Step()) == SQLITE_ROW)
        views.emplace_back(static_cast<NOTEID>(q->Int(0)), std::string(q->Blob(1)));
    q->Reset();
    return store::StatusOf(rc);
}

STATUS IndexChanges(store::Connection& sql, NOTEID viewId, int64_t& changes) {
    changes = -1;
    bool has = false;
    if (STATUS s = HasIndexTables(sql, has); s != NOERROR || !has) return s;
    STATUS s;
    store::Statement* q = sql.Prepare("SELECT changes FROM view_index WHERE view=?", &s);
    if (q == nullptr) return s;
    q->Bind(1, viewId);
    const int rc = q->Step();
    if (rc == SQLITE_ROW) changes = q->Int(0);
    q->Reset();
    return store::StatusOf(rc);
}

STATUS MarkIndexMade(store::Connection& sql, const store::StoredNote& viewNote) {
    STATUS s;
    store::Statement* q = sql.Prepare(
        "INSERT INTO view_index(view, stamp, collation, layout, changes) VALUES(?1, ?2, ?3, ?4, 0)"
        " ON CONFLICT(view) DO UPDATE SET stamp=?2, collation=?3, layout=?4, changes=changes+1",
        &s);
    if (q == nullptr) return s;
    const std::string stamp = StampOf(viewNote);
    const std::string collation = CollationVersion();
    q->Bind(1, viewNote.id).BindBlob(2, stamp.data(), stamp.size());
    q->BindBlob(3, collation.data(), collation.size()).Bind(4, kIndexLayout);
    return q->Run();
}

STATUS DropIndex(store::Connection& sql, NOTEID viewId) {
    bool has = false;
    if (STATUS s = HasIndexTables(sql, has); s != NOERROR || !has) return s;
    STATUS s;
    store::Statement* rows = sql.Prepare("DELETE FROM view_rows WHERE view=?", &s);
    if (rows == nullptr) return s;
    if (STATUS s = rows->Bind(1, viewId).Run()) return s;
    store::Statement* index = sql.Prepare("DELETE FROM view_index WHERE view=?", &s);
    if (index == nullptr) return s;
    return index->Bind(1, viewId).Run();
}

STATUS DropIndexIfAny(store::Connection& sql, NOTEID viewId) {
    STATUS s;
    store::Statement* index = sql.Prepare("DELETE FROM view_index WHERE view=?", &s);
    if (index == nullptr) return s;
    if (STATUS s = index->Bind(1, viewId).Run()) return s;
    if (sqlite3_changes(sql.Raw()) == 0) return NOERROR;
    store::Statement* rows = sql.Prepare("DELETE FROM view_rows WHERE view=?", &s);
    if (rows == nullptr) return s;
    return rows->Bind(1, viewId).Run();
}

} // namespace nnotes::views
