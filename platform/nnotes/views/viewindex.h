// Keeping the stored view indexes current: the store calls these inside the transaction that saves or
// deletes a note, so an index never disagrees with the notes it was made from.
#pragma once

#include "store/database.h"
#include "store/note_store.h"

#include <functional>
#include <string>
#include <vector>

namespace nnotes::views {

// After the rows of a note were written, with the note as they now hold it. A document takes its place in
// every indexed view; a view note gets its index made again (or dropped, when its design cannot be read).
// changedItems, when given, names every item the save added, removed or gave another value, the note having
// been stored before as the same document (class and identity); views that read none of them are left
// alone. saved() gives the note of that id and class as the save left it, asked for only when a view must
// see it. Fails only when the file cannot be written, which fails the save.
STATUS IndexNoteSaved(store::Database& db, NOTEID id, uint16_t noteClass,
                      const std::function<store::StoredNote()>& saved,
                      const std::vector<std::string>* changedItems);

// After the rows of note id were deleted: its entries leave every index, and a view's index goes with it.
STATUS IndexNoteDeleted(store::Database& db, NOTEID id);

} // namespace nnotes::views
