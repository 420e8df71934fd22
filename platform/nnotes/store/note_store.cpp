#include "store/note_store.h"
#include "util/coding.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace nnotes::store {
namespace {

// Copies a blob of exactly sizeof(T) bytes into out; false for any other size.
template <class T>
bool FromBlob(std::string_view blob, T& out) {
    if (blob.size() != sizeof(T)) return false;
    std::memcpy(&out, blob.data(), sizeof(T));
    return true;
}

void BindParent(Statement& q, int index, const std::optional<UNIVERSALID>& parent) {
    if (parent)
        q.BindBlob(index, &*parent, sizeof *parent);
    else
        q.BindNull(index);
}

// The header row of the note-and-items query: class, originator id, added time (the name column is null).
STATUS ReadHeader(const Statement& q, NOTEID id, StoredHeader& header) {
    header.id = id;
    const int64_t noteClass = q.Int(0);
    if (noteClass <= 0 || noteClass > UINT16_MAX || !FromBlob(q.Blob(1), header.oid) ||
        !FromBlob(q.Blob(2), header.added))
        return ERR_NOTE_DAMAGED;
    header.noteClass = static_cast<uint16_t>(noteClass);
    return NOERROR;
}

// An item row of the query: seq, name, type, flags, value.
STATUS ReadItem(const Statement& q, StoredItemRow& item) {
    item.seq = q.Int(0);
    item.name = q.Text(1);
    const int64_t type = q.Int(2), flags = q.Int(3);
    item.value = q.Blob(4);
    const bool wellFormed = item.seq > 0 && !item.name.empty() && item.name.size() <= MAXITEMNAME &&
                            flags >= 0 && flags <= UINT16_MAX && item.value.size() >= sizeof(uint16_t) &&
                            item.value.size() <= UINT16_MAX && TypeWord(item.value) == type;
    if (!wellFormed) return ERR_NOTE_DAMAGED;
    item.type = static_cast<uint16_t>(type);
    item.flags = static_cast<uint16_t>(flags);
    return NOERROR;
}

// Collects the rows into a StoredNote.
class WholeNote final : public NoteRowSink {
public:
    explicit WholeNote(StoredNote& note) : note_(note) {}
    STATUS Header(const StoredHeader& header) override {
        static_cast<StoredHeader&>(note_) = header;
        return NOERROR;
    }
    STATUS Item(const StoredItemRow& row) override {
        StoredItem& item = note_.items.emplace_back();
        item.seq = row.seq;
        item.name = row.name;
        item.type = row.type;
        item.flags = row.flags;
        item.value = row.value;
        return NOERROR;
    }

private:
    StoredNote& note_;
};

} // namespace

uint16_t TypeWord(std::string_view value) {
    return value.size() >= 2 ? util::DecodeFixed16(value.data()) : 0;
}

STATUS ResolveNoteId(Connection& sql, NOTEID id, NOTEID& out) {
    if ((id & NOTE_ID_SPECIAL) != NOTE_ID_SPECIAL) {
        out = id;
        return NOERROR;
    }
    const uint32_t noteClass = id & ~NOTE_ID_SPECIAL;
    if (noteClass == 0 || (noteClass & (noteClass - 1)) != 0 || noteClass > NOTE_CLASS_PRIVATE)
        return ERR_NOTE_CLASS;
    STATUS s;
    Statement* q = sql.Prepare("SELECT min(id) FROM notes WHERE class=?", &s);
    if (q == nullptr) return s;
    q->Bind(1, noteClass);
    const int rc = q->Step();
    const bool found = rc == SQLITE_ROW && !q->IsNull(0);
    out = found ? static_cast<NOTEID>(q->Int(0)) : 0;
    q->Reset();
    if (rc != SQLITE_ROW) return StatusOf(rc);
    return found ? NOERROR : ERR_NOTE_NOT_FOUND;
}

