// Reading text lists in place, and copying them into a block of their own.
#include "memory/memory.h"
#include "text/textlist_format.h"

#include <cstring>

namespace nnotes {

STATUS GetTextListEntry(const void* list, uint32_t available, bool prefixDataType, uint16_t index,
                        const char** text, uint16_t* length) {
    if (text == nullptr || length == nullptr) return ERR_MISSING_ARGUMENT;
    TextListLayout layout;
    if (STATUS status = OpenTextList(list, available, prefixDataType, &layout)) return status;
    if (index >= layout.count) return ERR_TEXTLIST_INDEX;
    const uint32_t offset = layout.OffsetOf(index);
    const uint16_t entryLength = layout.LengthOf(index);
    if (offset > available || entryLength > available - offset) return ERR_TEXTLIST_DAMAGED;
    *text = reinterpret_cast<const char*>(layout.base + offset);
    *length = entryLength;
    return NOERROR;
}

STATUS CountTextListEntries(const void* list, uint32_t available, bool prefixDataType, uint16_t* count) {
    if (count == nullptr) return ERR_MISSING_ARGUMENT;
    TextListLayout layout;
    if (STATUS status = OpenTextList(list, available, prefixDataType, &layout)) return status;
    *count = layout.count;
    return NOERROR;
}

STATUS GetTextListSize(const void* list, uint32_t available, bool prefixDataType, uint16_t* size) {
    if (size == nullptr) return ERR_MISSING_ARGUMENT;
    TextListLayout layout;
    if (STATUS status = OpenTextList(list, available, prefixDataType, &layout)) return status;
    const uint32_t listSize = layout.Size();
    if (listSize == 0) return ERR_TEXTLIST_DAMAGED;
    if (listSize > kTextListMaxSize) return ERR_TEXTLIST_TOO_LARGE;
    *size = static_cast<uint16_t>(listSize);
    return NOERROR;
}

STATUS CopyTextList(const void* list, uint32_t available, bool prefixDataType, DHANDLE* copy,
                    uint16_t* size) {
    if (copy == nullptr) return ERR_MISSING_ARGUMENT;
    *copy = NULLHANDLE;
    uint16_t listSize = 0;
    if (STATUS status = GetTextListSize(list, available, prefixDataType, &listSize)) return status;
    DHANDLE handle = NULLHANDLE;
    if (STATUS status = AllocateBlock(0, listSize, &handle)) return status;
    uint32_t blockSize = 0;
    std::memcpy(PeekBlock(handle, &blockSize), list, listSize);
    *copy = handle;
    if (size != nullptr) *size = listSize;
    return NOERROR;
}

} // namespace nnotes
