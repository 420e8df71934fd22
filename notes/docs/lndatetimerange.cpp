#include "ln/lndatetimerange.h"

#include "ln/lnassert.h"
#include "nnotes/timedate.h"

namespace {

constexpr nnotes::Instant kUndefined{{0xFFFFFFFFu, 0xFFFFFFFFu}};

} // namespace

LNDatetimeRange::LNDatetimeRange(const LNDatetime& date) {
    if (date.IsDateDefined()) *this = date;
}

LNDatetimeRange::LNDatetimeRange(const nnotes::TimeRange& range)
    : Range(range), BeginDefined(1), EndDefined(1) {}

LNDatetimeRange::LNDatetimeRange(const nnotes::Instant* instant) {
    LN_ASSERT(instant != nullptr, "lndtime", 2960);
    Range.begin = Range.end = *instant;
    BeginDefined = EndDefined = 1;
}

LNDatetimeRange& LNDatetimeRange::operator=(const LNDatetime& date) {
    if (date.IsDateDefined()) {
        Range.begin = Range.end = *date.GetRawValue();
        BeginDefined = EndDefined = 1;
        return *this;
    }
    // The maximum and the wildcard keep their stored instants but count as no date; the minimum and a value
    // that is not active (which has no instant) leave both ends open.
    const bool special = date.SpecialCase == LNDATETIME_MAXIMUM || date.SpecialCase == LNDATETIME_WILDCARD;
    Range.begin = Range.end = special ? date.Record.instant : kUndefined;
    BeginDefined = EndDefined = 0;
    return *this;
}

LNSTATUS LNDatetimeRange::SetBegin(const LNDatetime& date) {
    BeginDefined = date.IsDateDefined() ? 1 : 0;
    Range.begin = BeginDefined ? *date.GetRawValue() : kUndefined;
    return LNNOERROR;
}

LNSTATUS LNDatetimeRange::SetEnd(const LNDatetime& date) {
    EndDefined = date.IsDateDefined() ? 1 : 0;
    Range.end = EndDefined ? *date.GetRawValue() : kUndefined;
    return LNNOERROR;
}
