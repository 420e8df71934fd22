// The layout of a database file: tables, the keys of its info table, and the marks that tell our files from
// others.
#pragma once

#include "nnotes/nnotes.h"
#include "store/store_sql.h"

namespace nnotes::store {

// SQLite's application id field of our files: "QVLN".
constexpr uint32_t kApplicationId = 0x51564C4E;
// The schema version this library writes; files of a later one are refused rather than misread.
constexpr int kSchemaVersion = 1;

// Keys of the info table.
constexpr const char* kInfoId = "id";                          // 8-byte database identifier
constexpr const char* kInfoBuffer = "info";                    // the information buffer (title, ...)
constexpr const char* kInfoOptions = "options";                // first option word
constexpr const char* kInfoOptions2 = "options2";              // second option word
constexpr const char* kInfoDataModified = "data_modified";     // last change to a document
constexpr const char* kInfoDesignModified = "design_modified"; // last change to any other note
constexpr const char* kInfoLog = "log"; // the mark of the transaction before, then that of the latest one

// Written at the start of every write transaction (Connection::MarkWrites): the latest mark moves to the
// front and ?1 (8 fresh random bytes) becomes the new one, so that a log left over can be shown to go on
// from the file beside it (files/left_over_log.h).
constexpr const char* kMarkLogSql =
    "INSERT INTO info(key, value) VALUES('log', CAST(zeroblob(8) || ?1 AS BLOB))"
    " ON CONFLICT(key) DO UPDATE SET value = CAST(substr(value, 9, 8) || ?1 AS BLOB)";

// The mark of kMarkLogSql and the info value ?3 of key ?2 in one statement: for a save, which marks its
// transaction with the modified time it writes (Transaction's markLater).
constexpr const char* kMarkLogAndSetSql =
    "INSERT INTO info(key, value) VALUES('log', CAST(zeroblob(8) || ?1 AS BLOB)), (?2, ?3)"
    " ON CONFLICT(key) DO UPDATE SET value = CASE WHEN key = 'log' THEN CAST(substr(value, 9, 8) || ?1 AS "
    "BLOB)"
    " ELSE excluded.value END";

// Creates the tables in an empty file (in one transaction).
STATUS CreateSchema(Connection& sql);

// Checks that an opened file carries our tables in a version this library reads.
STATUS CheckSchema(Connection& sql);

} // namespace nnotes::store
