// The full-text index inside a database file: FTS5 text of each indexed document, the version of the
// document it was made from, and when the index was last brought up to date.
#pragma once

#include "store/database.h"

namespace nnotes::fulltext {

// Whether the file holds an index.
STATUS IndexExists(store::Connection& sql, bool& exists);

// Makes the index when there is none (or anew, with rebuild) and brings it up to the stored documents, in one
// transaction.
STATUS UpdateIndex(store::Database& db, bool rebuild, FTIndexStats& stats);

// Drops the index; ERR_FT_NOT_INDEXED when there is none.
STATUS DropIndex(store::Connection& sql);

// When UpdateIndex last ran; ERR_FT_NOT_INDEXED when there is no index.
STATUS LastIndexed(store::Connection& sql, Instant& out);

} // namespace nnotes::fulltext
