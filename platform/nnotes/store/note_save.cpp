// Storing an open note: one transaction that writes only what changed since the note was read.
#include "store/note_save.h"

#include "store/database.h"
#include "store/item_layout.h"
#include "store/note_store.h"
#include "util/text.h"
#include "views/viewindex.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace nnotes::store {
namespace {

// The parent named first by the note's "$REF" item.
std::optional<UNIVERSALID> ParentOf(const Note& note, const std::vector<std::string_view>& values) {
    const size_t i = note.FindName(FIELD_REF, 0);
    return i < values.size() ? FirstNoteRef(values[i]) : std::nullopt;
}

// What the save assigns, applied to the open note only after the commit succeeded.
struct SaveResult {
    NOTEID id = 0;
    ORIGINATORID oid{};
    Instant added{};
    int64_t lastSeq = 0;
    std::vector<int64_t> seqs;
    std::vector<uint64_t> hashes;
};

// The note as the save leaves it in the file, for the view indexes: what reading it back would give.
StoredNote AsSaved(const Note& note, const std::vector<std::string_view>& values, const SaveResult& r) {
    StoredNote saved;
    saved.id = r.id;
    saved.noteClass = note.noteClass;
    saved.oid = r.oid;
    saved.added = r.added;
    const auto& items = note.Items();
    saved.items.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        StoredItem& item = saved.items[i];
        item.seq = r.seqs[i];
        item.name = items[i].name;
        item.type = TypeWord(values[i]);
        item.flags = items[i].flags;
        item.value.assign(values[i]);
    }
    // In the order of their rows, as they read back.
    std::stable_sort(saved.items.begin(), saved.items.end(),
                     [](const StoredItem& a, const StoredItem& b) { return a.seq < b.seq; });
    return saved;
}

// The names of the items a save in place adds, removes or gives another value: all that the view indexes
// can see change, when the note stays the same document (class and identity as stored). Null when the save
// may change more.
std::optional<std::vector<std::string>> ChangedItems(const Note& note, const SaveResult& r, bool whole) {
    const UNIVERSALID unid{note.oid.file, note.oid.note};
    const bool sameNote = !whole && note.origin && note.origin->noteClass == note.noteClass &&
                          std::memcmp(&note.origin->unid, &unid, sizeof unid) == 0;
    if (!sameNote) return std::nullopt;
    std::vector<std::string> names = note.removedNames;
    const auto& items = note.Items();
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].seq == 0 || (!items[i].asStored && r.hashes[i] != items[i].storedHash))
            names.push_back(items[i].name);
    return names;
}

// The stored rows of removed items in the order new items take them over: first those above every row
// kept, ascending (a new item comes after every kept one, so it can keep such a row's place), then the rest.
std::vector<int64_t> RowsToTakeOver(const Note& note) {
    int64_t topKept = 0;
    for (const NoteItem& item : note.Items())
        topKept = std::max(topKept, item.seq);
    std::vector<int64_t> rows = note.removedSeqs;
    std::sort(rows.begin(), rows.end());
    std::rotate(rows.begin(), std::upper_bound(rows.begin(), rows.end(), topKept), rows.end());
    return rows;
}

// The hash the item keeps once saved: none for an item still as stored, whose bytes nobody was handed and
// which stays so (its hash is taken when its block is first handed out).
uint64_t HashAsSaved(const NoteItem& item, std::string_view value) {
    return item.asStored ? 0 : HashOf(value);
}

STATUS WriteItems(Connection& sql, const Note& note, const std::vector<std::string_view>& values, bool whole,
                  SaveResult& r) {
    // A value replaced through the item calls is a new item and a removed one: the removed item's row
    // becomes the new item's in one statement rather than a delete and an insert, and keeps its place when
    // no kept row comes after it (the common case: a note's last item replaced).
    std::vector<int64_t> rows;
    if (whole) {
        // A note stored just now has no rows yet: its id is one the file never gave before.
        if (note.id != 0)
            if (STATUS s = DeleteItemRows(sql, r.id, 0)) return s;
    } else {
        rows = RowsToTakeOver(note);
    }
    int64_t topKept = 0;
    size_t taken = 0;
    const auto& items = note.Items();
    if (whole) {
        // Every item a new row, in order: several to a statement.
        std::vector<NewItemRow> fresh(items.size());
        for (size_t i = 0; i < items.size(); ++i) {
            r.hashes.push_back(HashAsSaved(items[i], values[i]));
            r.seqs.push_back(++r.lastSeq);
            fresh[i] = NewItemRow{r.lastSeq, &items[i].name, items[i].flags, values[i]};
        }
        return InsertItemRows(sql, r.id, fresh);
    }
    for (size_t i = 0; i < items.size(); ++i) {
        r.hashes.push_back(HashAsSaved(items[i], values[i]));
        int64_t seq = items[i].seq;
        if (seq == 0) {
            STATUS s;
            if (taken < rows.size() && rows[taken] > topKept) {
                seq = rows[taken++];
                s = MoveItemRow(sql, r.id, seq, seq, items[i].name, items[i].flags, values[i]);
            } else if (taken < rows.size()) {
                seq = ++r.lastSeq;
                s = MoveItemRow(sql, r.id, rows[taken++], seq, items[i].name, items[i].flags, values[i]);
            } else {
                seq = ++r.lastSeq;
                s = InsertItemRow(sql, r.id, seq, items[i].name, items[i].flags, values[i]);
            }
            if (s) return s;
        } else if (!items[i].asStored && r.hashes.back() != items[i].storedHash) {
            if (STATUS s = UpdateItemValue(sql, r.id, seq, values[i])) return s;
        }
        topKept = std::max(topKept, seq);
        r.seqs.push_back(seq);
    }
    for (; taken < rows.size(); ++taken)
        if (STATUS s = DeleteItemRows(sql, r.id, rows[taken])) return s;
    return NOERROR;
}

