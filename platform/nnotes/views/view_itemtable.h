// The packed item table of entry summaries and find keys: 16-bit total length (with the 4-byte header),
// 16-bit count, per item a 16-bit name length and a 16-bit value length, then per item its name and value.
// Little-endian, as the stored values it carries: view rows keep it in the database file.
#pragma once

#include "nnotes/nnotes.h"

#include <string>
#include <string_view>
#include <vector>

namespace nnotes::views {

struct TableItem {
    std::string_view name;
    std::string_view value; // type word first; empty for an empty item
};

// The table of items; values are left empty from the last item backwards until the table fits in limit
// bytes (names alone always fit the tables built here).
std::string BuildItemTable(const std::vector<TableItem>& items, size_t limit = 0xFFFF);

// Reads a table from the bytes at data (available bytes readable), checking every length. *size gets the
// table's total length. False when the bytes hold no well-formed table.
bool ParseItemTable(const void* data, size_t available, std::vector<TableItem>& items,
                    size_t* size = nullptr);
// The same checks without taking the items apart: *count gets their number.
bool CheckItemTable(const void* data, size_t available, size_t* count, size_t* size = nullptr);

} // namespace nnotes::views
