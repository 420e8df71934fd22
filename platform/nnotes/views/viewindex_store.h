// The stored view indexes inside a database file: one row per view saying what the index was made from,
// and the entry rows of each selected document in sort order.
#pragma once

#include "store/database.h"
#include "views/view_rows.h"

#include <functional>
#include <memory>
#include <optional>

namespace nnotes::views {

// One stored row as the collection reads it; the views point into the reader's buffers, valid during the
// call that hands them over.
struct RowRef {
    NOTEID note = 0;
    uint32_t part = 0; // which of the note's rows in the view
    std::string_view key;
    std::string_view unid;   // 16 bytes
    std::string_view parent; // 16 bytes, or empty
    std::string_view sortValues;
    std::string_view summary;
    // The key is the one the row before it in the same read was handed (its categories stay): a reader
    // need not compare the two.
    bool sameKey = false;
};
using RowSink = std::function<STATUS(const RowRef&)>;
// A note's first row: the note's place in the notes asked for, the row's part and key.
using FirstRowSink = std::function<STATUS(size_t, uint32_t, std::string_view)>;
// A row's summary by its place in the rows asked for; found false (and no summary) when it is not stored.
using SummarySink = std::function<STATUS(size_t, std::string_view, bool)>;

// True when the file holds the index tables.
STATUS HasIndexTables(store::Connection& sql, bool& has);
// The same from the connection's schema as last read, without a query: sound inside a write transaction,
// whose first statement brought the schema up to date.
bool IndexTablesInSchema(store::Connection& sql);
// Makes whatever of the tables and their indexes is missing.
STATUS CreateIndexTables(store::Connection& sql);
// The stored rows of the view (mine) and of the other views (counted only as far as telling whether they
// outnumber made and mine together); and dropping the index of rows by note, inside a transaction that
// makes it again (CreateIndexTables) before it commits.
STATUS CountRows(store::Connection& sql, NOTEID viewId, int64_t made, int64_t& mine, int64_t& others);
STATUS DropRowsByNote(store::Connection& sql);

// Inside a copy's transaction, with the source file attached as "source" and its notes of noteClassMask
// already copied: the stored indexes come along when the copy holds every document and view they were made
// from, so the copy's views open without being made again.
STATUS CopyIndexes(store::Connection& sql, uint16_t noteClassMask);

// What names one saved state of a view note: its originator id.
std::string StampOf(const store::StoredNote& viewNote);

// The definition of a view note, read once per saved state of it and then shared.
STATUS DefinitionOf(store::Database& db, const store::StoredNote& viewNote,
                    std::shared_ptr<const ViewDefinition>& out);
// The definition of the view whose saved state has that stamp, when it has been read before.
std::shared_ptr<const ViewDefinition> CachedDefinition(store::Database& db, NOTEID viewId,
                                                       const std::string& stamp);

// Whether the stored index of the view was made from this saved state of it, by this layout and collation.
STATUS IndexIsCurrent(store::Connection& sql, const store::StoredNote& viewNote, bool& current);

// The views whose stored index this layout and collation read, with the stamp each was made from.
STATUS ReadableIndexes(store::Connection& sql, std::vector<std::pair<NOTEID, std::string>>& views);

// Makes the index of the view again from every document, inside the caller's transaction.
STATUS RebuildIndex(store::Database& db, const store::StoredNote& viewNote, const ViewDefinition& view);
STATUS DropIndex(store::Connection& sql, NOTEID viewId);
// DropIndex for a note that is most likely no view: one statement when it had no index, with the tables
// known to exist.
STATUS DropIndexIfAny(store::Connection& sql, NOTEID viewId);
// Records that the view's index now stands for this saved state of the view note.
STATUS MarkIndexMade(store::Connection& sql, const store::StoredNote& viewNote);

// Row edits inside the caller's transaction. Removing a note's rows counts a change of every view that
// had one; inserting counts none (the caller counts once per document with CountChange).
STATUS InsertRow(store::Connection& sql, NOTEID viewId, const ViewRow& row);
STATUS RemoveNoteRows(store::Connection& sql, NOTEID note);
// Replaces the note's rows in one view by rows (sorted by part), unless they are stored already as they are;
// changed says whether anything was written.
STATUS ReplaceNoteRows(store::Connection& sql, NOTEID viewId, NOTEID note, const std::vector<ViewRow>& rows,
                       bool& changed);
STATUS CountChange(store::Connection& sql, NOTEID viewId);

// Counts changes to the view's rows; a collection compares it to know whether it is behind.
STATUS IndexChanges(store::Connection& sql, NOTEID viewId, int64_t& changes);

// Where a stored row stands in view order.
struct RowPlace {
    std::string key;
    int64_t note = 0, part = 0;
};

// Which keys a read of rows hands over. Copying every row's key out of its page makes a read of the rows
// about a fifth dearer, and a collection needs of a key only its category segments: with levels the number
// of category levels, a row whose first levels sort values are those of the row before is handed that
// row's key (its category segments are the same), and the others' keys are looked up by note, looked
// counting them. The keys of a view whose categories change from row to row are better read with the rows.
struct RowKeys {
    static constexpr size_t kEvery = SIZE_MAX;
    size_t levels = kEvery; // kEvery: every row's own key
    size_t looked = 0;
};

// Hands the stored rows of the view that come after the row at after (from the first when null) to sink in
// view order, max of them at most: handed counts them and, when there were max, last is where the last one
// stands (a read that hands fewer is the last one). Only with family do the rows carry their unid and
// parent, which only a hierarchical view needs; with keys the rows carry the keys it asks for (family rows
// carry their own).
STATUS ReadIndexRows(store::Connection& sql, NOTEID viewId, const RowPlace* after, size_t max, bool family,
                     const RowSink& sink, RowPlace& last, size_t& handed, RowKeys* keys = nullptr);

// Hands the stored rows of the view from the row of (note, part) on to sink in view order, that row first
// and max of them at most (none when the index no longer holds it): handed counts them. The rows carry no
// unid or parent.
STATUS ReadIndexRowsFrom(store::Connection& sql, NOTEID viewId, NOTEID note, uint32_t part, size_t max,
                         const RowSink& sink, size_t& handed);

// For each of notes (in their order) that has rows in the view, its first row in view order (the smallest
// key, then part), through the index by note: nothing else of the view is read.
STATUS ReadFirstIndexRows(store::Connection& sql, NOTEID viewId, const std::vector<NOTEID>& notes,
                          const FirstRowSink& take);

// The summary of each of rows: the row where it stands, else the same part of the note where it stands now
// (the document was saved again and sorts elsewhere), else none.
STATUS ReadIndexSummaries(store::Connection& sql, NOTEID viewId, const std::vector<RowPlace>& rows,
                          const SummarySink& take);

// The rows of every document for a view that cannot be stored (another file, a file we may only read),
// made in memory and handed to sink in view order.
STATUS ComputeRows(store::Database& db, const ViewDefinition& view, const RowSink& sink);

// Hands a made row to sink.
STATUS HandRow(const ViewRow& row, const RowSink& sink);

} // namespace nnotes::views
