#include "valuetext.h"

#include "libstate.h"
#include "ln/lndatetimeranges.h"
#include "ln/lndatetimes.h"
#include "ln/lnerrors.h"
#include "ln/lninternational.h"
#include "ln/lnnumbers.h"
#include "textout.h"

#include <charconv>

namespace {

// The general number form: up to 15 significant digits without trailing zeros, and the decimal separator of
// the international settings in place of the point. The digits are those of the C locale whatever locale
// the program runs in (a desktop's toolkit sets the user's), so the point is always there to be replaced.
std::string NumberText(double number, const LNInternational& international) {
    char digits[64];
    const auto written = std::to_chars(digits, digits + sizeof digits, number == 0 ? 0.0 : number,
                                       std::chars_format::general, 15);
    std::string text(digits, written.ptr);
    const std::string separator = PlatformText(international.GetShortText5());
    if (const size_t point = text.find('.'); point != std::string::npos && !separator.empty())
        text.replace(point, 1, separator);
    return text;
}

std::string DatetimeText(const LNDatetime& date, const LNInternational& international) {
    LNString text;
    if (const LNSTATUS status = date.GetText(LNDatetimeFormat(), international, &text)) throw status;
    return PlatformText(text);
}

std::string RangeText(const LNDatetimeRanges& ranges, const LNInternational& international) {
    const LNDatetimeRange first = ranges[0];
    // The single instants come before the pairs; an instant is shown alone, not as a range of itself.
    if (ranges.GetRangesBody()->GetDatetimeCount() > 0) return DatetimeText(first.GetBegin(), international);
    LNString text;
    if (const LNSTATUS status = first.GetText(LNDatetimeFormat(), international, &text)) throw status;
    return PlatformText(text);
}

} // namespace

std::string FirstEntryValueText(const LNItem& value) {
    if (value.IsNull()) return {};
    switch (value.GetType()) {
    case LNITEMTYPE_TEXT:
        return FirstEntryText(value);
    case LNITEMTYPE_NUMBERS: {
        const LNNumbers numbers = value;
        return numbers.GetCount() == 0 ? std::string() : NumberText(numbers[0], Session.GetInternational());
    }
    case LNITEMTYPE_DATETIMES: {
        const LNDatetimes dates = value;
        return dates.GetCount() == 0 ? std::string() : DatetimeText(dates[0], Session.GetInternational());
    }
    case LNITEMTYPE_DATETIMERANGES: {
        const LNDatetimeRanges ranges = value;
        return ranges.GetCount() == 0 ? std::string() : RangeText(ranges, Session.GetInternational());
    }
    default:
        throw LNERR_CONVERSION;
    }
}
