#include "unicode_text.h"

#include <cctype>
#include <locale>
#include <optional>

namespace word {
namespace {

const std::ctype<wchar_t>& WideCase() {
    static const std::locale locale = [] {
        try {
            return std::locale("C.UTF-8");
        } catch (const std::runtime_error&) {
            return std::locale::classic();
        }
    }();
    return std::use_facet<std::ctype<wchar_t>>(locale);
}

template <typename Map>
std::string MapCodePoints(std::string_view text, Map map) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size())
        AppendUtf8(out, map(DecodeUtf8(text, pos)));
    return out;
}

char32_t Upper(char32_t cp) {
    return static_cast<char32_t>(WideCase().toupper(static_cast<wchar_t>(cp)));
}
char32_t Lower(char32_t cp) {
    return static_cast<char32_t>(WideCase().tolower(static_cast<wchar_t>(cp)));
}

bool IsSpace(char32_t cp) {
    return cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == '\v';
}

} // namespace

char32_t DecodeUtf8(std::string_view text, size_t& pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || text.size() - pos < length) {
        ++pos;
        return kReplacementCharacter;
    }
    char32_t cp = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return kReplacementCharacter;
        }
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacementCharacter;
    }
    pos += length;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacementCharacter;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

namespace {

// Windows-1252 in 0x80..0x9F; the other bytes above 0x7F are Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// The length of the valid UTF-8 sequence at pos, 0 when there is none.
size_t ValidSequence(std::string_view text, size_t pos) {
    size_t next = pos;
    char32_t cp = DecodeUtf8(text, next);
    if (cp != kReplacementCharacter) return next - pos;
    return text.substr(pos, 3) == "\xEF\xBF\xBD" ? 3 : 0;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    char32_t high = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto b0 = static_cast<unsigned char>(bytes[i]), b1 = static_cast<unsigned char>(bytes[i + 1]);
        char32_t unit = bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
        if (unit >= 0xD800 && unit < 0xDC00) {
            if (high) AppendUtf8(out, kReplacementCharacter);
            high = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit < 0xE000) {
            AppendUtf8(out,
                       high ? 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00) : kReplacementCharacter);
            high = 0;
            continue;
        }
        if (high) AppendUtf8(out, kReplacementCharacter);
        high = 0;
        AppendUtf8(out, unit);
    }
    if (high) AppendUtf8(out, kReplacementCharacter);
    return out;
}

// UTF-16 without a byte-order mark, as some programs write it, shows in a first line of characters below
// U+0100 (the titles of a data file): each is a byte and a NUL, in the order of the encoding. Text in
// UTF-8 or Windows-1252 holds no NUL bytes. Gives whether the text reads so, and in which order.
std::optional<bool> Utf16WithoutMark(std::string_view text) {
    for (bool bigEndian : {false, true}) {
        size_t units = 0;
        for (size_t i = 0; i + 1 < text.size(); i += 2, ++units) {
            const char value = bigEndian ? text[i + 1] : text[i];
            const char other = bigEndian ? text[i] : text[i + 1];
            if (other != '\0' || value == '\0') {
                units = 0;
                break;
            }
            if (value == '\r' || value == '\n') break;
        }
        if (units > 0) return bigEndian;
    }
    return std::nullopt;
}

} // namespace

char32_t FromWindows1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
}

std::string TextToUtf8(std::string bytes) {
    std::string_view text = bytes;
    if (text.starts_with("\xFF\xFE")) return Utf16ToUtf8(text.substr(2), false);
    if (text.starts_with("\xFE\xFF")) return Utf16ToUtf8(text.substr(2), true);
    if (std::optional<bool> bigEndian = Utf16WithoutMark(text)) return Utf16ToUtf8(text, *bigEndian);
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    size_t pos = 0;
    while (pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        size_t length = ValidSequence(text, pos);
        if (length == 0) break;
        pos += length;
    }
    if (pos == text.size()) return text.size() == bytes.size() ? bytes : std::string(text);
    std::string out(text.substr(0, pos));
    while (pos < text.size()) {
        size_t length = static_cast<unsigned char>(text[pos]) < 0x80 ? 1 : ValidSequence(text, pos);
        if (length == 0) {
            AppendUtf8(out, FromWindows1252(static_cast<unsigned char>(text[pos])));
            ++pos;
        } else {
            out.append(text.substr(pos, length));
            pos += length;
        }
    }
    return out;
}

std::string ToUpper(std::string_view text) {
    return MapCodePoints(text, Upper);
}

std::string ToLower(std::string_view text) {
    return MapCodePoints(text, Lower);
}

std::string CapitaliseWords(std::string_view text, bool firstWordOnly) {
    bool atWordStart = true;
    bool done = false;
    return MapCodePoints(text, [&](char32_t cp) {
        if (IsSpace(cp)) {
            atWordStart = true;
            return cp;
        }
        bool capitalise = atWordStart && !done;
        atWordStart = false;
        if (capitalise && firstWordOnly) done = true;
        return capitalise ? Upper(cp) : cp;
    });
}

std::string UnderscoreSpaces(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c == ' ') c = '_';
    return out;
}

} // namespace word