STATUS ReadNoteRows(Connection& sql, NOTEID id, NoteRowSink& sink) {
    NOTEID resolved = 0;
    if (STATUS s = ResolveNoteId(sql, id, resolved)) return s;
    // One statement, so the header and the items come from one snapshot even while others write. The
    // header comes as a row of its own ahead of the items rather than joined to each of them, which would
    // read its columns again for every item.
    STATUS s;
    Statement* q =
        sql.Prepare("SELECT class, oid, added, NULL, NULL FROM notes WHERE id=?1"
                    " UNION ALL SELECT * FROM"
                    " (SELECT seq, name, type, flags, value FROM items WHERE note=?1 ORDER BY seq)",
                    &s);
    if (q == nullptr) return s;
    q->Bind(1, resolved);
    int rc = q->Step();
    // The first row is the note's, told by its null name column; items without a note row are no note.
    if (rc == SQLITE_ROW && q->IsNull(4)) {
        StoredHeader header;
        s = ReadHeader(*q, resolved, header);
        if (s == NOERROR) s = sink.Header(header);
    } else {
        s = rc == SQLITE_ROW || rc == SQLITE_DONE ? ERR_NOTE_NOT_FOUND : StatusOf(rc);
    }
    int64_t lastSeq = 0;
    if (s == NOERROR) {
        for (rc = q->Step(); s == NOERROR && rc == SQLITE_ROW; rc = q->Step()) {
            StoredItemRow item;
            s = ReadItem(*q, item);
            // Rows come in the order of the items' key; a repeated or falling seq is not a stored note.
            if (s == NOERROR && item.seq <= lastSeq) s = ERR_NOTE_DAMAGED;
            if (s == NOERROR) s = sink.Item(item);
            lastSeq = item.seq;
        }
    }
    if (s == NOERROR && rc != SQLITE_ROW && rc != SQLITE_DONE) s = StatusOf(rc);
    q->Reset();
    return s;
}

STATUS LoadNote(Connection& sql, NOTEID id, StoredNote& out) {
    StoredNote note;
    note.items.reserve(16); // most notes have no more, and growing moves every item read so far
    WholeNote sink(note);
    if (STATUS s = ReadNoteRows(sql, id, sink)) return s;
    out = std::move(note);
    return NOERROR;
}

STATUS StoredSequence(Connection& sql, NOTEID id, std::optional<uint32_t>& out) {
    STATUS s;
    Statement* q = sql.Prepare("SELECT oid FROM notes WHERE id=?", &s);
    if (q == nullptr) return s;
    q->Bind(1, id);
    const int rc = q->Step();
    out.reset();
    ORIGINATORID oid;
    if (rc == SQLITE_ROW && FromBlob(q->Blob(0), oid)) out = oid.sequence;
    const bool damaged = rc == SQLITE_ROW && !out;
    q->Reset();
    if (damaged) return ERR_NOTE_DAMAGED;
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? NOERROR : StatusOf(rc);
}

namespace {

// Whether the note ids have run out: SQLite answers a new row after the largest id it can give as if the
// disk were full.
bool IdsRunOut(Connection& sql) {
    STATUS s;
    Statement* q = sql.Prepare("SELECT max(id) >= ?1 OR (SELECT max(seq) >= ?1 FROM sqlite_sequence"
                               " WHERE name = 'notes') FROM notes",
                               &s);
    if (q == nullptr) return false;
    const bool out = q->Bind(1, int64_t{NOTE_ID_SPECIAL}).Step() == SQLITE_ROW && q->Int(0) == 1;
    q->Reset();
    return out;
}

} // namespace

