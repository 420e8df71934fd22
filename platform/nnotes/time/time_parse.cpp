// Text read as an instant.
#include "nnotes/nnotes.h"
#include "process/process.h"
#include "time/intl.h"
#include "time/time_calendar.h"
#include "time/time_local.h"
#include "time/time_text.h"

#include <cstring>
#include <initializer_list>
#include <optional>
#include <string_view>

namespace nnotes {
namespace {

using intl::DateOrder;
using timecal::CivilTime;

constexpr int kMaxDigits = 9;
// Up to the year 10000, the local reading of the last UTC day east of Greenwich.
constexpr int kYearDigits = 5;
constexpr int64_t kMaxZoneSeconds = 16 * 3600;

struct Number {
    int64_t value;
    int digits;
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A two-digit year is the nearest of 1950-2049; longer years are taken as written.
int64_t FullYear(const Number& n) {
    if (n.digits > 2) return n.value;
    return n.value < 50 ? 2000 + n.value : 1900 + n.value;
}

class Parser {
public:
    Parser(std::string_view text, const intl::TimeTextSettings& settings)
        : rest_(text), settings_(settings) {}

    // A date, optionally followed by a time, or a time alone. Where the settings use one separator for
    // both ("10.11"), the date reading wins.
    STATUS Parse(Instant* out) {
        CivilTime today{};
        if (STATUS s = Today(&today)) return s;
        const std::string_view whole = rest_;
        for (const bool dateFirst : {true, false}) {
            rest_ = whole;
            CivilTime civil = today;
            std::optional<int64_t> zoneSeconds;
            if (!Read(dateFirst, &civil, &zoneSeconds)) continue;
            const STATUS status = zoneSeconds ? timelocal::ZonedInstant(civil, *zoneSeconds, out)
                                              : timelocal::LocalInstant(civil, -1, out);
            // The years 0 and 10000 are read only for the local readings of the first and last days.
            if (status == ERR_TIME_OUT_OF_RANGE && (civil.year < 1 || civil.year > 9999))
                return ERR_TIME_BAD_TEXT;
            return status;
        }
        return ERR_TIME_BAD_TEXT;
    }

private:
    static STATUS Today(CivilTime* civil) {
        Instant now{};
        timezone::Offset offset{};
        if (STATUS s = CurrentTime(&now)) return s;
        return timelocal::ReadLocal(now, civil, &offset);
    }

    bool Read(bool dateFirst, CivilTime* civil, std::optional<int64_t>* zoneSeconds) {
        const std::optional<Number> first = TakeNumber();
        if (!first) return false;
        if (!dateFirst) {
            if (!TakeTime(*first, civil, zoneSeconds)) return false;
        } else {
            if (!TakeDate(*first, civil)) return false;
            civil->hour = civil->minute = civil->second = civil->hundredth = 0;
            if (!rest_.empty()) {
                if (!TakeSpaces() && !Take("T")) return false;
                const std::optional<Number> hour = TakeNumber();
                if (!hour || !TakeTime(*hour, civil, zoneSeconds)) return false;
            }
        }
        TakeSpaces();
        return rest_.empty() && timecal::IsValidCivil(*civil);
    }

    bool TakeSpaces() {
        const size_t before = rest_.size();
        while (!rest_.empty() && (rest_.front() == ' ' || rest_.front() == '\t'))
            rest_.remove_prefix(1);
        return rest_.size() != before;
    }

    bool Take(std::string_view token) {
        if (token.empty() || rest_.size() < token.size() || !SameText(rest_.substr(0, token.size()), token))
            return false;
        rest_.remove_prefix(token.size());
        return true;
    }

    std::optional<Number> TakeNumber() {
        Number n{0, 0};
        while (!rest_.empty() && rest_.front() >= '0' && rest_.front() <= '9') {
            if (++n.digits > kMaxDigits) return std::nullopt;
            n.value = n.value * 10 + (rest_.front() - '0');
            rest_.remove_prefix(1);
        }
        if (n.digits == 0) return std::nullopt;
        return n;
    }

    bool TakeTimeSeparator() { return Take(settings_.timeSeparator) || Take(":"); }
    bool TakeDateSeparator() { return Take(settings_.dateSeparator) || Take("/") || Take("-") || Take("."); }

