// The stored design of a view: the "$ViewFormat" value that lists its columns, with their formulas compiled.
#pragma once

#include "description.h"

#include <string>
#include <string_view>
#include <vector>

namespace nsfadmin {

// A formula compiled by the store; throws Failure "<place>: <the compiler's account of the fault>".
std::string CompiledFormula(const std::string& text, const std::string& place);

// The "$ViewFormat" value after its type word. place names the view in error texts.
std::string ViewFormatBytes(const ViewDescription& view, const std::string& place);

// What a listing needs of each stored column: the summary item that holds its value, and its constant.
struct StoredColumn {
    std::string item, constant;
};
// Reads the columns of a "$ViewFormat" value (after its type word); throws Failure naming place when the
// bytes do not hold them whole.
std::vector<StoredColumn> ReadViewColumns(std::string_view value, const std::string& place);

} // namespace nsfadmin
