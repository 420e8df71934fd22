// Writing and reading the entry rows of the stored indexes.
#include "views/viewindex_store.h"

#include "util/coding.h"

#include <algorithm>

namespace nnotes::views {

STATUS InsertRow(store::Connection& sql, NOTEID viewId, const ViewRow& row) {
    STATUS s;
    store::Statement* q = sql.Prepare("INSERT INTO view_rows(view, key, note, part, unid, parent, sortvalues,"
                                      " summary) VALUES(?, ?, ?, ?, ?, ?, ?, ?)",
                                      &s);
    if (q == nullptr) return s;
    q->Bind(1, viewId).BindBlob(2, row.key.data(), row.key.size()).Bind(3, row.note).Bind(4, row.part);
    q->BindBlob(5, &row.unid, sizeof row.unid);
    if (row.parent)
        q->BindBlob(6, &*row.parent, sizeof *row.parent);
    else
        q->BindNull(6);
    q->BindBlob(7, row.sortValues.data(), row.sortValues.size());
    q->BindBlob(8, row.summary.data(), row.summary.size());
    return q->Run();
}

STATUS CountChange(store::Connection& sql, NOTEID viewId) {
    STATUS s;
    store::Statement* q = sql.Prepare("UPDATE view_index SET changes=changes+1 WHERE view=?", &s);
    if (q == nullptr) return s;
    return q->Bind(1, viewId).Run();
}

STATUS RemoveNoteRows(store::Connection& sql, NOTEID note) {
    STATUS s;
    store::Statement* count = sql.Prepare("UPDATE view_index SET changes=changes+1"
                                          " WHERE view IN (SELECT view FROM view_rows WHERE note=?)",
                                          &s);
    if (count == nullptr) return s;
    if (STATUS s = count->Bind(1, note).Run()) return s;
    store::Statement* q = sql.Prepare("DELETE FROM view_rows WHERE note=?", &s);
    if (q == nullptr) return s;
    return q->Bind(1, note).Run();
}

namespace {

STATUS StoredRowsMatch(store::Connection& sql, NOTEID viewId, NOTEID note, const std::vector<ViewRow>& rows,
                       bool& same) {
    STATUS s;
    // Without statistics the planner would take the primary key's view prefix and read the whole view. The
    // rows come in key order (sorting them by part would take a sorter per save): each is matched by part.
    store::Statement* q = sql.Prepare("SELECT part, key, unid, parent, sortvalues, summary FROM view_rows"
                                      " INDEXED BY view_rows_by_note WHERE note=? AND view=?",
                                      &s);
    if (q == nullptr) return s;
    q->Bind(1, note).Bind(2, viewId);
    const auto bytes = [](const auto& value) {
        return std::string_view(reinterpret_cast<const char*>(&value), sizeof value);
    };
    const auto byPart = [&](int64_t part) -> const ViewRow* {
        const auto it = std::lower_bound(rows.begin(), rows.end(), part,
                                         [](const ViewRow& r, int64_t p) { return r.part < p; });
        return it != rows.end() && it->part == part ? &*it : nullptr;
    };
    size_t matched = 0;
    same = true;
    int rc;
    while (same && (rc = q->Step()) == SQLITE_ROW) {
        const ViewRow* row = byPart(q->Int(0));
        same = row != nullptr && q->Blob(1) == row->key && q->Blob(2) == bytes(row->unid) &&
               q->Blob(3) == (row->parent ? bytes(*row->parent) : "") && q->Blob(4) == row->sortValues &&
               q->Blob(5) == row->summary;
        ++matched;
    }
    // Parts are unique within a note's rows of one view, so as many matches as rows means the same rows.
    if (same) same = matched == rows.size();
    q->Reset();
    return same ? store::StatusOf(rc) : NOERROR;
}

} // namespace

STATUS ReplaceNoteRows(store::Connection& sql, NOTEID viewId, NOTEID note, const std::vector<ViewRow>& rows,
                       bool& changed) {
    bool same = false;
    if (STATUS s = StoredRowsMatch(sql, viewId, note, rows, same)) return s;
    changed = !same;
    if (same) return NOERROR;
    STATUS s;
    store::Statement* remove = sql.Prepare("DELETE FROM view_rows WHERE view=? AND note=?", &s);
    if (remove == nullptr) return s;
    if (STATUS s = remove->Bind(1, viewId).Bind(2, note).Run()) return s;
    for (const ViewRow& row : rows)
        if (STATUS s = InsertRow(sql, viewId, row)) return s;
    return NOERROR;
}

namespace {

// The row's key, looked up through the index by note (which holds the primary key's columns after its own).
constexpr const char* kKeyOfRow =
    "SELECT key FROM view_rows INDEXED BY view_rows_by_note WHERE note=?1 AND view=?2 AND part=?3";

STATUS KeyOfRow(store::Connection& sql, NOTEID viewId, int64_t note, int64_t part, std::string& key) {
    STATUS s;
    store::Statement* q = sql.Prepare(kKeyOfRow, &s);
    if (q == nullptr) return s;
    q->Bind(1, note).Bind(2, viewId).Bind(3, part);
    const int rc = q->Step();
    if (rc == SQLITE_ROW) key.assign(q->Blob(0));
    q->Reset();
    // A row read in the same snapshot without a key is one the index cannot give.
    return rc == SQLITE_ROW ? NOERROR : rc == SQLITE_DONE ? ERR_VIEW_INDEX_DAMAGED : store::StatusOf(rc);
}

// The item headers and values of the first levels items of sortValues (the category values, whose items
// have no names), as the two spans of sortValues that hold them: false when it does not hold that many
// whole.
bool CategorySpans(std::string_view sortValues, size_t levels, std::string_view& headers,
                   std::string_view& values) {
    headers = values = {};
    if (levels == 0) return true;
    if (sortValues.size() < 4) return false;
    const size_t count = util::DecodeFixed16(sortValues.data() + 2);
    if (count < levels || sortValues.size() < 4 + 4 * count) return false;
    size_t length = 0;
    for (size_t i = 0; i < levels; ++i)
        length += size_t{util::DecodeFixed16(sortValues.data() + 4 + 4 * i)} +
                  util::DecodeFixed16(sortValues.data() + 6 + 4 * i);
    const size_t data = 4 + 4 * count;
    if (length > sortValues.size() - data) return false;
    headers = sortValues.substr(4, 4 * levels);
    values = sortValues.substr(data, length);
    return true;
}

// Whether kept holds the two spans one after the other.
bool SameCategory(const std::string& kept, std::string_view headers, std::string_view values) {
    const std::string_view k(kept);
    return k.size() == headers.size() + values.size() && k.substr(0, headers.size()) == headers &&
           k.substr(headers.size()) == values;
}

// Hands the rows of one read to sink, counting them in handed; last gets the place of the row that makes
// handed reach max (a read that stops short is the last one, and the caller does not go on from it).
// Without keyed the query leaves the key out (columns note, sortvalues, summary, part): a row whose category
// values are those of the row before is handed that row's key, which holds the same category segments; the
// others' keys are looked up (keys.looked counts them), as is the last row's.
STATUS HandRows(store::Connection& sql, NOTEID viewId, store::Statement& q, bool family, bool keyed,
                RowKeys& keys, size_t max, const RowSink& sink, RowPlace& last, size_t& handed) {
    // Columns: note, sortvalues, summary, key, part, then with family unid and parent.
    const int partColumn = keyed ? 4 : 3;
    std::string key, previous;
    bool first = true;
    int rc;
    while ((rc = q.Step()) == SQLITE_ROW) {
        RowRef row;
        const int64_t note = q.Int(0);
        row.sortValues = q.Blob(1);
        row.summary = q.Blob(2);
        const int64_t part = q.Int(partColumn);
        if (family) {
            row.unid = q.Blob(5);
            row.parent = q.Blob(6);
        }
        row.part = static_cast<uint32_t>(part);
        const bool wellFormed = note > 0 && note < NOTE_ID_SPECIAL && part >= 0 && part <= UINT32_MAX &&
                                (!family || row.unid.size() == sizeof(UNIVERSALID)) &&
                                (row.parent.empty() || row.parent.size() == sizeof(UNIVERSALID));
        bool looked = false;
        STATUS given = wellFormed ? NOERROR : ERR_VIEW_INDEX_DAMAGED;
        if (keyed) {
            row.key = q.Blob(3);
        } else if (given == NOERROR) {
            // The category values are compared where the row's columns hold them, and kept only when they
            // change.
            std::string_view headers, values;
            const bool whole = CategorySpans(row.sortValues, keys.levels, headers, values);
            if (first || !whole || !SameCategory(previous, headers, values)) {
                given = KeyOfRow(sql, viewId, note, part, key);
                looked = true;
                ++keys.looked;
                // Empty when they are not whole, which no row with categories has.
                previous.assign(headers).append(values);
            } else {
                row.sameKey = true;
            }
            first = false;
            row.key = key;
        }
        row.note = static_cast<NOTEID>(note);
        if (given == NOERROR) given = sink(row);
        if (given == NOERROR && handed + 1 == max) {
            if (keyed || looked)
                last.key.assign(row.key);
            else
                given = KeyOfRow(sql, viewId, note, part, last.key);
            last.note = note;
            last.part = part;
        }
        if (given != NOERROR) {
            q.Reset();
            return given;
        }
        ++handed;
    }
    q.Reset();
    return store::StatusOf(rc);
}

} // namespace

STATUS ReadIndexRows(store::Connection& sql, NOTEID viewId, const RowPlace* after, size_t max, bool family,
                     const RowSink& sink, RowPlace& last, size_t& handed, RowKeys* keys) {
    handed = 0;
    STATUS s;
    RowKeys every;
    RowKeys& wanted = keys != nullptr && !family ? *keys : every;
    const bool keyed = wanted.levels == RowKeys::kEvery;
    // Every column read is copied out of its page, so a view without responses leaves out the two columns
    // it does not need, and a read that may leave out the keys leaves out theirs. Going on after a row takes
    // two reads, the rest of its key and then the keys after it: as one comparison of (key, note, part) the
    // query would test every row it reads against the place, where a seek past the key tests none.
    // Statements are kept by the address of their text: one literal per kind of read (keyed, keyed with
    // family, without keys).
    static constexpr const char* kFirst[3] = {
        "SELECT note, sortvalues, summary, key, part FROM view_rows WHERE view=?1 ORDER BY key, note, part"
        " LIMIT ?5",
        "SELECT note, sortvalues, summary, key, part, unid, parent FROM view_rows WHERE view=?1"
        " ORDER BY key, note, part LIMIT ?5",
        "SELECT note, sortvalues, summary, part FROM view_rows WHERE view=?1 ORDER BY key, note, part"
        " LIMIT ?5"};
    static constexpr const char* kSameKey[3] = {
        "SELECT note, sortvalues, summary, key, part FROM view_rows WHERE view=?1 AND key=?2 AND"
        " (note, part) > (?3, ?4) ORDER BY key, note, part LIMIT ?5",
        "SELECT note, sortvalues, summary, key, part, unid, parent FROM view_rows WHERE view=?1 AND key=?2"
        " AND (note, part) > (?3, ?4) ORDER BY key, note, part LIMIT ?5",
        "SELECT note, sortvalues, summary, part FROM view_rows WHERE view=?1 AND key=?2 AND"
        " (note, part) > (?3, ?4) ORDER BY key, note, part LIMIT ?5"};
    static constexpr const char* kLaterKeys[3] = {
        "SELECT note, sortvalues, summary, key, part FROM view_rows WHERE view=?1 AND key>?2"
        " ORDER BY key, note, part LIMIT ?5",
        "SELECT note, sortvalues, summary, key, part, unid, parent FROM view_rows WHERE view=?1 AND key>?2"
        " ORDER BY key, note, part LIMIT ?5",
        "SELECT note, sortvalues, summary, part FROM view_rows WHERE view=?1 AND key>?2"
        " ORDER BY key, note, part LIMIT ?5"};
    const size_t kind = family ? 1 : keyed ? 0 : 2;
    const auto limit = [](size_t rows) { return static_cast<int64_t>(std::min<size_t>(rows, INT64_MAX)); };
    if (after == nullptr) {
        store::Statement* q = sql.Prepare(kFirst[kind], &s);
        if (q == nullptr) return s;
        q->Bind(1, viewId).Bind(5, limit(max));
        return HandRows(sql, viewId, *q, family, keyed, wanted, max, sink, last, handed);
    }
    // Both reads see the index as it stood at the first.
    store::ReadTransaction snapshot(sql);
    store::Statement* same = sql.Prepare(kSameKey[kind], &s);
    if (same == nullptr) return s;
    same->Bind(1, viewId).BindBlob(2, after->key.data(), after->key.size()).Bind(3, after->note);
    same->Bind(4, after->part).Bind(5, limit(max));
    if (STATUS s = HandRows(sql, viewId, *same, family, keyed, wanted, max, sink, last, handed)) return s;
    if (handed >= max) return NOERROR;
    store::Statement* later = sql.Prepare(kLaterKeys[kind], &s);
    if (later == nullptr) return s;
    later->Bind(1, viewId).BindBlob(2, after->key.data(), after->key.size()).Bind(5, limit(max - handed));
    return HandRows(sql, viewId, *later, family, keyed, wanted, max, sink, last, handed);
}

namespace {

// Hands the rows of one read from (note, sortvalues, summary, part) to sink, counting them in handed.
STATUS HandRowsFrom(store::Statement& q, const RowSink& sink, size_t& handed) {
    int rc;
    while ((rc = q.Step()) == SQLITE_ROW) {
        RowRef row;
        const int64_t id = q.Int(0), at = q.Int(3);
        row.sortValues = q.Blob(1);
        row.summary = q.Blob(2);
        if (id <= 0 || id >= NOTE_ID_SPECIAL || at < 0 || at > UINT32_MAX) {
            q.Reset();
            return ERR_VIEW_INDEX_DAMAGED;
        }
        row.note = static_cast<NOTEID>(id);
        row.part = static_cast<uint32_t>(at);
        if (STATUS given = sink(row)) {
            q.Reset();
            return given;
        }
        ++handed;
    }
    q.Reset();
    return store::StatusOf(rc);
}

} // namespace

STATUS ReadIndexRowsFrom(store::Connection& sql, NOTEID viewId, NOTEID note, uint32_t part, size_t max,
                         const RowSink& sink, size_t& handed) {
    handed = 0;
    STATUS s;
    const auto limit = [](size_t rows) { return static_cast<int64_t>(std::min<size_t>(rows, INT64_MAX)); };
    if (max <= 1) {
        // One query for one row: the row's place is looked up by note, and the row read from there. A row no
        // longer stored has no place, and the comparison with it selects nothing.
        store::Statement* q = sql.Prepare(
            "SELECT note, sortvalues, summary, part FROM view_rows WHERE view=?1 AND (key, note, part) >="
            " (SELECT key, note, part FROM view_rows INDEXED BY view_rows_by_note WHERE note=?2 AND view=?1"
            " AND part=?3) ORDER BY key, note, part LIMIT ?4",
            &s);
        if (q == nullptr) return s;
        q->Bind(1, viewId).Bind(2, note).Bind(3, part).Bind(4, limit(max));
        return HandRowsFrom(*q, sink, handed);
    }
    // More rows read as ReadIndexRows goes on after a row: compared as one (key, note, part), every row read
    // would be tested against the place, its key copied out for it. The row's key is looked up by note
    // first; its rows from the place, then the keys after it, are read by seeks. All three see the index as
    // it stood at the first.
    store::ReadTransaction snapshot(sql);
    std::string key;
    // A row no longer stored has no key, and nothing is read from it.
    if (STATUS s = KeyOfRow(sql, viewId, note, part, key)) return s == ERR_VIEW_INDEX_DAMAGED ? NOERROR : s;
    store::Statement* same = sql.Prepare("SELECT note, sortvalues, summary, part FROM view_rows WHERE view=?1"
                                         " AND key=?2 AND (note, part) >= (?3, ?4) ORDER BY key, note, part"
                                         " LIMIT ?5",
                                         &s);
    if (same == nullptr) return s;
    same->Bind(1, viewId).BindBlob(2, key.data(), key.size()).Bind(3, note).Bind(4, part).Bind(5, limit(max));
    if (STATUS s = HandRowsFrom(*same, sink, handed)) return s;
    if (handed >= max) return NOERROR;
    store::Statement* later =
        sql.Prepare("SELECT note, sortvalues, summary, part FROM view_rows WHERE view=?1"
                    " AND key>?2 ORDER BY key, note, part LIMIT ?3",
                    &s);
    if (later == nullptr) return s;
    later->Bind(1, viewId).BindBlob(2, key.data(), key.size()).Bind(3, limit(max - handed));
    return HandRowsFrom(*later, sink, handed);
}

STATUS ReadFirstIndexRows(store::Connection& sql, NOTEID viewId, const std::vector<NOTEID>& notes,
                          const FirstRowSink& take) {
    STATUS s;
    // The index by note holds the primary key's columns after its own: a note's rows of one view come from
    // it in key order, and the table itself is not read.
    store::Statement* q = sql.Prepare("SELECT part, key FROM view_rows INDEXED BY view_rows_by_note"
                                      " WHERE note=? AND view=? ORDER BY key, part LIMIT 1",
                                      &s);
    if (q == nullptr) return s;
    for (size_t i = 0; i < notes.size(); ++i) {
        q->Bind(1, notes[i]).Bind(2, viewId);
        const int rc = q->Step();
        STATUS given = NOERROR;
        if (rc == SQLITE_ROW) {
            const int64_t part = q->Int(0);
            given = part >= 0 && part <= UINT32_MAX ? take(i, static_cast<uint32_t>(part), q->Blob(1))
                                                    : ERR_VIEW_INDEX_DAMAGED;
        } else if (rc != SQLITE_DONE) {
            given = store::StatusOf(rc);
        }
        q->Reset();
        if (given != NOERROR) return given;
    }
    return NOERROR;
}

STATUS ReadIndexSummaries(store::Connection& sql, NOTEID viewId, const std::vector<RowPlace>& rows,
                          const SummarySink& take) {
    STATUS s;
    store::Statement* q =
        sql.Prepare("SELECT summary FROM view_rows WHERE view=? AND key=? AND note=? AND part=?", &s);
    if (q == nullptr) return s;
    std::string summary;
    for (size_t i = 0; i < rows.size(); ++i) {
        const RowPlace& row = rows[i];
        q->Bind(1, viewId).BindBlob(2, row.key.data(), row.key.size()).Bind(3, row.note).Bind(4, row.part);
        const int rc = q->Step();
        STATUS given = NOERROR;
        if (rc == SQLITE_ROW) {
            given = take(i, q->Blob(0), true);
            q->Reset();
        } else {
            q->Reset();
            if (rc != SQLITE_DONE) return store::StatusOf(rc);
            size_t found = 0;
            if (row.part >= 0 && row.part <= UINT32_MAX) {
                const RowSink keep = [&](const RowRef& moved) {
                    summary.assign(moved.summary);
                    return NOERROR;
                };
                if (STATUS read = ReadIndexRowsFrom(sql, viewId, static_cast<NOTEID>(row.note),
                                                    static_cast<uint32_t>(row.part), 1, keep, found))
                    return read;
            }
            given = take(i, summary, found == 1);
        }
        if (given != NOERROR) return given;
    }
    return NOERROR;
}

STATUS HandRow(const ViewRow& row, const RowSink& sink) {
    RowRef ref;
    ref.note = row.note;
    ref.part = row.part;
    ref.key = row.key;
    ref.unid = std::string_view(reinterpret_cast<const char*>(&row.unid), sizeof row.unid);
    if (row.parent)
        ref.parent = std::string_view(reinterpret_cast<const char*>(&*row.parent), sizeof *row.parent);
    ref.sortValues = row.sortValues;
    ref.summary = row.summary;
    return sink(ref);
}

} // namespace nnotes::views
