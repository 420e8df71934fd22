// The forms in which a full-text search hands its hits over.
#pragma once

#include "fulltext/ft_search.h"

namespace nnotes::fulltext {

// A new result block (see FT_RESULTS_SCORES in nnotes.h) of the hits in order, with their scores if asked.
STATUS MakeResultBlock(const std::vector<Hit>& hits, bool scores, DHANDLE* block);

// A new ID table of the hits.
STATUS MakeHitTable(const std::vector<Hit>& hits, DHANDLE* table);

// Keeps the hits that the collection shows.
STATUS KeepShownHits(HCOLLECTION collection, std::vector<Hit>& hits);

// Makes the hits the collection's hit list, in their order. With shown, KeepShownHits has kept them: the rows
// it found for them are kept rather than read again.
STATUS AttachToCollection(HCOLLECTION collection, const std::vector<Hit>& hits, bool scores, bool shown);

} // namespace nnotes::fulltext
