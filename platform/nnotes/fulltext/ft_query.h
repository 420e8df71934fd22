// The query language of full-text searches, turned into an FTS5 match expression over the index's columns.
#pragma once

#include "nnotes/nnotes.h"

#include <string>
#include <string_view>

namespace nnotes::fulltext {

// ERR_FT_QUERY for a query that cannot be read: nothing to search for, an unclosed quote or parenthesis, an
// operator without its operand, a '*' that does not end a word, parentheses and NOTs nested more than 64
// deep.
STATUS TranslateQuery(std::string_view query, std::string& match);

} // namespace nnotes::fulltext
