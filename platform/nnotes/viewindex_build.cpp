// Making a view's rows from every document: into the stored index, or in memory where it cannot be stored.
#include "viewindex_store.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

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

// Rows in view order.
void SortRows(std::vector<ViewRow>& rows) {
    std::sort(rows.begin(), rows.end(), [](const ViewRow& a, const ViewRow& b) {
        return std::tie(a.key, a.note, a.part) < std::tie(b.key, b.note, b.part);
    });
}

// The bytes of rows a build sorts at a time.
constexpr size_t kRunBytes = 16u << 20;

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
    STATUS s;
    store::Statement* clear = sql.Prepare("DELETE FROM view_rows WHERE view=?", &s);
    if (clear == nullptr) return s;
    if (STATUS s = clear->Bind(1, viewNote.id).Run()) return s;
    // Rows inserted in document order land all over the index, and once it outgrows the page cache every
    // insert reads pages back: the build grows faster than the view. Inserted in runs sorted by key, they
    // fill neighbouring pages in turn.
    std::vector<ViewRow> run;
    size_t runBytes = 0;
    const auto flush = [&]() -> STATUS {
        SortRows(run);
        for (const ViewRow& row : run)
            if (STATUS s = InsertRow(sql, viewNote.id, row)) return s;
        run.clear();
        runBytes = 0;
        return NOERROR;
    };
    if (STATUS s = EachDocumentRow(db, view, [&](ViewRow& row) {
            runBytes += row.key.size() + row.sortValues.size() + row.summary.size() + sizeof row;
            run.push_back(std::move(row));
            return runBytes < kRunBytes ? NOERROR : flush();
        }))
        return s;
    if (STATUS s = flush()) return s;
    return MarkIndexMade(sql, viewNote);
}

STATUS ComputeRows(store::Database& db, const ViewDefinition& view, const RowSink& sink) {
    std::vector<ViewRow> rows;
    if (STATUS s = EachDocumentRow(db, view, [&](ViewRow& row) {
            rows.push_back(std::move(row));
            return NOERROR;
        }))
        return s;
    SortRows(rows);
    for (const ViewRow& row : rows)
        if (STATUS s = HandRow(row, sink)) return s;
    return NOERROR;
}

} // namespace nnotes::views
