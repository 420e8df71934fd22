// What other areas of the library hand to an open collection: the hits of a full-text search, which the
// navigation codes NAVIGATE_NEXT_HIT and NAVIGATE_CURRENT_HIT walk and READ_MASK_SCORE reads.
#pragma once

#include "nnotes/nnotes.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace nnotes {

// Replaces the collection's hit list by the documents of hitsInOrder (note id, score) that the collection
// shows, in the given order; a document named twice counts once. *kept (may be null) gets their number,
// which is the entry count of the hit navigation.
STATUS AttachHitList(HCOLLECTION collection, const std::vector<std::pair<NOTEID, uint16_t>>& hitsInOrder,
                     uint32_t* kept);

// Replaces the hit list by hitsInOrder, documents of the present hit list, keeping the rows read for them:
// the second step of a search that first asked which of its documents the collection shows. A document
// the present list does not hold makes it AttachHitList.
STATUS NarrowHitList(HCOLLECTION collection, const std::vector<std::pair<NOTEID, uint16_t>>& hitsInOrder,
                     uint32_t* kept);

// Drops the collection's hit list; the hit navigation then finds nothing.
STATUS ClearHitList(HCOLLECTION collection);

} // namespace nnotes
