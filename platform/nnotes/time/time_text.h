// What text conversion and parsing of instants share.
#pragma once

#include "nnotes/nnotes.h"

namespace nnotes::timetext {

struct SpecialText {
    uint16_t code; // TimeConstant code
    const char* text;
};
inline constexpr SpecialText kSpecialTexts[] = {
    {TIME_MINIMUM, "Minimum Valid Date"},
    {TIME_MAXIMUM, "Maximum Valid Date"},
    {TIME_WILDCARD, "Any Day//Any Time"},
};

// The format to use: the default for null, ERR_TIME_BAD_FORMAT for an unknown code.
STATUS CheckedFormat(const TimeTextFormat* format, TimeTextFormat* out);

} // namespace nnotes::timetext
