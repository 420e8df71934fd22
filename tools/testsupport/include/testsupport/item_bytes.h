// What the store holds for the items of an open note, byte for byte, for tests that check stored values.
#pragma once

#include "nnotes/note.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// One item's value as FindItemByName gives it.
struct ItemBytes {
    uint16_t type = 0;
    std::string value; // the type word, then the data
};

// Every item called name of an open note (an empty name: every item), in item order; none when it has no
// such item.
std::vector<ItemBytes> ReadItems(nnotes::NOTEHANDLE note, std::string_view name);

// The first item called name; nullopt when there is none.
std::optional<ItemBytes> ReadItem(nnotes::NOTEHANDLE note, std::string_view name);

} // namespace testsupport
