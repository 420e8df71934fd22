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
    if (STATUS s = runs.Merge([&](const ViewRow& row) { return InsertRow(sql, viewNote.id, row); })) return s;
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
