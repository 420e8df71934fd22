#include "ln/lnstringtext.h"

#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "nnotes/nls.h"
#include "nnotes/status.h"

#include <algorithm>
#include <cstdlib>

namespace lntext {

void RequireAPI() {
    if (!LNIsAPIInitialized()) throw LNERR_SESSION_NOT_INITIALIZED;
}

const nnotes::NLSInfo* NotesInfo() {
    const nnotes::NLSInfo* info = nullptr;
    ThrowIfFailed(nnotes::GetNLSInfo(&info));
    return info;
}

void ThrowIfFailed(nnotes::STATUS status) {
    if (status != nnotes::NOERROR) throw static_cast<LNSTATUS>(status);
}

LNUCHAR* AllocText(size_t bytes) {
    auto* text = static_cast<LNUCHAR*>(std::malloc(bytes));
    if (text == nullptr) throw LNERR_NO_MEMORY;
    return text;
}

uint32_t Translate(uint16_t mode, const char* in, uint32_t length, char* out) {
    if (length > LNSTRING_MAX_BYTES) throw LNERR_STRING_TOO_LONG;
    const auto room = static_cast<uint16_t>(std::min<uint32_t>(3 * length, LNSTRING_MAX_BYTES));
    uint16_t translated = 0;
    const nnotes::STATUS status =
        nnotes::TranslateText(mode, in, static_cast<uint16_t>(length), out, room, &translated);
    if (status == nnotes::ERR_NLS_BUFFER_TOO_SMALL) throw LNERR_STRING_TOO_LONG;
    ThrowIfFailed(status);
    std::replace(out, out + translated, '\0', '\n');
    return translated;
}

void TranslateWhole(uint16_t mode, const char* in, size_t length, std::string& out) {
    // Pieces whose translation always fits one call's room.
    constexpr size_t kPiece = LNSTRING_MAX_BYTES / 3;
    const auto continues = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    out.resize(3 * length);
    size_t written = 0;
    for (size_t at = 0; at < length;) {
        size_t end = std::min(length, at + kPiece);
        // Every byte after the first of a character, and of an ill-formed stretch, is a continuation byte,
        // and none is longer than 4: a cut before the first byte that is none, among the last 4, splits
        // nothing; 4 continuation bytes in a row end a character before them.
        if (end < length) {
            size_t cut = end;
            while (cut > end - 3 && continues(in[cut]))
                --cut;
            if (!continues(in[cut])) end = cut;
        }
        written += Translate(mode, in + at, static_cast<uint32_t>(end - at), out.data() + written);
        at = end;
    }
    out.resize(written);
}

char* TranslateCopy(uint16_t mode, const char* in, uint32_t length) {
    if (length > LNSTRING_MAX_BYTES) throw LNERR_STRING_TOO_LONG;
    auto* out = reinterpret_cast<char*>(AllocText(3 * size_t{length} + 1));
    uint32_t translated = 0;
    try {
        translated = Translate(mode, in, length, out);
    } catch (...) {
        std::free(out);
        throw;
    }
    out[translated] = '\0';
    // Most text keeps its size; the room for growth is given back.
    auto* shrunk = static_cast<char*>(std::realloc(out, size_t{translated} + 1));
    return shrunk != nullptr ? shrunk : out;
}

namespace {

template <typename Text>
LNStringBody* NewBody(void (LNStringBody::*set)(const Text*, size_t), const Text* text, size_t length) {
    auto* body = new LNStringBody;
    try {
        (body->*set)(text, length);
    } catch (...) {
        delete body;
        throw;
    }
    return body;
}

} // namespace

LNStringBody* NewPlatformBody(const char* text, size_t length) {
    return NewBody(&LNStringBody::SetPlatformText, text, length);
}

LNStringBody* NewNotesBody(const LNUCHAR* text, size_t length) {
    return NewBody(&LNStringBody::SetNotesText, text, length);
}

uint32_t EncodeUnit(char16_t c, char* out) {
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
}

uint32_t EncodeLatin1(char c, char* out) {
    return EncodeUnit(static_cast<char16_t>(static_cast<unsigned char>(c)), out);
}

char DecodeLatin1(const char* text, uint32_t length) {
    if (length == 0) return '\0';
    const auto lead = static_cast<unsigned char>(text[0]);
    // Two-byte forms that start with 0xC2 or 0xC3 hold U+0080 to U+00FF.
    if ((lead == 0xC2 || lead == 0xC3) && length >= 2) {
        const auto trail = static_cast<unsigned char>(text[1]);
        if ((trail & 0xC0) == 0x80) return static_cast<char>(((lead & 0x03) << 6) | (trail & 0x3F));
    }
    return text[0];
}

} // namespace lntext
