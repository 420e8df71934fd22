// Putting database files in place and taking them away, so that a database is always there whole (the old
// one or the new one), and never replaced or deleted under a process that has it open.
#pragma once

#include "nnotes/nnotes.h"

#include <string>

namespace nnotes::store {

// A database file being built under a temporary name beside its target ("<target>.<purpose>-<random>"). It
// is held exclusively while it lives, so that the removal of stale temporary files (left by a process that
// was killed while building) never takes one that is still being built. Whatever was not put in place is
// removed on destruction.
class TempDatabaseFile {
public:
    TempDatabaseFile() = default;
    ~TempDatabaseFile();
    TempDatabaseFile(const TempDatabaseFile&) = delete;
    TempDatabaseFile& operator=(const TempDatabaseFile&) = delete;

    // Makes the empty file (and the target's folder), after removing the target's stale temporary files.
    STATUS Make(const std::string& target, const char* purpose);
    const std::string& Path() const { return path_; }

    // Puts the finished file (its connections closed) at target, which must not exist: ERR_DB_EXISTS.
    STATUS PlaceNew(const std::string& target);
    // Puts the finished file over target in one step (rename), after folding target's log into it so that
    // no stale log is left to spoil the new file. ERR_DB_IN_USE while any process has target open.
    STATUS PlaceOver(const std::string& target);

private:
    // Removes what was not put in place and lets go of the file.
    void Release();

    std::string path_;
    int fd_ = -1;
};

// Deletes the database file at fsPath and its log files; ERR_DB_IN_USE while any process has it open.
STATUS DeleteDatabaseFile(const std::string& fsPath);

// Removes temporary files beside target that their builders left behind (the builder is gone: nothing holds
// them), with their log files.
void RemoveStaleTemporaries(const std::string& target);

} // namespace nnotes::store
