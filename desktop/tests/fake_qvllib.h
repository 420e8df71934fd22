// An in-memory stand-in of the data-access library's exports, so that the forms run without Notes: data
// sources with their columns, rows (note ids, categories in column 0) and keyword lookups, a call count per
// export and the UpdateDocument calls received. Any one call can be made to fail, as the real library answers
// when Notes refuses: 0 (-1 for DSOpen), a buffer left empty, a write-back that is not made.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fake {

struct Row {
    // One value per column; in a categorised source column 0 is the row's category.
    std::vector<std::string> values;
    int noteId = 0;
};

struct Source {
    std::string name;
    std::string mergeHistField;
    std::vector<std::string> headers;
    bool categorised = false;
    std::vector<Row> rows;
    // Lookup name → keyword values.
    std::map<std::string, std::vector<std::string>> keywords;
    // False: DSOpen fails for it.
    bool opens = true;
};

struct Update {
    std::string item;
    std::string value;
    int noteId;
    bool operator==(const Update&) const = default;
};

struct Library {
    bool libOpenSucceeds = true;
    std::vector<Source> sources;
    std::vector<Update> updates;
    // Calls per export name.
    std::map<std::string, int> calls;
    // Calls of every export so far, and the one of them (from 1) that fails; 0: none does.
    int callCount = 0;
    int failAt = 0;
    // The name of the export that failed, once one has.
    std::string failed;
    // UpdateDocument calls that failed (the library reports nothing), not in updates.
    std::vector<Update> lostUpdates;
    // Called with the row index after each row the walk reads.
    std::function<void(size_t)> onRowRead;
    // Called at each UpdateDocument, after it was recorded.
    std::function<void()> onUpdate;

    int open = -1;
    size_t row = 0;
    size_t categoryRow = 0;
    int keywordSource = -1;
    std::string keywordLookup;
    size_t keyword = 0;
};

// The one library the exports use.
Library& Lib();
// Empties it.
void Reset();

} // namespace fake
