// Small text helpers for the settings and profile files every module reads, and the one caseless comparison
// of names that every module uses.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace util {

// The text without the blanks (spaces, tabs, line ends) around it.
inline std::string TrimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return std::string(s.substr(b, e - b));
}

// The byte with an ASCII capital made small, and every other byte as it is. Names (of items, views, servers,
// operators) compare without regard to the case of ASCII letters alone, as the store's SQL does: the C
// library's caseless calls follow the program's locale, which in a Turkish one no longer folds I and i, and
// in a one-byte code page folds bytes of UTF-8 characters.
inline unsigned char AsciiLower(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Below zero, zero or above zero as a sorts before, with or after b, ASCII letters folded.
inline int CompareNoCase(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
        if (const int d = AsciiLower(a[i]) - AsciiLower(b[i]); d != 0) return d;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

inline bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

} // namespace util
