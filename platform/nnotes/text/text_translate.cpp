// TranslateText: the moves between the two character sets and the foldings, one character at a time.
#include "nnotes/nnotes.h"
#include "process/process.h"
#include "text/nls_chars.h"

#include <algorithm>
#include <cstring>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace nnotes {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD

// The base letter of a character whose canonical decomposition is that letter followed only by
// non-spacing marks; any other character stays as it is, so that the character count never changes.
UChar32 StripAccents(UChar32 c) {
    UErrorCode err = U_ZERO_ERROR;
    const UNormalizer2* nfd = unorm2_getNFDInstance(&err);
    if (U_FAILURE(err)) return c;
    UChar decomposition[32];
    const int32_t n = unorm2_getDecomposition(nfd, c, decomposition, 32, &err);
    if (U_FAILURE(err) || n <= 0) return c;
    int32_t i = 0;
    UChar32 base = 0;
    U16_NEXT(decomposition, i, n, base);
    while (i < n) {
        UChar32 mark = 0;
        U16_NEXT(decomposition, i, n, mark);
        if (u_charType(mark) != U_NON_SPACING_MARK) return c;
    }
    return base;
}

UChar32 Fold(uint16_t mode, UChar32 c) {
    switch (mode) {
    case TRANSLATE_UPPER_CASE:
        return u_toupper(c);
    case TRANSLATE_FOLD_CASE:
        return u_foldCase(c, U_FOLD_CASE_DEFAULT);
    case TRANSLATE_STRIP_ACCENTS:
        return StripAccents(c);
    default:
        return c;
    }
}

bool IsKnownMode(uint16_t mode) {
    return mode == TRANSLATE_PLATFORM_TO_NOTES || mode == TRANSLATE_NOTES_TO_PLATFORM ||
           mode == TRANSLATE_UPPER_CASE || mode == TRANSLATE_FOLD_CASE || mode == TRANSLATE_STRIP_ACCENTS;
}

} // namespace

STATUS TranslateText(uint16_t mode, const char* in, uint16_t inLength, char* out, uint16_t outSize,
                     uint16_t* outLength) {
    if (const STATUS started = RequireProcess()) return started;
    if (outLength == nullptr) return ERR_NLS_BAD_ARGUMENT;
    *outLength = 0;
    if ((in == nullptr && inLength > 0) || (out == nullptr && outSize > 0)) return ERR_NLS_BAD_ARGUMENT;
    if (!IsKnownMode(mode)) return ERR_NLS_BAD_MODE;
    const bool repairs = mode == TRANSLATE_PLATFORM_TO_NOTES || mode == TRANSLATE_NOTES_TO_PLATFORM;

    uint32_t written = 0;
    for (uint32_t pos = 0; pos < inLength;) {
        if (repairs && static_cast<unsigned char>(in[pos]) < 0x80) {
            // A run of plain ASCII, which both character sets write alike, is copied as it stands.
            uint32_t end = pos + 1;
            while (end < inLength && static_cast<unsigned char>(in[end]) < 0x80)
                ++end;
            const uint32_t fits = std::min<uint32_t>(end - pos, outSize - written);
            // A full output may have no buffer at all (out null, outSize 0): copy nothing into it.
            if (fits > 0) std::memcpy(out + written, in + pos, fits);
            written += fits;
            if (fits < end - pos) {
                *outLength = static_cast<uint16_t>(written);
                return ERR_NLS_BUFFER_TOO_SMALL;
            }
            pos = end;
            continue;
        }
        const nls::Char ch = nls::DecodeChar(in + pos, inLength - pos);
        const char* bytes = in + pos;
        uint32_t size = ch.size;
        char folded[U8_MAX_LENGTH];
        if (ch.codePoint < 0) {
            if (repairs) {
                bytes = kReplacement;
                size = 3;
            }
        } else if (const UChar32 c = Fold(mode, ch.codePoint); c != ch.codePoint) {
            int32_t n = 0;
            U8_APPEND_UNSAFE(folded, n, c);
            bytes = folded;
            size = static_cast<uint32_t>(n);
        }
        if (written + size > outSize) {
            *outLength = static_cast<uint16_t>(written);
            return ERR_NLS_BUFFER_TOO_SMALL;
        }
        std::memcpy(out + written, bytes, size);
        written += size;
        pos += ch.size;
    }
    *outLength = static_cast<uint16_t>(written);
    return NOERROR;
}

} // namespace nnotes
