// Item values in the store's stored layouts (the bytes after the type word), built from plain C++ values and
// read back. Readers check every count and length against the bytes they are given.
#pragma once

#include "nnotes/database.h"
#include "nnotes/note.h"
#include "nnotes/timedate.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nsfadmin {

struct ItemValue {
    uint16_t type = nnotes::TYPE_TEXT;
    std::string bytes; // after the type word
};

// Lists longer than the layouts' 16-bit counts allow throw Failure naming place.
ItemValue TextValue(std::string_view text);
ItemValue TextListValue(const std::vector<std::string>& texts, const std::string& place);
ItemValue NumberValue(double number);
ItemValue NumberListValue(const std::vector<double>& numbers, const std::string& place);
ItemValue TimeValue(const nnotes::Instant& time);
ItemValue TimeListValue(const std::vector<nnotes::Instant>& times, const std::string& place);
// "$REF": the response's parent.
ItemValue ParentReferenceValue(const nnotes::UNIVERSALID& parent);

// Reading a stored value of one of the types above; nullopt when the bytes do not hold the layout.
struct ReadValue {
    std::vector<std::string> texts;
    std::vector<double> numbers;
    std::vector<nnotes::Instant> times;
    bool list = false; // a list type, even with one entry
};
std::optional<ReadValue> ReadItemValue(uint16_t type, std::string_view bytes);

} // namespace nsfadmin
