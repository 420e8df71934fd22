// The three phases of the store benchmark, done in rounds of a slice of the notes each: within a round both
// sides take each phase in turn (the order alternating from round to round), so that both meet the same
// machine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace bench {

constexpr int kItemsPerNote = 8;

// The text of item i of note n, and its replacement in the update phase.
std::string ItemText(int n, int i);
std::string UpdatedText(int n);

// One side of the comparison. Each phase works on notes [from, from + count) and returns false (with a
// message on stderr) when a call fails.
class Runner {
public:
    virtual ~Runner() = default;
    virtual bool Create(int from, int count) = 0; // notes of kItemsPerNote text items, one save each
    virtual bool Read(int from, int count) = 0;   // each note read back, every item touched
    virtual bool Update(int from, int count) = 0; // one item changed in each note, one save each
};

// The reference: plain SQLite statements on a file at path, with the store's durability and the tables and
// indexes the store needs.
std::unique_ptr<Runner> PlainSqliteRunner(const std::string& path);

} // namespace bench
