// Hierarchical server and user names: "CN=Alpha/O=Acme" (canonical) and "Alpha/Acme" (abbreviated).
#pragma once

#include "util/text.h"

#include <string>

namespace nnotes::settings {

using util::TrimBlanks;

// The abbreviated form: each component loses its "attribute=" prefix; blanks around components go.
std::string AbbreviateName(const std::string& name);

// True when both names denote the same server: abbreviated forms compared case-insensitively.
bool SameServerName(const std::string& a, const std::string& b);

// Where a [Servers] line "name=folder" divides. The os profile reader splits at the first '=', which cuts a
// canonical name apart, so the line is rejoined and divided here. Returns the index of the separating '=',
// or std::string::npos.
size_t ServerLineSeparator(const std::string& line);

} // namespace nnotes::settings
