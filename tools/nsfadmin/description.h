// A database as its JSON description gives it (tools/nsfadmin/README.md), checked and with every item value
// already in its stored layout.
#pragma once

#include "item_values.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nsfadmin {

struct ColumnDescription {
    std::string title, item, formula, constant;
    bool sorted = false, descending = false, categorised = false, hidden = false, response = false,
         totals = false;
};

struct ViewDescription {
    std::string name, alias, selection;
    std::vector<ColumnDescription> columns; // never empty
    std::string place;                      // where in the file it was described
};

struct NamedValue {
    std::string name;
    ItemValue value;
};

struct DocumentDescription {
    std::vector<NamedValue> items;
    std::optional<size_t> parent; // index of an earlier document
    std::string place;
};

struct DatabaseDescription {
    std::string server, path, title;
    std::vector<ViewDescription> views;
    std::vector<DocumentDescription> documents;
};

// Reads a description; throws Failure "<sourceName>: <place>: <what is wrong>". Needs the store started
// (times are read by the store's own conversion).
DatabaseDescription ReadDescription(std::string_view json, const std::string& sourceName);

} // namespace nsfadmin
