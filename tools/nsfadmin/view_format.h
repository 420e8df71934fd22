// The stored design of a view: the "$ViewFormat" value (type word VIEW_FORMAT_TYPE) that lists its columns,
// and the item that holds its selection formula.
#pragma once

#include "description.h"

#include <string>

namespace nsfadmin {

constexpr uint16_t VIEW_FORMAT_TYPE = 5;
constexpr const char* VIEW_FORMAT_ITEM = "$ViewFormat";
constexpr const char* VIEW_SELECTION_ITEM = "$Formula";

// Column flags. Categorised, hidden and response are fixed by the readers of views; the others are this
// store's own choice.
constexpr uint16_t COLUMN_SORTED = 0x0001;
constexpr uint16_t COLUMN_CATEGORISED = 0x0002;
constexpr uint16_t COLUMN_DESCENDING = 0x0004;
constexpr uint16_t COLUMN_HIDDEN = 0x0008;
constexpr uint16_t COLUMN_RESPONSE = 0x0010;
constexpr uint16_t COLUMN_TOTALS = 0x0020;
constexpr uint16_t COLUMN_SIGNATURE = 0x4356;

// The "$ViewFormat" value after its type word.
std::string ViewFormatBytes(const ViewDescription& view);

} // namespace nsfadmin
