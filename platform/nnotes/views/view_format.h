// A view's design as the collection needs it: its columns, which of them sort and categorise, and its
// selection formula, read from the view note's stored items.
#pragma once

#include "formula/formula_syntax.h"
#include "store/note_store.h"

#include <memory>
#include <string>
#include <vector>

namespace nnotes::views {

struct ViewColumn {
    uint16_t flags = 0;
    std::string itemName;
    std::string title;
    std::string formula; // compiled
    std::string constant;
    // Computed for each document when it is indexed: a formula column with an item name.
    std::shared_ptr<const formula::Program> program;

    bool Categorised() const { return (flags & VIEW_COLUMN_CATEGORY) != 0; }
    bool Sorted() const { return (flags & (VIEW_COLUMN_SORT | VIEW_COLUMN_CATEGORY)) != 0; }
    bool Descending() const { return (flags & VIEW_COLUMN_DESCENDING) != 0; }
    bool Totals() const { return (flags & VIEW_COLUMN_TOTAL) != 0; }
    bool InSummary() const { return !itemName.empty(); }
};

struct ViewDefinition {
    std::vector<ViewColumn> columns;
    std::shared_ptr<const formula::Program> selection; // null: every document
    // Columns of the sort key, in key order: the categorised ones, then the other sorted ones, each group
    // in column order. FindByKey matches its keys against them in the same order.
    std::vector<size_t> sortColumns;
    size_t categoryLevels = 0; // the first categoryLevels of sortColumns categorise
    bool hierarchy = false;    // a response column: responses sit under their parents
    bool totals = false;
};

// Reads the definition from a view note. ERR_NOT_A_VIEW for a note of another class, ERR_VIEW_FORMAT for a
// "$ViewFormat" that is missing or cannot be read whole, ERR_VIEW_FORMULA for a selection or column formula
// that does not load.
STATUS ReadViewDefinition(const store::StoredNote& note, ViewDefinition& out);

// The first stored item of that name (without regard to case), or null.
const store::StoredItem* FindStoredItem(const store::StoredNote& note, std::string_view name);

} // namespace nnotes::views
