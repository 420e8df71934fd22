// The three phases of the store benchmark, each timed over the same number of notes.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

constexpr int kItemsPerNote = 8;

// The text of item i of note n, and its replacement in the update phase.
std::string ItemText(int n, int i);
std::string UpdatedText(int n);

// Seconds taken by each phase.
struct PhaseTimes {
    double create = 0;
    double read = 0;
    double update = 0;
};

// The same work with plain SQLite statements on a file at path. Returns false (with a message on stderr)
// when a statement fails.
bool RunPlainSqlite(const std::string& path, int notes, PhaseTimes& times);

} // namespace bench
