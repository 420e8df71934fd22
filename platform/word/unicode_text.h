// UTF-8 decoding and encoding, and the case rules of the merge switches.
#pragma once

#include "util/text.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace word {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the code point at text[pos] and advances pos. A malformed or truncated sequence, an overlong form
// or a surrogate gives U+FFFD and advances by one byte, so every input decodes.
char32_t DecodeUtf8(std::string_view text, size_t& pos);

void AppendUtf8(std::string& out, char32_t cp);

// The character a byte stands for in Windows-1252 (Latin-1 but for 0x80..0x9F; bytes it leaves undefined
// give U+FFFD).
char32_t FromWindows1252(unsigned char byte);

// Text of unknown encoding as UTF-8: UTF-16 (little- or big-endian) when it starts with that byte-order
// mark, or when its first line is characters below U+0100 each written as a byte and a NUL in one of
// the two orders; UTF-8 otherwise (a UTF-8 byte-order mark is left out), where every byte that is not
// part of a valid UTF-8 sequence is taken as Windows-1252.
std::string TextToUtf8(std::string bytes);

// Walks a merged value the way both document formats write it: tab(), lineBreak() for CR, LF, CR LF or
// VT, nothing for other control characters and non-characters (no format can hold them), text(cp) for
// the rest.
template <typename Tab, typename LineBreak, typename Text>
void ForEachValueCharacter(std::string_view value, Tab tab, LineBreak lineBreak, Text text) {
    size_t pos = 0;
    while (pos < value.size()) {
        char32_t cp = DecodeUtf8(value, pos);
        if (cp == '\t') {
            tab();
        } else if (cp == '\r' || cp == '\n' || cp == '\v') {
            if (cp == '\r' && pos < value.size() && value[pos] == '\n') ++pos;
            lineBreak();
        } else if (cp >= 0x20 && cp != 0x7F && !(cp >= 0x80 && cp < 0xA0) && cp != 0xFFFE && cp != 0xFFFF) {
            text(cp);
        }
    }
}

// Case conversions by Unicode rules where the system's C.UTF-8 locale knows them, ASCII otherwise.
std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);
// The first letter of each word (Caps) or of the first word only (FirstCap) in upper case; the rest stays.
std::string CapitaliseWords(std::string_view text, bool firstWordOnly);

// ASCII case-insensitive equality, the way automation compares names, whatever the program's locale.
using util::EqualsNoCase;

// A merge field name with every space turned into "_", the form in which the program names columns.
std::string UnderscoreSpaces(std::string_view name);

} // namespace word
