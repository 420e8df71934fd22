// Control words with a role in how RTF is read.
#pragma once

#include "rtf_lexer.h"

#include <string_view>

namespace word {

// The destination that a group at tokens[start] opens: the first control word after the brace (after \*
// for an ignorable destination), or empty when the group starts otherwise.
std::string_view GroupDestination(const RtfTokens& rtf, size_t start, bool* ignorable = nullptr);

// Groups of the document header (font and colour tables, styles, information and the like).
bool IsHeaderDestination(std::string_view name);

// Groups that hold no text of the document body (pictures, objects, field instructions, bookmarks...).
bool IsNonTextDestination(std::string_view name);

// Control words that stand for text or a break (\par, \tab, \line, \page, \sect, \emdash...).
bool IsTextWord(std::string_view name);

} // namespace word
