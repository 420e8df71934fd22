// Whether a log that a process left beside a database file (it ended without closing the database) belongs
// to the file that is there now.
//
// SQLite applies any log whose own checksums hold, whatever file it was written for, and the first
// connection's close folds it into the file for good: a database copied or restored by hand under the name
// of one whose writer was killed would take in that writer's log and be destroyed. SQLite's log does not say
// which file it continues, so the store writes that into every transaction (store_sql.h, Connection::
// MarkWrites): the info table on the file's second page holds "log", 16 bytes, the mark of the transaction
// before (8 bytes) and its own (8 random bytes). A log belongs to the file when every info page it holds
// bears the file's identifier, and the file's own info page either is one the log holds (a fold cut short)
// or carries a mark the log's transactions go on from, and the file was not written after the log's last
// write but by a fold (a backup of the file as the log began, put back later, is not that file).
#pragma once

#include "nnotes/nnotes.h"

#include <string>

namespace nnotes::store {

// Checks the log beside the database file at fsPath, which fd (of that file) is held exclusively by: no
// process has the database open, so the log is one left over and nobody writes to either meanwhile. NOERROR
// when there is no log, nothing committed in it, or a log that belongs to the file; ERR_DB_FOREIGN_LOG when
// it cannot be shown to belong; ERR_DB_DAMAGED when the file's own information cannot be read. Reads only:
// neither file is changed. A file that is not one of our databases gives NOERROR (its opening refuses it).
STATUS CheckLeftOverLog(const std::string& fsPath, int fd);

} // namespace nnotes::store
