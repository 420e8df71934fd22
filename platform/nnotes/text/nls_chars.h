// Character stepping over UTF-8 text, shared by the text and NLS operations so that all of them agree on
// where a character begins and ends, ill-formed bytes included.
#pragma once

#include "nnotes/nnotes.h"

#include <cstdint>

namespace nnotes::nls {

struct Char {
    int32_t codePoint; // negative for an ill-formed stretch
    uint16_t size;     // bytes taken, at least 1
};

// The character at the start of the available bytes (available > 0).
Char DecodeChar(const char* text, uint32_t available);

// Byte size of the character at text (available > 0).
inline uint16_t CharSize(const char* text, uint32_t available) {
    return DecodeChar(text, available).size;
}

// Common argument check of the operations that take an information block.
inline bool ValidInfo(const NLSInfo* info) {
    return info != nullptr;
}

} // namespace nnotes::nls