    bool TakeDate(const Number& first, CivilTime* civil) {
        if (!TakeDateSeparator()) return false;
        const std::optional<Number> second = TakeNumber();
        if (!second) return false;
        std::optional<Number> third;
        if (TakeDateSeparator()) {
            third = TakeNumber();
            if (!third) return false;
        }
        if (first.digits > kYearDigits || second->digits > 2 || (third && third->digits > kYearDigits))
            return false;
        if (!third) {
            if (first.digits > 2) return false;
            const bool dayFirst = settings_.order == DateOrder::DayMonthYear;
            civil->month = static_cast<int32_t>(dayFirst ? second->value : first.value);
            civil->day = static_cast<int32_t>(dayFirst ? first.value : second->value);
            return true;
        }
        Number year = *third, month = first, day = *second;
        if (first.digits > 2 || settings_.order == DateOrder::YearMonthDay) {
            year = first;
            month = *second;
            day = *third;
        } else if (settings_.order == DateOrder::DayMonthYear) {
            month = *second;
            day = first;
        }
        if (month.digits > 2 || day.digits > 2) return false;
        civil->year = FullYear(year);
        civil->month = static_cast<int32_t>(month.value);
        civil->day = static_cast<int32_t>(day.value);
        return true;
    }

    // Hour given; then minutes, seconds and hundredths, AM or PM, and a zone, each optional in turn.
    bool TakeTime(const Number& hour, CivilTime* civil, std::optional<int64_t>* zoneSeconds) {
        if (hour.digits > 2) return false;
        int64_t parts[3] = {hour.value, 0, 0};
        int count = 1;
        while (count < 3 && TakeTimeSeparator()) {
            const std::optional<Number> n = TakeNumber();
            if (!n || n->digits > 2) return false;
            parts[count++] = n->value;
        }
        int64_t hundredths = 0;
        if (count == 3 && (Take(".") || Take(","))) {
            const std::optional<Number> fraction = TakeNumber();
            if (!fraction || fraction->digits > 2) return false;
            hundredths = fraction->digits == 1 ? fraction->value * 10 : fraction->value;
        }
        const std::string_view beforeWord = rest_;
        TakeSpaces();
        const std::optional<bool> pm = TakeMeridiem();
        if (pm) {
            if (parts[0] < 1 || parts[0] > 12) return false;
            parts[0] = parts[0] % 12 + (*pm ? 12 : 0);
        } else {
            if (count == 1) return false;
            rest_ = beforeWord;
        }
        civil->hour = static_cast<int32_t>(parts[0]);
        civil->minute = static_cast<int32_t>(parts[1]);
        civil->second = static_cast<int32_t>(parts[2]);
        civil->hundredth = static_cast<int32_t>(hundredths);
        const std::string_view beforeZone = rest_;
        TakeSpaces();
        if (!TakeZone(zoneSeconds)) rest_ = beforeZone;
        return true;
    }

    // true for PM, false for AM.
    std::optional<bool> TakeMeridiem() {
        if (Take(settings_.amText) || Take("AM")) return false;
        if (Take(settings_.pmText) || Take("PM")) return true;
        return std::nullopt;
    }

    bool TakeZone(std::optional<int64_t>* zoneSeconds) {
        if (Take("Z")) {
            *zoneSeconds = 0;
            return true;
        }
        const bool named = Take("UTC") || Take("GMT");
        const bool east = Take("+");
        if (!east && !Take("-")) {
            if (named) *zoneSeconds = 0;
            return named;
        }
        const std::optional<Number> hours = TakeNumber();
        if (!hours) return false;
        int64_t minutes = 0, wholeHours = hours->value;
        if (hours->digits == 4) {
            wholeHours = hours->value / 100;
            minutes = hours->value % 100;
        } else if (hours->digits > 2) {
            return false;
        } else if (Take(":")) {
            const std::optional<Number> m = TakeNumber();
            if (!m || m->digits != 2) return false;
            minutes = m->value;
        }
        const int64_t seconds = (wholeHours * 60 + minutes) * 60;
        if (minutes > 59 || seconds > kMaxZoneSeconds) return false;
        *zoneSeconds = east ? seconds : -seconds;
        return true;
    }

    std::string_view rest_;
    const intl::TimeTextSettings& settings_;
};

} // namespace

STATUS ConvertTextToTime(const IntlSettings* intl, const TimeTextFormat* format, const char* text,
                         uint16_t maxLength, Instant* out) {
    if (STATUS s = RequireProcess()) return s;
    if (text == nullptr || out == nullptr) return ERR_MISSING_ARGUMENT;
    TimeTextFormat checked{};
    if (STATUS s = timetext::CheckedFormat(format, &checked)) return s;
    const std::string_view whole = Trimmed(std::string_view(text, strnlen(text, maxLength)));
    for (const auto& special : timetext::kSpecialTexts)
        if (SameText(whole, special.text)) return TimeConstant(special.code, out);
    const intl::TimeTextSettings settings = intl::TimeTextSettingsOf(intl);
    Instant result{};
    if (STATUS s = Parser(whole, settings).Parse(&result)) return s;
    *out = result;
    return NOERROR;
}

} // namespace nnotes
