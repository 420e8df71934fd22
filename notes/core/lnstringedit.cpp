// Changes of a string body's text. Each checks its range and the length limit before it touches the text, so
// a refused change leaves the text as it was.
#include "ln/lnerrors.h"
#include "ln/lnstring.h"
#include "ln/lnstringtext.h"

#include <cstring>
#include <functional>
#include <string>

namespace {

bool TooLong(uint64_t bytes) {
    return bytes > LNSTRING_MAX_BYTES;
}

} // namespace

LNSTATUS LNStringBody::Append(const LNUCHAR* text, uint32_t length) {
    if (text == nullptr || length == 0) return LNNOERROR;
    if (TooLong(uint64_t{ByteLength} + length)) return LNERR_STRING_TOO_LONG;
    // The new buffer is filled before the old one goes: text may be this body's own.
    LNUCHAR* joined = lntext::AllocText(size_t{ByteLength} + length + 1);
    if (ByteLength > 0) std::memcpy(joined, NotesText, ByteLength);
    std::memcpy(joined + ByteLength, text, length);
    joined[ByteLength + length] = '\0';
    Adopt(joined);
    return LNNOERROR;
}

LNSTATUS LNStringBody::Delete(uint32_t position, uint32_t count) {
    const uint32_t length = GetLength();
    if (count == 0 || position > length || count > length - position) return LNERR_INVALID_PARAMETER;
    const uint32_t start = GetByteOffset(position);
    const uint32_t end = GetByteOffset(position + count);
    std::memmove(NotesText + start, NotesText + end, ByteLength - end + 1);
    ResetCaches();
    return LNNOERROR;
}

LNSTATUS LNStringBody::Insert(uint32_t position, const LNUCHAR* text, uint32_t length) {
    if (text == nullptr || length == 0 || position > GetLength()) return LNERR_INVALID_PARAMETER;
    if (TooLong(uint64_t{ByteLength} + length)) return LNERR_STRING_TOO_LONG;
    const uint32_t at = GetByteOffset(position);
    LNUCHAR* joined = lntext::AllocText(size_t{ByteLength} + length + 1);
    if (at > 0) std::memcpy(joined, NotesText, at);
    std::memcpy(joined + at, text, length);
    if (ByteLength > at) std::memcpy(joined + at + length, NotesText + at, ByteLength - at);
    joined[ByteLength + length] = '\0';
    Adopt(joined);
    return LNNOERROR;
}

LNSTATUS LNStringBody::Replace(uint32_t position, uint32_t count, const LNUCHAR* text) {
    const uint32_t length = GetLength();
    if (text == nullptr || count == 0 || position >= length || count > length - position)
        return LNERR_INVALID_PARAMETER;
    const uint32_t start = GetByteOffset(position);
    const uint32_t end = GetByteOffset(position + count);
    const uint32_t removed = end - start;
    const size_t added = std::strlen(lntext::Chars(text));
    if (TooLong(uint64_t{ByteLength} - removed + added)) return LNERR_STRING_TOO_LONG;
    // A replacement taken from this very text would be overwritten while it is copied.
    std::string own;
    const std::less_equal<const LNUCHAR*> notAfter;
    if (NotesText != nullptr && notAfter(NotesText, text) && notAfter(text, NotesText + ByteLength)) {
        own.assign(lntext::Chars(text), added);
        text = reinterpret_cast<const LNUCHAR*>(own.data());
    }
    if (added > removed) {
        LNUCHAR* grown = lntext::AllocText(ByteLength - removed + added + 1);
        std::memcpy(grown, NotesText, start);
        std::memcpy(grown + start, text, added);
        std::memcpy(grown + start + added, NotesText + end, ByteLength - end + 1);
        Adopt(grown);
        return LNNOERROR;
    }
    std::memcpy(NotesText + start, text, added);
    if (added < removed) std::memmove(NotesText + start + added, NotesText + end, ByteLength - end + 1);
    ResetCaches();
    return LNNOERROR;
}

LNSTATUS LNStringBody::Translate(uint16_t mode) {
    lntext::RequireAPI();
    if (ByteLength == 0) return LNNOERROR;
    char* translated = nullptr;
    try {
        translated = lntext::TranslateCopy(mode, lntext::Chars(NotesText), ByteLength);
    } catch (LNSTATUS status) {
        // Running out of memory is thrown like every allocation failure; the rest is the change's status.
        if (status == LNERR_NO_MEMORY) throw;
        return status;
    }
    Adopt(reinterpret_cast<LNUCHAR*>(translated));
    return LNNOERROR;
}
