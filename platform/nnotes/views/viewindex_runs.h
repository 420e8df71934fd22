// Sorting a view's rows into view order with bounded memory: in memory while they fit in one run, else
// sorted run by run into temporary files and merged.
#pragma once

#include "views/view_rows.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace nnotes::views {

// The bytes of rows sorted in memory at a time: a view of 100,000 documents sorts in one run.
constexpr size_t kRunBytes = 64u << 20;

class SortedRuns {
public:
    // Runs that do not fit in memory go to unnamed files in folder (the database's own, so that they lie on
    // the storage the database does), or the system's temporary folder where that cannot be.
    explicit SortedRuns(std::string folder, size_t runBytes = kRunBytes)
        : folder_(std::move(folder)), runBytes_(runBytes) {}
    SortedRuns(const SortedRuns&) = delete;
    SortedRuns& operator=(const SortedRuns&) = delete;
    ~SortedRuns();

    STATUS Add(ViewRow&& row);
    // Hands every row added to take, in view order (key, note, part); once.
    STATUS Merge(const std::function<STATUS(const ViewRow&)>& take);

private:
    // A row as a run keeps it: its fields packed one after another (see viewindex_runs.cpp), and for the
    // run's sort 16 bytes of its key (those that follow what the keys it is sorted among begin with).
    struct Entry {
        uint64_t prefix[2];
        const char* record;
    };

    // Space for a packed row in the run's blocks.
    char* Place(size_t size);
    // The run sorted in view order.
    void SortRun();
    // Sorts entries whose keys are all at least from bytes long and begin with the same from bytes.
    static void SortEntries(Entry* first, Entry* last, size_t from, int depth);
    STATUS Spill();

    std::string folder_;
    size_t runBytes_;
    // A run's rows lie packed in blocks that are kept from run to run; entries_ points at them.
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::vector<size_t> blockSizes_;
    size_t block_ = 0;     // the block being filled
    size_t blockUsed_ = 0; // its bytes taken
    std::vector<Entry> entries_;
    size_t bytes_ = 0;
    std::vector<std::FILE*> files_;
};

} // namespace nnotes::views
