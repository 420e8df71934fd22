// Calendar steps and elapsed-time steps on instants.
#include "nnotes/nnotes.h"
#include "process/process.h"
#include "time/time_calendar.h"
#include "time/time_local.h"

#include <algorithm>

namespace nnotes {
namespace {

using timecal::kHundredthsPerSecond;

// Far past the supported years, well inside what the day arithmetic handles exactly.
constexpr int64_t kMaxStepYear = 100000;

// Years, months and days on the local calendar; the clock reading and its daylight-saving side are kept
// where the new day has them.
STATUS StepCalendar(Instant* t, int32_t days, int32_t months, int32_t years) {
    timecal::CivilTime c{};
    timezone::Offset offset{};
    if (STATUS s = timelocal::ReadLocal(*t, &c, &offset)) return s;
    const int64_t monthCount = c.year * 12 + (c.month - 1) + static_cast<int64_t>(years) * 12 + months;
    c.year = monthCount >= 0 ? monthCount / 12 : -((-monthCount + 11) / 12);
    c.month = static_cast<int32_t>(monthCount - c.year * 12) + 1;
    c.day = std::min(c.day, timecal::DaysInMonth(c.year, c.month));
    timecal::CivilFromDays(timecal::DaysFromCivil(c.year, c.month, c.day) + days, &c.year, &c.month, &c.day);
    if (c.year < -kMaxStepYear || c.year > kMaxStepYear) return ERR_TIME_OUT_OF_RANGE;
    return timelocal::LocalInstant(c, offset.dst ? 1 : 0, t);
}

STATUS StepElapsed(Instant* t, int64_t hundredths) {
    int64_t utc = 0;
    if (STATUS s = timecal::DecodeInstant(*t, &utc)) return s;
    return timecal::EncodeInstant(utc + hundredths, t);
}

} // namespace

STATUS AdjustInstant(Instant* instant, int32_t seconds, int32_t minutes, int32_t hours, int32_t days,
                     int32_t months, int32_t years) {
    if (STATUS s = RequireProcess()) return s;
    if (instant == nullptr) return ERR_MISSING_ARGUMENT;
    Instant result = *instant;
    if (days != 0 || months != 0 || years != 0) {
        if (STATUS s = StepCalendar(&result, days, months, years)) return s;
    }
    const int64_t elapsed =
        (static_cast<int64_t>(hours) * 3600 + static_cast<int64_t>(minutes) * 60 + seconds) *
        kHundredthsPerSecond;
    if (STATUS s = StepElapsed(&result, elapsed)) return s;
    *instant = result;
    return NOERROR;
}

STATUS AdvanceInstant(Instant* instant, int32_t hundredths) {
    if (STATUS s = RequireProcess()) return s;
    if (instant == nullptr) return ERR_MISSING_ARGUMENT;
    Instant result = *instant;
    if (STATUS s = StepElapsed(&result, hundredths)) return s;
    *instant = result;
    return NOERROR;
}

} // namespace nnotes
