// The index rows of one document in one view: whether the view selects it, and for each place it takes
// (one per combination of its category values) the sort key, the sort values and the entry's summary.
#pragma once

#include "views/view_format.h"

#include <optional>

namespace nnotes::views {

// The largest summary an entry keeps: with the entry's other fields it always fits one read buffer, so that
// every read gives at least one entry.
constexpr size_t kMaxSummary = MAXREADBUFFER - 64;

struct ViewRow {
    NOTEID note = 0;
    uint32_t part = 0;      // which combination of category values
    std::string key;        // sort key
    std::string sortValues; // item table of the sort columns' values (unnamed), in key order
    std::string summary;    // the document entry's summary item table
    UNIVERSALID unid{};
    std::optional<UNIVERSALID> parent; // set when the view shows this response under its parent
};

// The rows of a stored document (none when the view does not select it). A formula that fails for the
// document leaves it unselected, or its column empty: one document never stops the index.
STATUS RowsOfDocument(const ViewDefinition& view, const store::StoredNote& note, std::vector<ViewRow>& rows);

// The value of an item that a summary keeps: text, number and time values and their lists; others empty.
bool KeptInSummary(uint16_t type);

} // namespace nnotes::views
