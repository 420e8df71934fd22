#include "views/collection_load.h"

#include "views/viewindex_store.h"

namespace nnotes::views {
namespace {

STATUS ReadViewNote(DBHANDLE viewDb, NOTEID viewId, store::StoredNote& note, std::string& path) {
    return store::WithDatabase(viewDb, [&](store::Database& db) {
        path = db.FilePath();
        if (STATUS s = store::LoadNote(db.Sql(), viewId, note)) return s;
        return (note.noteClass & NOTE_CLASS_VIEW) ? NOERROR : ERR_NOT_A_VIEW;
    });
}

// Makes the stored index current when it is not; false in stored when the file cannot take it now (read
// only, full, or held by another process's writer, for which a reader never waits): the rows are then made
// in memory and the stored index is made at a later open.
STATUS MakeCurrent(store::Database& db, const store::StoredNote& viewNote, const ViewDefinition& view,
                   bool& stored) {
    bool current = false;
    if (STATUS s = IndexIsCurrent(db.Sql(), viewNote, current)) return s;
    stored = true;
    if (current) return NOERROR;
    store::Transaction t(db.Sql(), false);
    STATUS s = t.Begun();
    if (s == NOERROR) s = RebuildIndex(db, viewNote, view);
    if (s == NOERROR) s = t.Commit();
    if (s == ERR_DB_READ_ONLY || s == ERR_DB_BUSY || s == ERR_DB_DISK_FULL) {
        stored = false;
        return NOERROR;
    }
    return s;
}

// The rest of a stored index, read a batch at a time through the documents' database handle, each batch
// going on after the last row of the one before.
class StoredRows : public RowSource {
public:
    StoredRows(DBHANDLE db, NOTEID view, const RowPlace& last, size_t levels)
        : db_(db), view_(view), last_(last), levels_(levels) {}

    STATUS Read(size_t max, const RowSink& sink, bool& done) override {
        return store::WithDatabase(db_, [&](store::Database& db) {
            size_t handed = 0;
            const RowPlace after = last_;
            // The rows' keys are left out while their categories change seldom (a lookup each time they
            // do); once a batch has needed a lookup for more than one row in eight, the keys come with the
            // rows.
            RowKeys keys;
            keys.levels = everyKey_ ? RowKeys::kEvery : levels_;
            const STATUS s = ReadIndexRows(db.Sql(), view_, &after, max, false, sink, last_, handed, &keys);
            if (keys.looked > 2 && keys.looked * 8 > handed) everyKey_ = true;
            done = handed < max;
            return s;
        });
    }

    STATUS ReadAll(const RowSink& sink) override {
        return store::WithDatabase(db_, [&](store::Database& db) {
            RowPlace last;
            size_t handed = 0;
            return ReadIndexRows(db.Sql(), view_, nullptr, SIZE_MAX, false, sink, last, handed);
        });
    }

    STATUS ReadFrom(NOTEID note, uint32_t part, size_t max, const RowSink& sink) override {
        return store::WithDatabase(db_, [&](store::Database& db) {
            size_t handed = 0;
            return ReadIndexRowsFrom(db.Sql(), view_, note, part, max, sink, handed);
        });
    }

    STATUS FirstRows(const std::vector<NOTEID>& notes, const FirstRowSink& take) override {
        return store::WithDatabase(db_, [&](store::Database& db) {
            store::ReadTransaction snapshot(db.Sql());
            return ReadFirstIndexRows(db.Sql(), view_, notes, take);
        });
    }

    STATUS Summaries(const std::vector<RowPlace>& rows, const SummarySink& take) override {
        return store::WithDatabase(db_, [&](store::Database& db) {
            store::ReadTransaction snapshot(db.Sql());
            return ReadIndexSummaries(db.Sql(), view_, rows, take);
        });
    }

private:
    DBHANDLE db_;
    NOTEID view_;
    RowPlace last_;
    size_t levels_;
    bool everyKey_ = false;
};

// Rows read when a collection opens: the first entry, which tells whether the view is categorised. A reader
// that goes on reads a batch (collection_build.cpp); a search reads only its hits' rows.
constexpr size_t kOpeningRows = 1;

} // namespace

STATUS LoadCollection(Collection& c, bool onlyWhenChanged) {
    store::StoredNote viewNote;
    std::string viewPath;
    if (STATUS s = ReadViewNote(c.viewDb, c.viewId, viewNote, viewPath)) return s;
    const std::string stamp = StampOf(viewNote);
    bool fresh = false;
    const STATUS loaded = store::WithDatabase(c.dataDb, [&](store::Database& db) {
        std::shared_ptr<const ViewDefinition> view;
        if (STATUS s = DefinitionOf(db, viewNote, view)) return s;
        bool stored = false;
        if (viewPath == db.FilePath())
            if (STATUS s = MakeCurrent(db, viewNote, *view, stored)) return s;
        store::ReadTransaction snapshot(db.Sql());
        int64_t changes = -1;
        if (stored)
            if (STATUS s = IndexChanges(db.Sql(), viewNote.id, changes)) return s;
        if (onlyWhenChanged && stored && changes == c.changes && stamp == c.stamp && c.data &&
            c.data->Failure() == NOERROR)
            return NOERROR;
        auto data = std::make_shared<CollectionData>(view);
        const RowSink sink = [&](const RowRef& row) { return data->Add(row); };
        STATUS s = NOERROR;
        if (!stored) {
            s = ComputeRows(db, *view, sink);
            if (s == NOERROR) s = data->Finish();
        } else {
            // A hierarchical view places a document only once its responses are known, so it reads every
            // row now; any other reads its first row and the rest as readers go on.
            const size_t first = view->hierarchy ? SIZE_MAX : kOpeningRows;
            RowPlace last;
            size_t handed = 0;
            s = ReadIndexRows(db.Sql(), viewNote.id, nullptr, first, view->hierarchy, sink, last, handed);
            if (s == NOERROR && handed < first)
                s = data->Finish();
            else if (s == NOERROR)
                data->GrowFrom(
                    std::make_unique<StoredRows>(c.dataDb, viewNote.id, last, view->categoryLevels));
        }
        if (s != NOERROR) return s;
        c.data = std::move(data);
        c.stamp = stamp;
        c.changes = stored ? changes : -1;
        fresh = true;
        return NOERROR;
    });
    // Outside the database's lock: placing the hits reads their rows through it.
    if (fresh) ResolveHits(c);
    return loaded;
}

} // namespace nnotes::views