STATUS Write(Database& db, const Note& note, uint16_t flags, const std::vector<std::string_view>& values,
             SaveResult& r) {
    Connection& sql = db.Sql();
    Transaction t(sql, true, true); // marked together with the modified time (TouchModified)
    if (STATUS s = t.Begun()) return s;
    Instant now; // the save's stamp: later than any change a search has reported
    if (STATUS s = db.NextStamp(now)) return s;
    const auto parent = ParentOf(note, values);
    r.oid = note.oid;
    r.oid.sequenceTime = now;
    r.added = note.added;
    const bool inPlace = note.origin && note.origin->db == note.db && note.origin->id == note.id;
    std::optional<std::vector<std::string>> changed;
    if (note.id == 0) {
        r.oid.sequence = note.oid.sequence + 1;
        r.added = now;
        if (STATUS s = InsertNoteRow(sql, note.noteClass, r.oid, r.added, parent, r.id)) return s;
        if (STATUS s = WriteItems(sql, note, values, true, r)) return s;
    } else {
        r.id = note.id;
        // Every save gives the note another originator id: while the stored one is the one read, the note
        // is as it was read, and one statement both finds that and writes the new one.
        bool asRead = false;
        if (inPlace) {
            r.oid.sequence = note.origin->sequence + 1;
            if (STATUS s = ReplaceNoteOid(sql, note.id, note.origin->oid, r.oid, asRead)) return s;
        }
        bool whole = false;
        if (!asRead) {
            std::optional<uint32_t> stored;
            if (STATUS s = StoredSequence(sql, note.id, stored)) return s;
            if (!stored) return inPlace ? ERR_NOTE_CONFLICT : ERR_NOTE_NOT_FOUND;
            if (inPlace && *stored != note.origin->sequence && !(flags & UPDATE_FORCE))
                return ERR_NOTE_CONFLICT;
            r.oid.sequence = *stored + 1;
            // After a save by another process (forced over) our rows no longer describe the stored ones.
            whole = !inPlace || *stored != note.origin->sequence;
        }
        r.lastSeq = whole ? 0 : note.lastSeq;
        if (STATUS s = WriteItems(sql, note, values, whole, r)) return s;
        if (inPlace) changed = ChangedItems(note, r, whole);
        // The class, universal id and parent stay as stored when the note is the same and "$REF" did not
        // change: only the originator id is written then.
        const bool sameKeys =
            changed && std::none_of(changed->begin(), changed->end(),
                                    [](const std::string& n) { return util::EqualsNoCase(n, FIELD_REF); });
        if (asRead) {
            if (!sameKeys)
                if (STATUS s = UpdateNoteKeys(sql, note.id, note.noteClass, r.oid, parent)) return s;
        } else if (STATUS s = UpdateNoteRow(sql, note.id, note.noteClass, r.oid, parent, !sameKeys)) {
            return s;
        }
    }
    if (STATUS s = views::IndexNoteSaved(
            db, r.id, note.noteClass, [&] { return AsSaved(note, values, r); },
            changed ? &*changed : nullptr))
        return s;
    if (STATUS s = db.TouchModified(note.noteClass, now)) return s;
    return t.Commit();
}

} // namespace

STATUS SaveNote(Note& note, uint16_t flags) {
    std::shared_ptr<Database> db;
    if (STATUS s = DatabaseOf(note.db, db)) return s;
    // The values where they lie in the note's blocks: nothing changes them while the save runs.
    std::vector<std::string_view> values(note.Items().size());
    for (size_t i = 0; i < values.size(); ++i)
        if (STATUS s = note.BytesOf(note.Items()[i], values[i])) return s;

    SaveResult r;
    {
        std::lock_guard<std::recursive_mutex> guard(db->Lock());
        if (STATUS s = db->Noted(Write(*db, note, flags, values, r))) return s;
    }
    note.id = r.id;
    note.oid = r.oid;
    note.added = r.added;
    note.origin = Note::Origin{
        note.db, r.id, r.oid.sequence, note.noteClass, UNIVERSALID{note.oid.file, note.oid.note}, r.oid};
    note.lastSeq = r.lastSeq;
    note.removedSeqs.clear();
    note.removedNames.clear();
    for (size_t i = 0; i < r.seqs.size(); ++i) {
        note.Items()[i].seq = r.seqs[i];
        note.Items()[i].storedHash = r.hashes[i];
    }
    return NOERROR;
}

} // namespace nnotes::store
