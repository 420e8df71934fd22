// Text list layout checks.
#include "text/textlist_format.h"
#include "util/coding.h"

namespace nnotes {

uint16_t TextListLayout::LengthOf(uint16_t index) const {
    return util::DecodeFixed16(base + lengthsAt + 2u * index);
}

uint32_t TextListLayout::OffsetOf(uint16_t index) const {
    // At most 65535 lengths of at most 65535 bytes: the sum fits in 32 bits.
    uint32_t offset = EntriesAt();
    for (uint16_t i = 0; i < index; ++i)
        offset += LengthOf(i);
    return offset;
}

uint32_t TextListLayout::Size() const {
    const uint32_t size = OffsetOf(count);
    return size <= available ? size : 0;
}

STATUS OpenTextList(const void* list, uint32_t available, bool prefixDataType, TextListLayout* layout) {
    if (list == nullptr) return ERR_MISSING_ARGUMENT;
    const auto* base = static_cast<const unsigned char*>(list);
    const uint32_t headerSize = TextListHeaderSize(prefixDataType);
    if (available < headerSize) return ERR_TEXTLIST_DAMAGED;
    if (prefixDataType && util::DecodeFixed16(base) != kTextListType) return ERR_TEXTLIST_DAMAGED;
    layout->base = base;
    layout->available = available;
    layout->lengthsAt = headerSize;
    layout->count = util::DecodeFixed16(base + headerSize - 2);
    if (layout->EntriesAt() > available) return ERR_TEXTLIST_DAMAGED;
    return NOERROR;
}

} // namespace nnotes
