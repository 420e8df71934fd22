// The three phases of the store benchmark. The store and the reference run them in turn, phase by phase, so
// that both meet the same disk and system load.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace bench {

constexpr int kItemsPerNote = 8;

// The text of item i of note n, and its replacement in the update phase.
std::string ItemText(int n, int i);
std::string UpdatedText(int n);

// One side of the comparison. Each phase returns false (with a message on stderr) when a call fails.
class Runner {
public:
    virtual ~Runner() = default;
    virtual bool Create(int notes) = 0; // notes notes of kItemsPerNote text items, one save each
    virtual bool Read() = 0;            // every note read back, every item touched
    virtual bool Update() = 0;          // one item changed in each note, one save each
};

// The reference: plain SQLite statements on a file at path, with the store's durability.
std::unique_ptr<Runner> PlainSqliteRunner(const std::string& path);

} // namespace bench
