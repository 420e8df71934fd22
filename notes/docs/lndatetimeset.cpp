// Setting and moving the fields of an LNDatetime. The store computes every instant; a failed step leaves the
// value as it was.
#include "ln/lndatetime.h"

#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

// Which fields a setter writes and how it starts from the present when the value holds no date yet.
struct LNDatetime::FieldWriter {
    // Date fields move the daylight-saving flag with the new date before the real conversion.
    bool dateFields;
    bool clearHundredth;
    int32_t nnotes::TimeRecord::*fields[4];
    int32_t values[4];

    void Write(nnotes::TimeRecord& record) const {
        for (int i = 0; i < 4 && fields[i] != nullptr; ++i)
            record.*fields[i] = values[i];
    }
};

namespace {

using Writer = int32_t nnotes::TimeRecord::*;
constexpr Writer kMonth = &nnotes::TimeRecord::month;
constexpr Writer kDay = &nnotes::TimeRecord::day;
constexpr Writer kYear = &nnotes::TimeRecord::year;
constexpr Writer kHour = &nnotes::TimeRecord::hour;
constexpr Writer kMinute = &nnotes::TimeRecord::minute;
constexpr Writer kSecond = &nnotes::TimeRecord::second;
constexpr Writer kHundredth = &nnotes::TimeRecord::hundredth;
constexpr Writer kZone = &nnotes::TimeRecord::zone;

} // namespace

LNSTATUS LNDatetime::SetFields(const FieldWriter& writer) {
    if (!LNIsAPIInitialized()) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    nnotes::TimeRecord work = Record;
    if (!DateDefined) {
        if (nnotes::CurrentTime(&work.instant) != nnotes::NOERROR ||
            nnotes::InstantToFields(&work) != nnotes::NOERROR)
            return LNReturnOrThrow(LNERR_DATE_CONVERT);
        if (writer.clearHundredth) work.hundredth = 0;
    }
    if (writer.dateFields) {
        // A value on this workstation's clock (its zone and daylight-saving flag those of its instant, as for
        // every value read from an item) stays on it: the new date takes the zone in force then as well as
        // its daylight-saving flag, where a zone's standard offset changed over the years or its daylight
        // saving is not a whole hour. A value given a zone of its own keeps it.
        nnotes::TimeRecord local = work;
        const bool onLocalClock = nnotes::InstantToFields(&local) == nnotes::NOERROR &&
                                  local.zone == work.zone && local.dst == work.dst;
        nnotes::TimeRecord probe = work;
        writer.Write(probe);
        if (nnotes::FieldsToInstant(&probe) != nnotes::NOERROR) return LNReturnOrThrow(LNERR_DATE_CONVERT);
        if (nnotes::AdjustInstant(&probe.instant, 0, 0, 0, 0, 0, 0) != nnotes::NOERROR)
            return LNReturnOrThrow(LNERR_DATE_ADJUST);
        if (nnotes::InstantToFields(&probe) != nnotes::NOERROR) return LNReturnOrThrow(LNERR_DATE_CONVERT);
        work.dst = probe.dst;
        if (onLocalClock) work.zone = probe.zone;
    }
    writer.Write(work);
    if (nnotes::FieldsToInstant(&work) != nnotes::NOERROR) return LNReturnOrThrow(LNERR_DATE_CONVERT);
    Record = work;
    DateDefined = 1;
    SpecialCase = LNDATETIME_NOTACTIVE;
    return LNNOERROR;
}

LNSTATUS LNDatetime::SetDate(int32_t month, int32_t day) {
    return SetFields({true, true, {kMonth, kDay, nullptr, nullptr}, {month, day, 0, 0}});
}

LNSTATUS LNDatetime::SetDate(int32_t month, int32_t day, int32_t year) {
    return SetFields({true, true, {kMonth, kDay, kYear, nullptr}, {month, day, year, 0}});
}

LNSTATUS LNDatetime::SetDay(int32_t day) {
    return SetFields({true, true, {kDay, nullptr, nullptr, nullptr}, {day, 0, 0, 0}});
}

