// Sort keys of view entries: byte strings whose plain byte order is the view's order, so that the stored
// index sorts in SQLite without a collation of its own. Each sorted column gives one segment: a type byte
// (empty, number, time, text: in that order), the value's order-keeping bytes (for text, its collation key,
// case-insensitive) with 0x00 and 0x01 escaped, and a 0x00 end; a descending column's segment has every
// byte inverted.
#pragma once

#include "nnotes/nnotes.h"

#include <string>
#include <string_view>
#include <vector>

namespace nnotes::views {

struct SortValue {
    enum Kind : uint8_t { Empty = 0x10, Number = 0x20, Time = 0x30, Text = 0x40 };
    Kind kind = Empty;
    double number = 0;
    Instant time{};
    std::string text;
};

// The first entry of an item value (type word first); an empty text, an empty list or bytes that do not
// read are Empty.
SortValue FirstValueOf(std::string_view value);

// Each entry of an item value as an item value of its own (a list of one entry is one value); an empty
// value gives one empty text.
std::vector<std::string> EachValueOf(std::string_view value);

STATUS AppendSortSegment(const SortValue& value, bool descending, std::string& key);

// Where the segment that begins at from ends (past its end byte); std::string_view::npos when the key holds
// no whole segment there.
size_t SegmentEnd(std::string_view key, size_t from, bool descending);

// Names the collation that made the text keys; keys of another collation must be made again.
std::string CollationVersion();

} // namespace nnotes::views
