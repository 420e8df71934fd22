// Sorting a view's rows into view order with bounded memory: in memory while they fit in one run, else
// sorted run by run into temporary files and merged.
#pragma once

#include "view_rows.h"

#include <cstdio>
#include <functional>
#include <vector>

namespace nnotes::views {

// The bytes of rows sorted in memory at a time.
constexpr size_t kRunBytes = 16u << 20;

class SortedRuns {
public:
    explicit SortedRuns(size_t runBytes = kRunBytes) : runBytes_(runBytes) {}
    SortedRuns(const SortedRuns&) = delete;
    SortedRuns& operator=(const SortedRuns&) = delete;
    ~SortedRuns();

    STATUS Add(ViewRow&& row);
    // Hands every row added to take, in view order (key, note, part); once.
    STATUS Merge(const std::function<STATUS(const ViewRow&)>& take);

private:
    STATUS Spill();

    size_t runBytes_;
    std::vector<ViewRow> run_;
    size_t bytes_ = 0;
    std::vector<std::FILE*> files_;
};

} // namespace nnotes::views
