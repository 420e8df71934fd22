// What of a document a view's rows are made from, so that a save that changes none of it leaves the view's
// stored rows alone without making them again.
#pragma once

#include "views/view_format.h"

#include <string>
#include <vector>

namespace nnotes::views {

struct ViewReads {
    // The rows may differ at every save whatever it changes (the view reads the time of the save or the
    // present moment).
    bool everySave = false;
    // Names of the items the rows can read, lower-cased (formulas also name their temporaries: a few
    // names too many only make the view pass run for nothing).
    std::vector<std::string> items;
};

ViewReads ReadsOf(const ViewDefinition& view);

// Whether a save that added, removed or changed only the items of these names (and left the note's class
// and identity as they were) can change the view's rows.
bool SaveCanChangeRows(const ViewReads& reads, const std::vector<std::string>& changedItems);

} // namespace nnotes::views
