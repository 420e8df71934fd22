// Character and substring searches that only ever match at the start of a character.
#include "nnotes/nnotes.h"
#include "process/process.h"
#include "text/nls_chars.h"

#include <cstring>

namespace nnotes {
namespace {

bool SetHolds(const char* set, uint16_t setLength, const char* character, uint16_t size) {
    for (uint32_t pos = 0; pos < setLength;) {
        const uint16_t member = nls::CharSize(set + pos, setLength - pos);
        if (member == size && std::memcmp(set + pos, character, size) == 0) return true;
        pos += member;
    }
    return false;
}

// True when the bytes from pos to end form whole characters of text (a pattern that ends inside one of them
// is no match).
bool EndsOnBoundary(const char* text, uint16_t length, uint32_t pos, uint32_t end) {
    while (pos < end)
        pos += nls::CharSize(text + pos, length - pos);
    return pos == end;
}

bool BadSearchArguments(const char* text, uint16_t length, const char* pattern, uint16_t patternLength,
                        const char** found, const NLSInfo* info) {
    return found == nullptr || (text == nullptr && length > 0) || pattern == nullptr || patternLength == 0 ||
           !nls::ValidInfo(info);
}

} // namespace

STATUS NLSFindCharacter(const char* text, uint16_t length, const char* set, uint16_t setLength,
                        const char** found, const NLSInfo* info) {
    if (const STATUS started = RequireProcess()) return started;
    if (BadSearchArguments(text, length, set, setLength, found, info)) return ERR_NLS_BAD_ARGUMENT;
    *found = nullptr;
    for (uint32_t pos = 0; pos < length;) {
        const uint16_t size = nls::CharSize(text + pos, length - pos);
        if (SetHolds(set, setLength, text + pos, size)) {
            *found = text + pos;
            return NOERROR;
        }
        pos += size;
    }
    return ERR_NLS_NOT_FOUND;
}

STATUS NLSFindSubstring(const char* text, uint16_t length, const char* pattern, uint16_t patternLength,
                        const char** found, const NLSInfo* info) {
    if (const STATUS started = RequireProcess()) return started;
    if (BadSearchArguments(text, length, pattern, patternLength, found, info)) return ERR_NLS_BAD_ARGUMENT;
    *found = nullptr;
    for (uint32_t pos = 0; pos + patternLength <= length; pos += nls::CharSize(text + pos, length - pos)) {
        if (std::memcmp(text + pos, pattern, patternLength) == 0 &&
            EndsOnBoundary(text, length, pos, pos + patternLength)) {
            *found = text + pos;
            return NOERROR;
        }
    }
    return ERR_NLS_NOT_FOUND;
}

} // namespace nnotes
