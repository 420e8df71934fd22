// The forms in which a full-text search hands its hits over.
#pragma once

#include "ft_search.h"

namespace nnotes::fulltext {

// A new result block (see FT_RESULTS_SCORES in nnotes.h) of the hits in order, with their scores if asked.
STATUS MakeResultBlock(const std::vector<Hit>& hits, bool scores, DHANDLE* block);

// A new ID table of the hits.
STATUS MakeHitTable(const std::vector<Hit>& hits, DHANDLE* table);

// Makes the hits the collection's hit list; *kept gets the number the collection shows.
STATUS AttachToCollection(HCOLLECTION collection, const std::vector<Hit>& hits, bool scores, uint32_t* kept);

} // namespace nnotes::fulltext
