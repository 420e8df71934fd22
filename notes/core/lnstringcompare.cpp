#include "ln/lnstringcompare.h"

#include "ln/lnerrors.h"
#include "ln/lnstringtext.h"
#include "nnotes/nls.h"

#include <cstring>

namespace {

constexpr uint32_t kMaxFlags = nnotes::COMPARE_IGNORE_CASE | nnotes::COMPARE_IGNORE_ACCENTS;

void CheckCompare(uint32_t flags) {
    lntext::RequireAPI();
    if (flags > kMaxFlags) throw LNERR_INVALID_PARAMETER;
}

int Collate(const char* a, size_t aLength, const char* b, size_t bLength, uint32_t flags) {
    if (aLength > LNSTRING_MAX_BYTES || bLength > LNSTRING_MAX_BYTES) throw LNERR_STRING_TOO_LONG;
    int result = 0;
    lntext::ThrowIfFailed(nnotes::CompareText(a, static_cast<uint16_t>(aLength), b,
                                              static_cast<uint16_t>(bLength), static_cast<uint16_t>(flags),
                                              &result));
    return result;
}

// The Notes form of one platform character, taken as Latin-1.
struct NotesChar {
    explicit NotesChar(char c) {
        char platform[3];
        length = lntext::Translate(nnotes::TRANSLATE_PLATFORM_TO_NOTES, platform,
                                   lntext::EncodeLatin1(c, platform), text);
    }
    char text[3 * 3];
    uint32_t length;
};

} // namespace

int LNStringCompare(const char* a, const char* b, uint32_t flags) {
    CheckCompare(flags);
    if (a == nullptr) a = "";
    if (b == nullptr) b = "";
    return Collate(a, std::strlen(a), b, std::strlen(b), flags);
}

int LNStringCompare(const LNString& a, const LNString& b, uint32_t flags) {
    CheckCompare(flags);
    return Collate(lntext::Chars(a.GetTextPtr()), a.GetByteLength(), lntext::Chars(b.GetTextPtr()),
                   b.GetByteLength(), flags);
}

int LNStringCompare(char a, char b, uint32_t flags) {
    CheckCompare(flags);
    const NotesChar first(a), second(b);
    return Collate(first.text, first.length, second.text, second.length, flags);
}

int LNStringCompare(const LNChar& a, char b, uint32_t flags) {
    CheckCompare(flags);
    uint32_t size = 0;
    const char* bytes = a.Bytes(&size);
    const NotesChar second(b);
    return Collate(bytes, size, second.text, second.length, flags);
}

int LNStringCompare(const LNChar& a, const LNChar& b, uint32_t flags) {
    CheckCompare(flags);
    uint32_t aSize = 0, bSize = 0;
    const char* aBytes = a.Bytes(&aSize);
    const char* bBytes = b.Bytes(&bSize);
    return Collate(aBytes, aSize, bBytes, bSize, flags);
}

bool operator==(const LNString& string, const char* text) {
    return LNStringCompare(string, LNString(text), 0) == 0;
}