LNSTATUS LNDatetime::SetMonth(int32_t month) {
    return SetFields({true, true, {kMonth, nullptr, nullptr, nullptr}, {month, 0, 0, 0}});
}

LNSTATUS LNDatetime::SetYear(int32_t year) {
    return SetFields({true, true, {kYear, nullptr, nullptr, nullptr}, {year, 0, 0, 0}});
}

LNSTATUS LNDatetime::SetHour(int32_t hour) {
    return SetFields({false, true, {kHour, nullptr, nullptr, nullptr}, {hour, 0, 0, 0}});
}

LNSTATUS LNDatetime::SetMinute(int32_t minute) {
    return SetFields({false, true, {kMinute, nullptr, nullptr, nullptr}, {minute, 0, 0, 0}});
}

LNSTATUS LNDatetime::SetSecond(int32_t second) {
    return SetFields({false, true, {kSecond, nullptr, nullptr, nullptr}, {second, 0, 0, 0}});
}

LNSTATUS LNDatetime::SetHundredth(int32_t hundredth) {
    return SetFields({false, true, {kHundredth, nullptr, nullptr, nullptr}, {hundredth, 0, 0, 0}});
}

LNSTATUS LNDatetime::SetTime(int32_t hour, int32_t minute, int32_t second, int32_t hundredth) {
    return SetFields(
        {false, false, {kHour, kMinute, kSecond, kHundredth}, {hour, minute, second, hundredth}});
}

LNSTATUS LNDatetime::SetTimeZone(int32_t zone) {
    return SetFields({false, false, {kZone, nullptr, nullptr, nullptr}, {zone, 0, 0, 0}});
}

LNSTATUS LNDatetime::Adjust(int32_t hundredths, int32_t seconds, int32_t minutes, int32_t hours, int32_t days,
                            int32_t months, int32_t years) {
    if (!LNIsAPIInitialized()) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    if (!DateDefined) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    nnotes::TimeRecord work = Record;
    const nnotes::STATUS moved =
        hundredths != 0 ? nnotes::AdvanceInstant(&work.instant, hundredths)
                        : nnotes::AdjustInstant(&work.instant, seconds, minutes, hours, days, months, years);
    if (moved != nnotes::NOERROR) return LNReturnOrThrow(LNERR_DATE_ADJUST);
    if (nnotes::InstantToFields(&work) != nnotes::NOERROR) return LNReturnOrThrow(LNERR_DATE_CONVERT);
    Record = work;
    return LNNOERROR;
}

LNSTATUS LNDatetime::AdjustDay(int32_t days) {
    return Adjust(0, 0, 0, 0, days, 0, 0);
}
LNSTATUS LNDatetime::AdjustHour(int32_t hours) {
    return Adjust(0, 0, 0, hours, 0, 0, 0);
}
LNSTATUS LNDatetime::AdjustHundredth(int32_t hundredths) {
    return Adjust(hundredths, 0, 0, 0, 0, 0, 0);
}
LNSTATUS LNDatetime::AdjustMinute(int32_t minutes) {
    return Adjust(0, 0, minutes, 0, 0, 0, 0);
}
LNSTATUS LNDatetime::AdjustMonth(int32_t months) {
    return Adjust(0, 0, 0, 0, 0, months, 0);
}
LNSTATUS LNDatetime::AdjustSecond(int32_t seconds) {
    return Adjust(0, seconds, 0, 0, 0, 0, 0);
}
LNSTATUS LNDatetime::AdjustYear(int32_t years) {
    return Adjust(0, 0, 0, 0, 0, 0, years);
}

LNSTATUS LNDatetime::ConvertToZone(int32_t zone) {
    if (!LNIsAPIInitialized()) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    if (!DateDefined) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    nnotes::TimeRecord work = Record;
    work.zone = zone;
    if (nnotes::InstantToZoneFields(&work) != nnotes::NOERROR ||
        nnotes::FieldsToInstant(&work) != nnotes::NOERROR)
        return LNReturnOrThrow(LNERR_DATE_CONVERT);
    Record = work;
    return LNNOERROR;
}
