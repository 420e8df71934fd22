// How each on-disk structure type maps onto its host form: a list of little-endian integer fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace nnotes {

struct OdsField {
    uint16_t hostOffset;
    uint8_t width; // 1, 2 or 4 bytes
    uint8_t count; // consecutive elements of an array field
};

struct OdsLayout {
    uint16_t type;
    uint16_t hostSize;
    uint16_t diskSize;
    std::span<const OdsField> fields;
};

// The layout of a structure type; null for an unknown type.
const OdsLayout* FindOdsLayout(uint16_t type);

} // namespace nnotes
