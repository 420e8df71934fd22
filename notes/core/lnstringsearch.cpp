// Searches, positional moves and substrings of a string. None of them changes the text; not found is the
// warning LNWARN_NOT_FOUND.
#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "ln/lnstring.h"
#include "ln/lnstringtext.h"
#include "nnotes/nls.h"
#include "nnotes/status.h"

namespace {

// The checks that every search and move makes first; LNNOERROR when it may go on.
LNSTATUS CheckSearch(const LNString& string, uint32_t start, const uint32_t* position,
                     bool noPattern = false) {
    if (!LNIsAPIInitialized()) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    if (noPattern || position == nullptr || start > string.GetLength())
        return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (string.IsEmpty()) return LNWARN_NOT_FOUND;
    return LNNOERROR;
}

LNSTATUS NotesResult(nnotes::STATUS status) {
    if (nnotes::ERR(status) == nnotes::ERR_NLS_NOT_FOUND) return LNWARN_NOT_FOUND;
    return LNReturnOrThrowNotesStatus(status);
}

// Counts the characters between from and to into *count.
LNSTATUS CountChars(const char* from, const char* to, uint32_t* count) {
    uint16_t chars = 0;
    const nnotes::STATUS status =
        nnotes::NLSStringChars(from, static_cast<uint16_t>(to - from), &chars, lntext::NotesInfo());
    if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    *count = chars;
    return LNNOERROR;
}

LNSTATUS FindPlatformChar(const LNString& string, const char* character, uint32_t start, uint32_t* position) {
    if (!LNIsAPIInitialized()) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    return string.FindChar(LNString(character), start, position);
}

} // namespace

LNSTATUS LNString::Find(const LNString& pattern, uint32_t start, uint32_t* position) const {
    return Search(pattern, true, start, position);
}

LNSTATUS LNString::FindChar(const LNString& pattern, uint32_t start, uint32_t* position) const {
    return Search(pattern, false, start, position);
}

LNSTATUS LNString::FindChar(char c, uint32_t start, uint32_t* position) const {
    char character[4] = {};
    lntext::EncodeLatin1(c, character);
    return FindPlatformChar(*this, character, start, position);
}

LNSTATUS LNString::FindChar(char16_t c, uint32_t start, uint32_t* position) const {
    char character[4] = {};
    lntext::EncodeUnit(c, character);
    return FindPlatformChar(*this, character, start, position);
}

LNSTATUS LNString::Search(const LNString& pattern, bool wholePattern, uint32_t start,
                          uint32_t* position) const {
    if (const LNSTATUS status = CheckSearch(*this, start, position, pattern.IsEmpty())) return status;
    const uint32_t offset = Body()->GetByteOffset(start);
    const char* from = lntext::Chars(GetTextPtr()) + offset;
    const auto rest = static_cast<uint16_t>(GetByteLength() - offset);
    // A character search looks for the pattern's first character only.
    const uint32_t patternBytes = wholePattern ? pattern.GetByteLength() : pattern.Body()->GetCharSize(0);
    const char* found = nullptr;
    const nnotes::STATUS status =
        wholePattern
            ? nnotes::NLSFindSubstring(from, rest, lntext::Chars(pattern.GetTextPtr()),
                                       static_cast<uint16_t>(patternBytes), &found, lntext::NotesInfo())
            : nnotes::NLSFindCharacter(from, rest, lntext::Chars(pattern.GetTextPtr()),
                                       static_cast<uint16_t>(patternBytes), &found, lntext::NotesInfo());
    if (status != nnotes::NOERROR) return NotesResult(status);
    uint32_t chars = 0;
    if (const LNSTATUS counted = CountChars(from, found, &chars)) return counted;
    *position = start + chars;
    return LNNOERROR;
}

LNSTATUS LNString::ScanNextA(uint32_t start, uint32_t* position) const {
    return Move(true, true, start, position);
}

LNSTATUS LNString::ScanNextB(uint32_t start, uint32_t* position) const {
    return Move(true, false, start, position);
}

LNSTATUS LNString::ScanPreviousA(uint32_t start, uint32_t* position) const {
    return Move(false, true, start, position);
}

LNSTATUS LNString::ScanPreviousB(uint32_t start, uint32_t* position) const {
    return Move(false, false, start, position);
}

LNSTATUS LNString::Move(bool forward, bool words, uint32_t start, uint32_t* position) const {
    if (const LNSTATUS status = CheckSearch(*this, start, position)) return status;
    const char* text = lntext::Chars(GetTextPtr());
    const uint32_t offset = Body()->GetByteOffset(start);
    const char* from = text + offset;
    const char* to = from;
    const nnotes::NLSInfo* info = lntext::NotesInfo();
    const auto rest = static_cast<uint16_t>(GetByteLength() - offset);
    nnotes::STATUS status = nnotes::NOERROR;
    if (forward)
        status = words ? nnotes::NLSNextWord(&to, rest, info) : nnotes::NLSNextLine(&to, rest, info);
    else
        status = words ? nnotes::NLSPreviousWord(&to, text, info) : nnotes::NLSPreviousLine(&to, text, info);
    if (status != nnotes::NOERROR) return NotesResult(status);
    uint32_t chars = 0;
    if (forward) {
        if (const LNSTATUS counted = CountChars(from, to, &chars)) return counted;
        *position = start + chars;
    } else {
        if (const LNSTATUS counted = CountChars(text, to, &chars)) return counted;
        *position = chars;
    }
    return LNNOERROR;
}

LNSTATUS LNString::GetSubstring(uint32_t position, uint32_t count, LNString* target) const {
    if (!LNIsAPIInitialized()) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    const uint32_t length = GetLength();
    if (target == nullptr || count == 0 || position > length || count > length - position)
        return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    const uint32_t from = Body()->GetByteOffset(position);
    const uint32_t to = Body()->GetByteOffset(position + count);
    target->AssignBody(lntext::NewNotesBody(GetTextPtr() + from, to - from));
    return LNNOERROR;
}
