// The byte layouts of typed item values, checked before a value joins a note.
#pragma once

#include "nnotes/nnotes.h"

#include <optional>
#include <string_view>

namespace nnotes::store {

// NOERROR when the bytes after the type word match the layout of type (types without a fixed layout always
// match); ERR_ITEM_LAYOUT otherwise.
STATUS CheckLayout(uint16_t type, std::string_view data);

// The first universal id of a TYPE_NOTEREF_LIST value (type word first), if it has one.
std::optional<UNIVERSALID> FirstNoteRef(std::string_view value);

} // namespace nnotes::store
