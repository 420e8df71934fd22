// The parts of an international settings record that date and time text depends on, read defensively: a
// record may come from a caller that edited it, so missing or unterminated texts fall back to the defaults.
#pragma once

#include "nnotes/nnotes.h"

#include <string>

namespace nnotes::intl {

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

struct TimeTextSettings {
    DateOrder order;
    std::string dateSeparator;
    std::string timeSeparator;
    std::string amText;
    std::string pmText;
    bool clock24;
};

// The settings of a record, or this workstation's when record is null.
TimeTextSettings TimeTextSettingsOf(const IntlSettings* record);

} // namespace nnotes::intl
