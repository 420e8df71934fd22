#include "files/settings_names.h"
#include "util/text.h"

#include <cctype>

namespace nnotes::settings {

namespace {

// Length of an "attribute=" prefix (one or two letters and '=') at pos, 0 when there is none.
size_t AttributeLength(const std::string& s, size_t pos) {
    size_t n = 0;
    while (n < 2 && pos + n < s.size() && std::isalpha(static_cast<unsigned char>(s[pos + n])))
        ++n;
    if (n == 0 || pos + n >= s.size() || s[pos + n] != '=') return 0;
    return n + 1;
}

} // namespace

std::string AbbreviateName(const std::string& name) {
    std::string out;
    size_t pos = 0;
    while (true) {
        size_t slash = name.find('/', pos);
        std::string part =
            TrimBlanks(name.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos));
        size_t attr = AttributeLength(part, 0);
        if (attr > 0 && attr < part.size()) part = TrimBlanks(part.substr(attr));
        if (!out.empty() || pos > 0) out += '/';
        out += part;
        if (slash == std::string::npos) break;
        pos = slash + 1;
    }
    return out;
}

bool SameServerName(const std::string& a, const std::string& b) {
    return util::EqualsNoCase(AbbreviateName(a), AbbreviateName(b));
}

size_t ServerLineSeparator(const std::string& line) {
    const size_t first = line.find('=');
    size_t pos = 0;
    while (true) {
        const size_t attr = AttributeLength(line, pos);
        if (attr == 0) return first; // an abbreviated component: the name ends at the first '='
        const size_t valueStart = pos + attr;
        const size_t stop = line.find_first_of("/=", valueStart);
        if (stop == valueStart) return valueStart - 1; // "A=/folder": a one-letter name, not an attribute
        if (stop == std::string::npos) return first;
        if (line[stop] == '=') return stop;
        pos = stop + 1;
    }
}

} // namespace nnotes::settings
