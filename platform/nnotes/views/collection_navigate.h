// Moving through an open collection's entries by navigation code.
#pragma once

#include "views/collection_data.h"

namespace nnotes::views {

// Where a position points: at an entry, or (exists false) at the place before entry index (index may be
// the entry count: after the last entry).
struct Cursor {
    uint32_t index = 0;
    bool exists = false;
};

struct MoveRules {
    uint16_t code = NAVIGATE_CURRENT; // without level flags
    bool minLevel = false, maxLevel = false;
    uint8_t min = 0, max = MAXTUMBLERLEVELS - 1;
    uint32_t anchor = kNoEntry; // NAVIGATE_NEXT_DESCENDANT stays below it
};

Cursor Locate(CollectionData& d, const CollectionPosition& position);
// Writes the path of entry index into position, keeping its MinLevel and MaxLevel.
void PositionOf(const CollectionData& d, uint32_t index, CollectionPosition& position);

// Moves the cursor once; false (and the cursor as it was) when there is nowhere to go.
bool Move(CollectionData& d, const MoveRules& rules, Cursor& cursor);

// Codes whose second move goes nowhere new: a skip by them counts once.
bool StaysPut(uint16_t code);

// Codes this library knows (without flags).
bool KnownCode(uint16_t code);

} // namespace nnotes::views