STATUS InsertNoteRow(Connection& sql, uint16_t noteClass, const ORIGINATORID& oid, const Instant& added,
                     const std::optional<UNIVERSALID>& parent, NOTEID& id) {
    STATUS s;
    Statement* q =
        sql.Prepare("INSERT INTO notes(class, unid, oid, added, parent) VALUES(?, ?, ?, ?, ?)", &s);
    if (q == nullptr) return s;
    q->Bind(1, noteClass).BindBlob(2, &oid, sizeof(UNIVERSALID)).BindBlob(3, &oid, sizeof oid);
    q->BindBlob(4, &added, sizeof added);
    BindParent(*q, 5, parent);
    if (STATUS s = q->Run()) return s == ERR_DB_DISK_FULL && IdsRunOut(sql) ? ERR_NOTE_IDS_EXHAUSTED : s;
    const int64_t rowid = sqlite3_last_insert_rowid(sql.Raw());
    // Ids from NOTE_ID_SPECIAL up name special notes; the database cannot hand out more.
    if (rowid <= 0 || rowid >= NOTE_ID_SPECIAL) return ERR_NOTE_IDS_EXHAUSTED;
    id = static_cast<NOTEID>(rowid);
    return NOERROR;
}

STATUS UpdateNoteRow(Connection& sql, NOTEID id, uint16_t noteClass, const ORIGINATORID& oid,
                     const std::optional<UNIVERSALID>& parent, bool keysMayChange) {
    // SQLite rewrites the index entries of every column an UPDATE names, changed or not: the columns that
    // carry indexes are named only in a statement that changes them, which a save seldom does.
    STATUS s;
    Statement* q = sql.Prepare("UPDATE notes SET oid=? WHERE id=?", &s);
    if (q == nullptr) return s;
    if (STATUS s = q->BindBlob(1, &oid, sizeof oid).Bind(2, id).Run()) return s;
    if (sqlite3_changes(sql.Raw()) != 1) return ERR_NOTE_CONFLICT;
    return keysMayChange ? UpdateNoteKeys(sql, id, noteClass, oid, parent) : NOERROR;
}

STATUS UpdateNoteKeys(Connection& sql, NOTEID id, uint16_t noteClass, const ORIGINATORID& oid,
                      const std::optional<UNIVERSALID>& parent) {
    STATUS s;
    Statement* keys = sql.Prepare("UPDATE notes SET class=?1, unid=?2, parent=?3 WHERE id=?4"
                                  " AND (class IS NOT ?1 OR unid IS NOT ?2 OR parent IS NOT ?3)",
                                  &s);
    if (keys == nullptr) return s;
    keys->Bind(1, noteClass).BindBlob(2, &oid, sizeof(UNIVERSALID));
    BindParent(*keys, 3, parent);
    return keys->Bind(4, id).Run();
}

STATUS ReplaceNoteOid(Connection& sql, NOTEID id, const ORIGINATORID& expected, const ORIGINATORID& oid,
                      bool& replaced) {
    STATUS s;
    Statement* q = sql.Prepare("UPDATE notes SET oid=?1 WHERE id=?2 AND oid=?3", &s);
    if (q == nullptr) return s;
    if (STATUS s = q->BindBlob(1, &oid, sizeof oid).Bind(2, id).BindBlob(3, &expected, sizeof expected).Run())
        return s;
    replaced = sqlite3_changes(sql.Raw()) == 1;
    return NOERROR;
}

STATUS DeleteNoteRows(Connection& sql, NOTEID id, uint16_t& noteClass) {
    if (STATUS s = DeleteItemRows(sql, id, 0)) return s;
    STATUS s;
    Statement* q = sql.Prepare("DELETE FROM notes WHERE id=? RETURNING class", &s);
    if (q == nullptr) return s;
    q->Bind(1, id);
    const int rc = q->Step();
    if (rc == SQLITE_ROW) noteClass = static_cast<uint16_t>(q->Int(0));
    const STATUS done = q->Run(); // finishes the statement so that the delete takes effect
    if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? ERR_NOTE_NOT_FOUND : StatusOf(rc);
    return done;
}

STATUS InsertItemRow(Connection& sql, NOTEID note, int64_t seq, const std::string& name, uint16_t flags,
                     std::string_view value) {
    STATUS s;
    Statement* q =
        sql.Prepare("INSERT INTO items(note, seq, name, type, flags, value) VALUES(?, ?, ?, ?, ?, ?)", &s);
    if (q == nullptr) return s;
    q->Bind(1, note).Bind(2, seq).Bind(3, name).Bind(4, TypeWord(value)).Bind(5, flags);
    return q->BindBlob(6, value.data(), value.size()).Run();
}

