// Editing text lists that sit in a block of their own. Blocks never move, so the edits shift bytes in place
// after a resize.
#include "memory/memory.h"
#include "process/process.h"
#include "text/textlist_format.h"
#include "util/coding.h"

#include <cstring>
#include <string>

namespace nnotes {
namespace {

struct BlockList {
    unsigned char* base = nullptr;
    TextListLayout layout;
    uint32_t size = 0; // the list's size, at most the block's
};

STATUS OpenBlockList(DHANDLE handle, bool prefixDataType, BlockList* list) {
    if (STATUS status = RequireProcess()) return status;
    uint32_t blockSize = 0;
    list->base = reinterpret_cast<unsigned char*>(PeekBlock(handle, &blockSize));
    if (list->base == nullptr) return ERR_BAD_HANDLE;
    if (STATUS status = OpenTextList(list->base, blockSize, prefixDataType, &list->layout)) return status;
    list->size = list->layout.Size();
    return list->size == 0 ? ERR_TEXTLIST_DAMAGED : NOERROR;
}

STATUS Finish(DHANDLE handle, uint32_t newSize, uint16_t* size) {
    if (STATUS status = ResizeBlock(handle, newSize)) return status;
    if (size != nullptr) *size = static_cast<uint16_t>(newSize);
    return NOERROR;
}

} // namespace

STATUS NewTextList(bool prefixDataType, DHANDLE* handle, uint16_t* size) {
    if (handle == nullptr) return ERR_MISSING_ARGUMENT;
    const uint32_t listSize = TextListHeaderSize(prefixDataType);
    if (STATUS status = AllocateBlock(0, listSize, handle)) return status;
    if (prefixDataType) {
        uint32_t blockSize = 0;
        util::EncodeFixed16(reinterpret_cast<unsigned char*>(PeekBlock(*handle, &blockSize)), kTextListType);
    }
    if (size != nullptr) *size = static_cast<uint16_t>(listSize);
    return NOERROR;
}

STATUS InsertTextListEntry(DHANDLE handle, bool prefixDataType, uint16_t index, const char* text,
                           uint16_t length, uint16_t* size) {
    if (text == nullptr && length > 0) return ERR_MISSING_ARGUMENT;
    BlockList list;
    if (STATUS status = OpenBlockList(handle, prefixDataType, &list)) return status;
    const TextListLayout& layout = list.layout;
    if (index > layout.count) return ERR_TEXTLIST_INDEX;
    const uint32_t newSize = list.size + 2 + length;
    // Every entry takes a length word, so the byte limit is reached long before the 16-bit count could wrap.
    if (newSize > kTextListMaxSize) return ERR_TEXTLIST_TOO_LARGE;

    const std::string entry(text == nullptr ? "" : text, length); // the text may lie in this very list
    const uint32_t at = layout.OffsetOf(index);
    const uint32_t lengthAt = layout.lengthsAt + 2u * index;
    const uint32_t entriesAt = layout.EntriesAt();
    const uint16_t count = layout.count;
    if (STATUS status = ResizeBlock(handle, newSize)) return status;
    unsigned char* base = list.base;
    std::memmove(base + at + 2 + length, base + at, list.size - at);
    std::memmove(base + entriesAt + 2, base + entriesAt, at - entriesAt);
    std::memmove(base + lengthAt + 2, base + lengthAt, entriesAt - lengthAt);
    util::EncodeFixed16(base + lengthAt, length);
    std::memcpy(base + at + 2, entry.data(), length);
    util::EncodeFixed16(base + layout.lengthsAt - 2, static_cast<uint16_t>(count + 1));
    if (size != nullptr) *size = static_cast<uint16_t>(newSize);
    return NOERROR;
}

STATUS RemoveTextListEntry(DHANDLE handle, bool prefixDataType, uint16_t index, uint16_t* size) {
    BlockList list;
    if (STATUS status = OpenBlockList(handle, prefixDataType, &list)) return status;
    const TextListLayout& layout = list.layout;
    if (index >= layout.count) return ERR_TEXTLIST_INDEX;
    const uint32_t at = layout.OffsetOf(index);
    const uint16_t length = layout.LengthOf(index);
    const uint32_t lengthAt = layout.lengthsAt + 2u * index;
    const uint32_t entriesAt = layout.EntriesAt();
    unsigned char* base = list.base;
    std::memmove(base + lengthAt, base + lengthAt + 2, entriesAt - lengthAt - 2);
    std::memmove(base + entriesAt - 2, base + entriesAt, at - entriesAt);
    std::memmove(base + at - 2, base + at + length, list.size - at - length);
    util::EncodeFixed16(base + layout.lengthsAt - 2, static_cast<uint16_t>(layout.count - 1));
    return Finish(handle, list.size - 2 - length, size);
}

STATUS ClearTextList(DHANDLE handle, bool prefixDataType, uint16_t* size) {
    BlockList list;
    if (STATUS status = OpenBlockList(handle, prefixDataType, &list)) return status;
    util::EncodeFixed16(list.base + list.layout.lengthsAt - 2, 0);
    return Finish(handle, TextListHeaderSize(prefixDataType), size);
}

} // namespace nnotes
