// Making a view's rows from every document: into the stored index, or in memory where it cannot be stored.
#include "views/viewindex_runs.h"
#include "views/viewindex_store.h"

#include <map>
#include <mutex>

namespace nnotes::views {
namespace {

// Reading a view's design means loading its formulas; documents are saved far more often than views.
class DefinitionCache {
public:
    std::shared_ptr<const ViewDefinition> Find(const std::string& key) {
        std::lock_guard<std::mutex> guard(lock_);
        const auto it = map_.find(key);
        return it == map_.end() ? nullptr : it->second;
    }
    void Add(const std::string& key, std::shared_ptr<const ViewDefinition> view) {
        std::lock_guard<std::mutex> guard(lock_);
        if (map_.size() >= kMaxViews) map_.clear();
        map_[key] = std::move(view);
    }

private:
    static constexpr size_t kMaxViews = 256;
    std::mutex lock_;
    std::map<std::string, std::shared_ptr<const ViewDefinition>> map_;
};

DefinitionCache& TheCache() {
    static auto* cache = new DefinitionCache;
    return *cache;
}

STATUS DocumentIds(store::Connection& sql, std::vector<NOTEID>& ids) {
    STATUS s;
    store::Statement* q = sql.Prepare("SELECT id FROM notes WHERE class=? ORDER BY id", &s);
    if (q == nullptr) return s;
    q->Bind(1, NOTE_CLASS_DOCUMENT);
    int rc;
    while ((rc = q->Step()) == SQLITE_ROW)
        ids.push_back(static_cast<NOTEID>(q->Int(0)));
    q->Reset();
    return store::StatusOf(rc);
}

// Calls take for the rows of every document; a damaged document is left out rather than stopping the view.
template <class Take>
STATUS EachDocumentRow(store::Database& db, const ViewDefinition& view, Take take) {
    std::vector<NOTEID> ids;
    if (STATUS s = DocumentIds(db.Sql(), ids)) return s;
    std::vector<ViewRow> rows;
    for (NOTEID id : ids) {
        store::StoredNote note;
        STATUS s = store::LoadNote(db.Sql(), id, note);
        if (s == ERR_NOTE_DAMAGED || s == ERR_NOTE_NOT_FOUND) continue;
        if (s == NOERROR) s = RowsOfDocument(view, note, rows);
        for (ViewRow& row : rows)
            if (s == NOERROR) s = take(row);
        if (s != NOERROR) return s;
    }
    return NOERROR;
}

// A build's rows, which come in view order, inserted many to a statement: SQLite keeps one cursor on the
// table through a statement, and a row that sorts after the one before it goes onto the last page without
// a search down from the root. Statements of one row each searched the whole depth of the index for every
// row, a cost that grew with the view.
class RowInserter {
public:
    RowInserter(store::Connection& sql, NOTEID viewId) : sql_(sql), viewId_(viewId) {}

    STATUS Add(const ViewRow& row) {
        ViewRow& kept = rows_[count_++];
        kept.note = row.note;
        kept.part = row.part;
        kept.key.assign(row.key);
        kept.sortValues.assign(row.sortValues);
        kept.summary.assign(row.summary);
        kept.unid = row.unid;
        kept.parent = row.parent;
        return count_ == kRowsPerInsert ? InsertAll() : NOERROR;
    }

    // Inserts the rows not yet inserted.
    STATUS Finish() {
        for (size_t i = 0; i < count_; ++i)
            if (STATUS s = InsertRow(sql_, viewId_, rows_[i])) return s;
        count_ = 0;
        return NOERROR;
    }

private:
    static constexpr size_t kRowsPerInsert = 64;
    static constexpr int kColumns = 8;

    static const char* Sql() {
        static const std::string sql = [] {
            std::string text =
                "INSERT INTO view_rows(view, key, note, part, unid, parent, sortvalues, summary)"
                " VALUES";
            for (size_t i = 0; i < kRowsPerInsert; ++i)
                text += i == 0 ? "(?,?,?,?,?,?,?,?)" : ",(?,?,?,?,?,?,?,?)";
            return text;
        }();
        return sql.c_str();
    }