namespace {

// Rows of one multi-row insert at most, and its statement's text for each count (kept for Prepare, which
// keeps statements by the address of their text).
constexpr size_t kRowsPerInsert = 16;

const char* InsertRowsSql(size_t count) {
    static const auto texts = [] {
        std::array<std::string, kRowsPerInsert + 1> t;
        for (size_t n = 1; n <= kRowsPerInsert; ++n) {
            t[n] = "INSERT INTO items(note, seq, name, type, flags, value) VALUES";
            for (size_t i = 0; i < n; ++i)
                t[n] += i ? ", (?, ?, ?, ?, ?, ?)" : " (?, ?, ?, ?, ?, ?)";
        }
        return t;
    }();
    return texts[count].c_str();
}

} // namespace

STATUS InsertItemRows(Connection& sql, NOTEID note, const std::vector<NewItemRow>& rows) {
    for (size_t from = 0; from < rows.size(); from += kRowsPerInsert) {
        const size_t count = std::min(kRowsPerInsert, rows.size() - from);
        if (count == 1) {
            const NewItemRow& row = rows[from];
            if (STATUS s = InsertItemRow(sql, note, row.seq, *row.name, row.flags, row.value)) return s;
            continue;
        }
        STATUS s;
        Statement* q = sql.Prepare(InsertRowsSql(count), &s);
        if (q == nullptr) return s;
        for (size_t i = 0; i < count; ++i) {
            const NewItemRow& row = rows[from + i];
            const int at = static_cast<int>(i * 6);
            q->Bind(at + 1, note).Bind(at + 2, row.seq).Bind(at + 3, *row.name);
            q->Bind(at + 4, TypeWord(row.value)).Bind(at + 5, row.flags);
            q->BindBlob(at + 6, row.value.data(), row.value.size());
        }
        if (STATUS s = q->Run()) return s;
    }
    return NOERROR;
}

STATUS UpdateItemValue(Connection& sql, NOTEID note, int64_t seq, std::string_view value) {
    STATUS s;
    Statement* q = sql.Prepare("UPDATE items SET type=?, value=? WHERE note=? AND seq=?", &s);
    if (q == nullptr) return s;
    q->Bind(1, TypeWord(value)).BindBlob(2, value.data(), value.size()).Bind(3, note).Bind(4, seq);
    return q->Run();
}

STATUS MoveItemRow(Connection& sql, NOTEID note, int64_t seq, int64_t toSeq, const std::string& name,
                   uint16_t flags, std::string_view value) {
    STATUS s;
    // A row that keeps its place is written without naming its key, which SQLite would delete and insert.
    Statement* q =
        seq != toSeq
            ? sql.Prepare(
                  "UPDATE items SET seq=?1, name=?2, type=?3, flags=?4, value=?5 WHERE note=?6 AND seq=?7",
                  &s)
            : sql.Prepare("UPDATE items SET name=?2, type=?3, flags=?4, value=?5 WHERE note=?6 AND seq=?7",
                          &s);
    if (q == nullptr) return s;
    q->Bind(1, toSeq).Bind(2, name).Bind(3, TypeWord(value)).Bind(4, flags);
    q->BindBlob(5, value.data(), value.size()).Bind(6, note).Bind(7, seq);
    if (STATUS s = q->Run()) return s;
    // Gone already (as a delete of it would have found it): the item is written as a new row.
    return sqlite3_changes(sql.Raw()) == 1 ? NOERROR : InsertItemRow(sql, note, toSeq, name, flags, value);
}

STATUS DeleteItemRows(Connection& sql, NOTEID note, int64_t seq) {
    STATUS s;
    Statement* q = seq == 0 ? sql.Prepare("DELETE FROM items WHERE note=?", &s)
                            : sql.Prepare("DELETE FROM items WHERE note=? AND seq=?", &s);
    if (q == nullptr) return s;
    q->Bind(1, note);
    if (seq != 0) q->Bind(2, seq);
    return q->Run();
}

} // namespace nnotes::store
