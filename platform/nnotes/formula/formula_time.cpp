// Times in formulas.
#include "formula/formula_time.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace nnotes::formula {
namespace {

constexpr int64_t kHundredthsPerDay = 8640000;
// Ten thousand years and then some: any larger move leaves the calendar.
constexpr double kMaxSeconds = 4e11;

bool IsOrdinary(const Instant& t) {
    Instant probe = t;
    return AdvanceInstant(&probe, 0) == NOERROR;
}

int64_t HundredthsOf(const Instant& t) {
    return static_cast<int64_t>(t.words[1] & 0x00FFFFFF) * kHundredthsPerDay + t.words[0];
}

} // namespace

STATUS Now(Instant* out) {
    return CurrentTime(out);
}

STATUS Today(Instant* out) {
    TimeRecord r{};
    STATUS s = CurrentTime(&r.instant);
    if (s == NOERROR) s = InstantToFields(&r);
    if (s != NOERROR) return s;
    r.hour = r.minute = r.second = r.hundredth = 0;
    s = FieldsToInstant(&r);
    if (s == NOERROR) *out = r.instant;
    return s;
}

STATUS CompareTimes(const Instant& a, const Instant& b, int* result) {
    return CompareInstants(&a, &b, result);
}

STATUS TimeText(const Instant& t, std::string* out) {
    char buf[80];
    uint16_t length = 0;
    const STATUS s = InstantToText(nullptr, nullptr, &t, buf, sizeof buf, &length);
    if (s == NOERROR) out->assign(buf, length);
    return s;
}

STATUS AddSeconds(const Instant& t, double seconds, Instant* out) {
    if (!std::isfinite(seconds) || std::fabs(seconds) > kMaxSeconds || !IsOrdinary(t))
        return ERR_FORMULA_NUMBER_RANGE;
    auto left = static_cast<int64_t>(std::llround(seconds * 100));
    Instant moved = t;
    // The library moves at most 2^31 hundredths (about 248 days) at a time.
    while (left != 0) {
        const int64_t step = std::clamp<int64_t>(left, std::numeric_limits<int32_t>::min() + 1,
                                                 std::numeric_limits<int32_t>::max());
        if (AdvanceInstant(&moved, static_cast<int32_t>(step)) != NOERROR) return ERR_FORMULA_NUMBER_RANGE;
        left -= step;
    }
    *out = moved;
    return NOERROR;
}

STATUS SecondsBetween(const Instant& a, const Instant& b, double* out) {
    if (!IsOrdinary(a) || !IsOrdinary(b)) return ERR_FORMULA_NUMBER_RANGE;
    *out = static_cast<double>(HundredthsOf(a) - HundredthsOf(b)) / 100.0;
    return NOERROR;
}

} // namespace nnotes::formula
