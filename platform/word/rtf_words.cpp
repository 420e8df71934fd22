#include "rtf_words.h"

#include <algorithm>
#include <array>

namespace word {
namespace {

template <size_t N>
bool Contains(const std::array<std::string_view, N>& words, std::string_view name) {
    return std::find(words.begin(), words.end(), name) != words.end();
}

constexpr std::array<std::string_view, 28> kHeaderDestinations = {
    "fonttbl",      "filetbl",   "colortbl",
    "stylesheet",   "listtable", "listoverridetable",
    "revtbl",       "rsidtbl",   "info",
    "xmlnstbl",     "mmathPr",   "pgdsctbl",
    "latentstyles", "themedata", "colorschememapping",
    "datastore",    "defchp",    "defpap",
    "generator",    "userprops", "docvar",
    "mailmerge",    "ftnsep",    "ftnsepc",
    "ftncn",        "aftnsep",   "aftnsepc",
    "aftncn"};

constexpr std::array<std::string_view, 14> kNonTextDestinations = {
    "fldinst",    "pict", "object", "bkmkstart", "bkmkend",   "shp",        "shpinst",
    "nonshppict", "xe",   "tc",     "atnid",     "atnauthor", "annotation", "footnote"};

constexpr std::array<std::string_view, 20> kTextWords = {
    "par",     "line",    "tab",     "page",   "sect",   "cell",      "row",
    "emdash",  "endash",  "bullet",  "lquote", "rquote", "ldblquote", "rdblquote",
    "emspace", "enspace", "qmspace", "u",      "chpgn",  "nestcell"};

} // namespace

std::string_view GroupDestination(const RtfTokens& rtf, size_t start, bool* ignorable) {
    size_t i = start + 1;
    bool star = i < rtf.tokens.size() && rtf.tokens[i].kind == RtfToken::Kind::ControlSymbol &&
                rtf.tokens[i].name == "*";
    if (star) ++i;
    if (ignorable) *ignorable = star;
    if (i < rtf.tokens.size() && rtf.tokens[i].kind == RtfToken::Kind::ControlWord) return rtf.tokens[i].name;
    return {};
}

bool IsHeaderDestination(std::string_view name) {
    return Contains(kHeaderDestinations, name);
}

bool IsNonTextDestination(std::string_view name) {
    return Contains(kNonTextDestinations, name) || Contains(kHeaderDestinations, name);
}

bool IsTextWord(std::string_view name) {
    return Contains(kTextWords, name);
}

} // namespace word
