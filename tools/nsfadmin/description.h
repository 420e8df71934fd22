// A database as its JSON description gives it (tools/nsfadmin/README.md), checked and with every item value
// already in its stored layout.
#pragma once

#include "item_values.h"
#include "json_tree.h"

#include <functional>
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

// A database's description but for its documents, which are read again, one at a time, as they are stored.
struct DatabaseDescription {
    std::string server, path, title;
    std::vector<ViewDescription> views;
    size_t documents = 0;
    std::vector<bool> answered; // by document position: another document is a response to it
};

// Reads a description and checks the whole of it, documents included, keeping no document; throws Failure
// "<sourceName>: <place>: <what is wrong>". Needs the store started (times are read by the store's own
// conversion).
DatabaseDescription ReadDescription(const JsonInput& input, const std::string& sourceName);
inline DatabaseDescription ReadDescription(std::string_view json, const std::string& sourceName) {
    return ReadDescription(JsonInput{json}, sourceName);
}

// Reads the documents of a description that ReadDescription took, handing each to onDocument and letting
// it go after; throws Failure as ReadDescription does.
void ReadDocuments(const JsonInput& input, const std::string& sourceName,
                   const std::function<void(DocumentDescription&& document, size_t index)>& onDocument);

} // namespace nsfadmin
