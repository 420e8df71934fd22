// Small text helpers for the settings and profile files every module reads.
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

} // namespace util
