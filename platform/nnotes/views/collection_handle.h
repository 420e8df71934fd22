// Open collections and their handles.
#pragma once

#include "views/collection_data.h"

#include <mutex>

namespace nnotes::views {

struct Collection {
    std::mutex lock; // one reader or refresh at a time
    DBHANDLE viewDb = 0, dataDb = 0;
    NOTEID viewId = 0;
    std::shared_ptr<CollectionData> data;
    // What the entries were made from, to tell whether UpdateCollection has work to do: the view note's
    // originator id and the stored index's change count (-1 when the entries were made in memory).
    std::string stamp;
    int64_t changes = -1;
    std::vector<std::pair<NOTEID, uint16_t>> hitNotes; // as attached, restricted to the view
    std::vector<std::pair<uint32_t, uint16_t>> hits;   // entry index and score, in hit order
};

// The open collection of a handle, or ERR_COLLECTION_HANDLE (ERR_NOT_INITIALIZED before the library is
// started).
STATUS CollectionOf(HCOLLECTION handle, std::shared_ptr<Collection>& out);

// Resolves the collection's hit notes to its present entries.
void ResolveHits(Collection& c);

} // namespace nnotes::views
