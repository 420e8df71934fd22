#include "text/nls_chars.h"

#include <unicode/utf8.h>

namespace nnotes::nls {

Char DecodeChar(const char* text, uint32_t available) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    const int32_t length = available > 4 ? 4 : static_cast<int32_t>(available);
    int32_t i = 0;
    UChar32 c = 0;
    // Advances over one well-formed sequence or over one maximal ill-formed subpart.
    U8_NEXT(bytes, i, length, c);
    return Char{c, static_cast<uint16_t>(i)};
}

} // namespace nnotes::nls
