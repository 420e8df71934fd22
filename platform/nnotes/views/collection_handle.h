// Open collections and their handles.
#pragma once

#include "views/collection_data.h"

#include <mutex>

namespace nnotes::views {

// One hit as the collection shows it: the first of its document's rows in view order. A collection that
// reads its rows on demand knows a hit by where its stored row stands, reads the row when a read reaches
// it, and places the hit among its entries only when a read asks for what only they know (its peers,
// children and descendants).
struct Hit {
    NOTEID note = 0;
    uint16_t score = 0;
    uint32_t part = 0;
    uint32_t entry = kNoEntry;             // its document entry, once placed
    uint32_t keyOffset = 0, keyLength = 0; // its row's key, in hitKeys
};

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
    std::vector<Hit> hits;                             // in hit order
    std::string hitKeys;
    bool hitsPlaced = false; // every hit's entry is known, or known to be missing
    // The summaries of the hits last read, from hit window on.
    size_t window = 0;
    std::vector<std::string> windowRows;
};

// The open collection of a handle, or ERR_COLLECTION_HANDLE (ERR_NOT_INITIALIZED before the library is
// started).
STATUS CollectionOf(HCOLLECTION handle, std::shared_ptr<Collection>& out);

// Resolves the collection's hit notes to the rows it shows: through the stored index's rows of each note
// when the collection reads its rows on demand (the rest of the view is not read), else to its entries.
void ResolveHits(Collection& c);

// Appends what mask asks of hit (0-based, in hit order) to out, as a read of the entries would.
void AppendHit(Collection& c, size_t hit, uint32_t mask, std::string& out);

// Appends what mask asks of entry index to out, in the order of the read mask's fields; score is what a
// score field holds (0 outside a hit list).
void AppendEntry(CollectionData& d, uint32_t index, uint32_t mask, uint16_t score, std::string& out);

} // namespace nnotes::views