    STATUS InsertAll() {
        STATUS s;
        store::Statement* q = sql_.Prepare(Sql(), &s);
        if (q == nullptr) return s;
        for (size_t i = 0; i < count_; ++i) {
            const ViewRow& row = rows_[i];
            const int at = static_cast<int>(i) * kColumns;
            q->Bind(at + 1, viewId_).BindBlob(at + 2, row.key.data(), row.key.size());
            q->Bind(at + 3, row.note).Bind(at + 4, row.part).BindBlob(at + 5, &row.unid, sizeof row.unid);
            if (row.parent)
                q->BindBlob(at + 6, &*row.parent, sizeof *row.parent);
            else
                q->BindNull(at + 6);
            q->BindBlob(at + 7, row.sortValues.data(), row.sortValues.size());
            q->BindBlob(at + 8, row.summary.data(), row.summary.size());
        }
        count_ = 0;
        return q->Run();
    }

    store::Connection& sql_;
    NOTEID viewId_;
    ViewRow rows_[kRowsPerInsert];
    size_t count_ = 0;
};

std::string FolderOf(store::Database& db) {
    const std::string& path = db.FilePath();
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string CacheKey(store::Database& db, NOTEID viewId, const std::string& stamp) {
    std::string key = db.FilePath();
    key.push_back('\0');
    key.append(reinterpret_cast<const char*>(&viewId), sizeof viewId);
    return key + stamp;
}

} // namespace

std::shared_ptr<const ViewDefinition> CachedDefinition(store::Database& db, NOTEID viewId,
                                                       const std::string& stamp) {
    return TheCache().Find(CacheKey(db, viewId, stamp));
}

STATUS DefinitionOf(store::Database& db, const store::StoredNote& viewNote,
                    std::shared_ptr<const ViewDefinition>& out) {
    const std::string key = CacheKey(db, viewNote.id, StampOf(viewNote));
    if ((out = TheCache().Find(key))) return NOERROR;
    auto view = std::make_shared<ViewDefinition>();
    if (STATUS s = ReadViewDefinition(viewNote, *view)) return s;
    TheCache().Add(key, view);
    out = std::move(view);
    return NOERROR;
}

STATUS RebuildIndex(store::Database& db, const store::StoredNote& viewNote, const ViewDefinition& view) {
    store::Connection& sql = db.Sql();
    if (STATUS s = CreateIndexTables(sql)) return s;
    // Rows inserted in document order land all over the index, and once it outgrows the page cache every
    // insert reads pages back. They are sorted in runs that fit in memory; a view larger than one run has
    // its runs written aside and merged, so the index is filled in key order, page after page.
    SortedRuns runs(FolderOf(db));
    int64_t made = 0;
    if (STATUS s = EachDocumentRow(db, view, [&](ViewRow& row) {
            ++made;
            return runs.Add(std::move(row));
        }))
        return s;
    // The index by note takes each row inserted or deleted at a random place: once it outgrows the page
    // cache every change reads a page back and the build slows with its size. When this view's rows, old
    // and new, are at least the other views', the index is dropped for the changes and made afresh after
    // them (SQLite sorts its entries and writes it page after page); otherwise remaking it would cost the
    // other views' rows on every build.
    int64_t mine = 0, others = 0;
    if (STATUS s = CountRows(sql, viewNote.id, made, mine, others)) return s;
    // Should the index be in use by a statement of this connection that is not finished, it cannot be
    // dropped: the build then goes through it.
    const bool remakeByNote = made + mine > 0 && made + mine >= others && DropRowsByNote(sql) == NOERROR;
    // When the view's old rows are all the table holds, it is emptied whole: SQLite frees its pages as they
    // are rather than taking the rows out one by one.
    STATUS s;
    store::Statement* clear =
        sql.Prepare(others == 0 ? "DELETE FROM view_rows" : "DELETE FROM view_rows WHERE view=?", &s);
    if (clear == nullptr) return s;
    if (others != 0) clear->Bind(1, viewNote.id);
    if (STATUS s = clear->Run()) return s;
    RowInserter inserter(sql, viewNote.id);
    if (STATUS s = runs.Merge([&](const ViewRow& row) { return inserter.Add(row); })) return s;
    if (STATUS s = inserter.Finish()) return s;
    if (remakeByNote)
        if (STATUS s = CreateIndexTables(sql)) return s;
    return MarkIndexMade(sql, viewNote);
}

STATUS ComputeRows(store::Database& db, const ViewDefinition& view, const RowSink& sink) {
    SortedRuns runs(FolderOf(db));
    if (STATUS s = EachDocumentRow(db, view, [&](ViewRow& row) { return runs.Add(std::move(row)); }))
        return s;
    return runs.Merge([&](const ViewRow& row) { return HandRow(row, sink); });
}

} // namespace nnotes::views
