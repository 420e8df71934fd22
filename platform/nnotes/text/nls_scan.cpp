// Word and line scans. Both kinds are defined by their starts: a word starts at a word character that does
// not follow one, a line at the start of the text and behind every line feed. Moving forward or backward is
// going to the nearest start on that side.
#include "nnotes/nnotes.h"
#include "process/process.h"
#include "text/nls_chars.h"

#include <unicode/uchar.h>

namespace nnotes {
namespace {

constexpr UChar32 kLineFeed = 10;

bool IsWordChar(int32_t c) {
    return c >= 0 && (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
}

// The start of the text behaves as if a line feed came before it: that starts a line and ends a word.
bool StartsWord(int32_t previous, int32_t c) {
    return IsWordChar(c) && !IsWordChar(previous);
}
bool StartsLine(int32_t previous, int32_t) {
    return previous == kLineFeed;
}

using StartTest = bool (*)(int32_t previous, int32_t c);

STATUS ScanForward(const char** text, uint16_t limit, const NLSInfo* info, StartTest startsHere) {
    if (const STATUS started = RequireProcess()) return started;
    if (text == nullptr || *text == nullptr || !nls::ValidInfo(info)) return ERR_NLS_BAD_ARGUMENT;
    if (limit == 0) return ERR_NLS_NOT_FOUND;
    nls::Char previous = nls::DecodeChar(*text, limit);
    for (uint32_t pos = previous.size; pos < limit;) {
        const nls::Char c = nls::DecodeChar(*text + pos, limit - pos);
        if (startsHere(previous.codePoint, c.codePoint)) {
            *text += pos;
            return NOERROR;
        }
        previous = c;
        pos += c.size;
    }
    return ERR_NLS_NOT_FOUND;
}

STATUS ScanBackward(const char** text, const char* start, const NLSInfo* info, StartTest startsHere) {
    if (const STATUS started = RequireProcess()) return started;
    if (text == nullptr || *text == nullptr || start == nullptr || *text < start || *text - start > 0xFFFF ||
        !nls::ValidInfo(info))
        return ERR_NLS_BAD_ARGUMENT;
    // Walks forward from the start, so that characters are cut exactly as every forward operation cuts them.
    const auto end = static_cast<uint32_t>(*text - start);
    const char* nearest = nullptr;
    int32_t previous = kLineFeed;
    for (uint32_t pos = 0; pos < end;) {
        const nls::Char c = nls::DecodeChar(start + pos, end - pos);
        if (startsHere(previous, c.codePoint)) nearest = start + pos;
        previous = c.codePoint;
        pos += c.size;
    }
    if (nearest == nullptr) return ERR_NLS_NOT_FOUND;
    *text = nearest;
    return NOERROR;
}

} // namespace

STATUS NLSNextWord(const char** text, uint16_t limit, const NLSInfo* info) {
    return ScanForward(text, limit, info, StartsWord);
}

STATUS NLSNextLine(const char** text, uint16_t limit, const NLSInfo* info) {
    return ScanForward(text, limit, info, StartsLine);
}

STATUS NLSPreviousWord(const char** text, const char* start, const NLSInfo* info) {
    return ScanBackward(text, start, info, StartsWord);
}

STATUS NLSPreviousLine(const char** text, const char* start, const NLSInfo* info) {
    return ScanBackward(text, start, info, StartsLine);
}

} // namespace nnotes
