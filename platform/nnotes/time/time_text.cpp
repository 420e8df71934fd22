// Instants and ranges written as text.
#include "time/time_text.h"

#include "process/process.h"
#include "time/intl.h"
#include "time/time_calendar.h"
#include "time/time_local.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

namespace nnotes {
namespace timetext {

STATUS CheckedFormat(const TimeTextFormat* format, TimeTextFormat* out) {
    if (format == nullptr) {
        *out = TimeTextFormat{TIME_DATE_FULL, TIME_TIME_FULL, TIME_ZONE_NEVER, TIME_STRUCTURE_DATETIME};
        return NOERROR;
    }
    if (format->dateFormat > TIME_DATE_MONTH_DAY || format->timeFormat > TIME_TIME_HOUR_MINUTE ||
        format->zoneFormat > TIME_ZONE_ALWAYS || format->structure > TIME_STRUCTURE_DATETIME)
        return ERR_TIME_BAD_FORMAT;
    *out = *format;
    return NOERROR;
}

} // namespace timetext

namespace {

using intl::DateOrder;

std::string Padded(int64_t value, int width) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%0*lld", width, static_cast<long long>(value));
    return digits;
}

std::string DateText(const intl::TimeTextSettings& s, uint8_t dateFormat, const timecal::CivilTime& c) {
    const std::string& sep = s.dateSeparator;
    const std::string month = Padded(c.month, 2), day = Padded(c.day, 2);
    const std::string monthDay = s.order == DateOrder::DayMonthYear ? day + sep + month : month + sep + day;
    if (dateFormat == TIME_DATE_MONTH_DAY) return monthDay;
    const std::string year = Padded(c.year, 4);
    if (s.order == DateOrder::YearMonthDay) return year + sep + monthDay;
    return monthDay + sep + year;
}

std::string ClockText(const intl::TimeTextSettings& s, uint8_t timeFormat, const timecal::CivilTime& c) {
    const int32_t hour = s.clock24 ? c.hour : (c.hour % 12 == 0 ? 12 : c.hour % 12);
    std::string text = Padded(hour, 2) + s.timeSeparator + Padded(c.minute, 2);
    if (timeFormat == TIME_TIME_FULL) text += s.timeSeparator + Padded(c.second, 2);
    if (!s.clock24) text += " " + (c.hour < 12 ? s.amText : s.pmText);
    return text;
}

std::string ZoneText(const timezone::Offset& offset) {
    const int64_t signedMinutes = timezone::RoundedMinutes(offset.seconds);
    const int64_t minutes = signedMinutes < 0 ? -signedMinutes : signedMinutes;
    return std::string("UTC") + (signedMinutes >= 0 ? "+" : "-") + Padded(minutes / 60, 2) + ":" +
           Padded(minutes % 60, 2);
}

STATUS TextOf(const IntlSettings* intlRecord, const TimeTextFormat& format, const Instant& instant,
              std::string* text) {
    for (const auto& special : timetext::kSpecialTexts) {
        Instant value{};
        TimeConstant(special.code, &value);
        if (std::memcmp(&value, &instant, sizeof value) == 0) {
            *text = special.text;
            return NOERROR;
        }
    }
    timecal::CivilTime civil{};
    timezone::Offset offset{};
    if (STATUS s = timelocal::ReadLocal(instant, &civil, &offset)) return s;
    const intl::TimeTextSettings settings = intl::TimeTextSettingsOf(intlRecord);
    std::string clock = ClockText(settings, format.timeFormat, civil);
    if (format.zoneFormat == TIME_ZONE_ALWAYS) clock += " " + ZoneText(offset);
    switch (format.structure) {
    case TIME_STRUCTURE_DATE:
        *text = DateText(settings, format.dateFormat, civil);
        break;
    case TIME_STRUCTURE_TIME:
        *text = clock;
        break;
    default:
        *text = DateText(settings, format.dateFormat, civil) + " " + clock;
        break;
    }
    return NOERROR;
}

// The texts of the instants joined by " - ", delivered whole or not at all.
STATUS JoinedText(const IntlSettings* intl, const TimeTextFormat* format,
                  std::initializer_list<const Instant*> instants, char* buffer, uint16_t maxLength,
                  uint16_t* length) {
    if (STATUS s = RequireProcess()) return s;
    if (buffer == nullptr || length == nullptr) return ERR_MISSING_ARGUMENT;
    for (const Instant* instant : instants)
        if (instant == nullptr) return ERR_MISSING_ARGUMENT;
    TimeTextFormat checked{};
    if (STATUS s = timetext::CheckedFormat(format, &checked)) return s;
    std::string text;
    for (const Instant* instant : instants) {
        std::string part;
        if (STATUS s = TextOf(intl, checked, *instant, &part)) return s;
        text += text.empty() ? part : " - " + part;
    }
    if (text.size() > maxLength) return ERR_TIME_BUFFER_TOO_SMALL;
    std::memcpy(buffer, text.data(), text.size());
    if (text.size() < maxLength) buffer[text.size()] = '\0';
    *length = static_cast<uint16_t>(text.size());
    return NOERROR;
}

} // namespace

STATUS InstantToText(const IntlSettings* intl, const TimeTextFormat* format, const Instant* instant,
                     char* buffer, uint16_t maxLength, uint16_t* length) {
    return JoinedText(intl, format, {instant}, buffer, maxLength, length);
}

STATUS RangeToText(const IntlSettings* intl, const TimeTextFormat* format, const TimeRange* range,
                   char* buffer, uint16_t maxLength, uint16_t* length) {
    if (range == nullptr) return JoinedText(intl, format, {nullptr}, buffer, maxLength, length);
    return JoinedText(intl, format, {&range->begin, &range->end}, buffer, maxLength, length);
}

} // namespace nnotes
