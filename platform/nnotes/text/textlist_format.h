// Reading the layout of a text list: where its lengths and its entries lie, checked against the bytes that
// hold it.
#pragma once

#include "nnotes/nnotes.h"

#include <cstddef>
#include <cstdint>

namespace nnotes {

constexpr uint16_t kTextListType = 1281;
constexpr uint32_t kTextListMaxSize = 0xFFFF;

// The bytes in front of the first length word: the type word, if any, and the count.
constexpr uint32_t TextListHeaderSize(bool prefixDataType) {
    return prefixDataType ? 4 : 2;
}

// A text list read in place. Only the header and the length words are checked by OpenTextList; entry bytes
// are checked by whoever reaches them.
struct TextListLayout {
    const unsigned char* base = nullptr;
    uint32_t available = 0;
    uint32_t lengthsAt = 0; // offset of the first length word
    uint16_t count = 0;

    uint32_t EntriesAt() const { return lengthsAt + 2u * count; }
    uint16_t LengthOf(uint16_t index) const;
    // Offset of the entry's first byte (or of the list's end, for index == count).
    uint32_t OffsetOf(uint16_t index) const;
    // The list's size, or 0 when its entries run past the available bytes.
    uint32_t Size() const;
};

STATUS OpenTextList(const void* list, uint32_t available, bool prefixDataType, TextListLayout* layout);

} // namespace nnotes
