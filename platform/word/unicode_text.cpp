#include "unicode_text.h"

#include <cctype>
#include <locale>

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

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string UnderscoreSpaces(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c == ' ') c = '_';
    return out;
}

} // namespace word
