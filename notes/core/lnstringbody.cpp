// The string body: its text, the caches over it, and the walk from character positions to byte offsets.
#include "ln/lnerrors.h"
#include "ln/lnstring.h"
#include "ln/lnstringtext.h"
#include "nnotes/nls.h"
#include "nnotes/status.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

LNStringBody::LNStringBody(const LNStringBody& other) : LNBody(other) {
    if (other.NotesText == nullptr) return;
    LNUCHAR* text = lntext::AllocText(size_t{other.ByteLength} + 1);
    std::memcpy(text, other.NotesText, size_t{other.ByteLength} + 1);
    Adopt(text);
}

LNStringBody::~LNStringBody() {
    std::free(PlatformText);
    std::free(NotesText);
}

void LNStringBody::SetPlatformText(const char* text, size_t length) {
    if (text == nullptr || length == 0) {
        Adopt(nullptr);
        return;
    }
    lntext::RequireAPI();
    if (length > LNSTRING_MAX_BYTES) throw LNERR_STRING_TOO_LONG;
    Adopt(reinterpret_cast<LNUCHAR*>(
        lntext::TranslateCopy(nnotes::TRANSLATE_PLATFORM_TO_NOTES, text, static_cast<uint32_t>(length))));
}

void LNStringBody::SetNotesText(const LNUCHAR* text, size_t length) {
    if (text == nullptr) {
        Adopt(nullptr);
        return;
    }
    if (length > LNSTRING_MAX_BYTES) throw LNERR_STRING_TOO_LONG;
    LNUCHAR* copy = lntext::AllocText(length + 1);
    std::memcpy(copy, text, length);
    std::replace(copy, copy + length, LNUCHAR{'\0'}, LNUCHAR{'\n'});
    copy[length] = '\0';
    Adopt(copy);
}

const LNUCHAR* LNStringBody::GetTextPtr() const {
    static const LNUCHAR kEmpty[1] = {0};
    return NotesText != nullptr ? NotesText : kEmpty;
}

const char* LNStringBody::GetPlatformTextPtr() {
    lntext::RequireAPI();
    if (PlatformText != nullptr) return PlatformText;
    if (ByteLength == 0) return "";
    PlatformText =
        lntext::TranslateCopy(nnotes::TRANSLATE_NOTES_TO_PLATFORM, lntext::Chars(NotesText), ByteLength);
    return PlatformText;
}

uint32_t LNStringBody::GetLength() {
    lntext::RequireAPI();
    if (CharCount == 0 && ByteLength > 0) {
        uint16_t chars = 0;
        if (nnotes::NLSStringChars(lntext::Chars(NotesText), static_cast<uint16_t>(ByteLength), &chars,
                                   lntext::NotesInfo()) != nnotes::NOERROR)
            throw LNERR_STRING_SIZE;
        CharCount = chars;
    }
    return CharCount;
}

uint32_t LNStringBody::GetByteOffset(uint32_t index) {
    lntext::RequireAPI();
    if (index == 0) return 0;
    if (index == CachedCharIndex) return CachedByteOffset;
    // Stepping only runs forwards.
    if (index < CachedCharIndex) CachedCharIndex = CachedByteOffset = 0;
    const nnotes::NLSInfo* info = lntext::NotesInfo();
    while (CachedCharIndex < index) {
        const char* p = lntext::Chars(NotesText) + CachedByteOffset;
        uint16_t stepped = 0;
        if (nnotes::NLSStepCharacter(&p, static_cast<uint16_t>(ByteLength - CachedByteOffset), &stepped,
                                     info) != nnotes::NOERROR ||
            stepped == 0)
            throw LNERR_NO_MATCH;
        CachedByteOffset += stepped;
        ++CachedCharIndex;
    }
    return CachedByteOffset;
}

uint32_t LNStringBody::GetCharSize(uint32_t index) {
    const uint32_t offset = GetByteOffset(index);
    const char* p = lntext::Chars(GetTextPtr()) + offset;
    uint16_t stepped = 0;
    nnotes::NLSStepCharacter(&p, static_cast<uint16_t>(ByteLength - offset), &stepped, lntext::NotesInfo());
    return stepped;
}

void LNStringBody::ResetCaches() {
    ByteLength = NotesText != nullptr ? static_cast<uint32_t>(std::strlen(lntext::Chars(NotesText))) : 0;
    std::free(PlatformText);
    PlatformText = nullptr;
    CharCount = 0;
    CachedByteOffset = CachedCharIndex = 0;
}

void LNStringBody::Adopt(LNUCHAR* text) {
    if (text != NotesText) std::free(NotesText);
    NotesText = text;
    ResetCaches();
}
