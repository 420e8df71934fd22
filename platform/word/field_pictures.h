// The picture switches of fields: \# shapes a number, \@ a date and time, each with the picture characters
// of word processors' fields.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace word {

// The value formatted by a numeric picture: 0 a digit or 0, # a digit or a space, x a digit that drops the
// digits left of it, . the decimal point, , grouping of thousands, - a minus sign or a space, + a plus or
// minus sign (a space for 0), 'text' literal text, other characters as they are; up to three sections
// separated by ; for positive, negative and zero values. Rounds to the places after the point.
std::string FormatNumber(double value, std::string_view picture);

struct DateTime {
    int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// A text that reads as a date, with or without a time: year-month-day (ISO, a T or blank before the time),
// month/day/year or day.month.year, the time as hours:minutes[:seconds] with AM or PM where given.
std::optional<DateTime> ReadDate(std::string_view text);

// The date formatted by a date-time picture: d dd ddd dddd (day, weekday names), M MM MMM MMMM (month),
// yy yyyy (year), h hh (12-hour), H HH (24-hour), m mm (minutes), s ss, AM/PM am/pm A/P a/p, 'text'.
std::string FormatDate(const DateTime& date, std::string_view picture);

} // namespace word
