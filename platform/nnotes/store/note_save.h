// Storing an open note in its database.
#pragma once

#include "store/note.h"

namespace nnotes::store {

// Stores the note in one transaction: a new note gets its id, a stored one a new sequence; rows are written
// only for items added, removed or changed since the note was read. ERR_NOTE_CONFLICT when another process
// saved or deleted the note since (UPDATE_FORCE stores over a save). On failure the stored note and the open
// note stay as they were.
STATUS SaveNote(Note& note, uint16_t flags);

} // namespace nnotes::store
