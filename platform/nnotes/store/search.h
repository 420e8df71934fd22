// What searches share: the summary handed to callbacks, the selection of candidate notes, and the walk over
// the database files of a directory.
#pragma once

#include "store/database.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace nnotes {

// The summary items of one match: name and value (type word first).
struct SearchSummary {
    std::vector<std::pair<std::string, std::string>> items;
};

namespace store {

// One note that a search looks at: id, class and originator id, read from the note's row.
struct Candidate {
    NOTEID id;
    uint16_t noteClass;
    ORIGINATORID oid;
};

// The notes of noteClassMask last saved after *since (every one when since is null), in id order.
STATUS Candidates(Database& db, uint16_t noteClassMask, const Instant* since, std::vector<Candidate>& out);

// Candidates() and the stamp of the latest change, read from one snapshot: a caller that passes until back
// as the next since sees every later change, and no change twice.
STATUS ChangedSince(Database& db, uint16_t noteClassMask, const Instant* since, std::vector<Candidate>& out,
                    Instant& until);

// A new ID table holding ids (none is made on failure).
STATUS IDTableOf(const std::vector<NOTEID>& ids, DHANDLE& table);

// Calls visit with the full path and the path relative to root of every database file (".nsf", ".ntf" or
// both, by fileType) in folder, and in the folders below with FILE_RECURSE; in name order. A non-zero result
// of visit ends the walk and is returned.
STATUS WalkDatabaseFiles(const std::string& root, const std::string& folder, uint16_t fileType,
                         const std::function<STATUS(const std::string&, const std::string&)>& visit);

// The folder that relative paths of a directory handle's database files are given from.
STATUS RootOf(const Database& directory, std::string& root);

} // namespace store
} // namespace nnotes
