#include "ln/lndatetime.h"

#include "ln/lnapi.h"
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

#include <cstring>

namespace {

void RequireAPI() {
    if (!LNIsAPIInitialized()) throw LNERR_SESSION_NOT_INITIALIZED;
}

bool SameInstant(const nnotes::Instant& a, uint32_t word0, uint32_t word1) {
    return a.words[0] == word0 && a.words[1] == word1;
}

} // namespace

LNSTATUS LNDatetimeFormat::SetDateFormat(uint8_t code) {
    Format.dateFormat = code;
    return LNNOERROR;
}

LNSTATUS LNDatetimeFormat::SetTimeFormat(uint8_t code) {
    Format.timeFormat = code;
    return LNNOERROR;
}

LNSTATUS LNDatetimeFormat::SetTimeZoneFormat(uint8_t code) {
    Format.zoneFormat = code;
    return LNNOERROR;
}

LNSTATUS LNDatetimeFormat::SetDatetimeStructure(uint8_t code) {
    Format.structure = code;
    return LNNOERROR;
}

LNDatetime::LNDatetime(LNDATETIMESPECIALCASE code) {
    RequireAPI();
    SetSpecial(code);
}

LNDatetime::LNDatetime(const nnotes::Instant& instant) {
    Record.instant = instant;
    if (SameInstant(instant, 0, 0)) {
        SpecialCase = LNDATETIME_MINIMUM;
    } else if (SameInstant(instant, 0, 0x00FFFFFF)) {
        SpecialCase = LNDATETIME_MAXIMUM;
    } else if (SameInstant(instant, 0xFFFFFFFF, 0xFFFFFFFF)) {
        SpecialCase = LNDATETIME_WILDCARD;
    } else {
        if (nnotes::InstantToFields(&Record) != nnotes::NOERROR) throw LNERR_DATE_CONVERT;
        DateDefined = 1;
    }
}

LNDatetime::LNDatetime(const LNString& text, LNSTATUS* status) {
    const LNSTATUS result = Parse(text);
    if (status != nullptr) *status = result;
    if (result != LNNOERROR && (status == nullptr || LNGetThrowAllErrors())) throw result;
}

LNDatetime::LNDatetime(const LNDatetime& other)
    : LNNotesClass(other), Record(other.Record), DateDefined(other.DateDefined),
      SpecialCase(other.SpecialCase) {}

LNDatetime& LNDatetime::operator=(const LNDatetime& other) {
    if (this == &other) return *this;
    LNNotesClass::operator=(other);
    Record = other.Record;
    DateDefined = other.DateDefined;
    SpecialCase = other.SpecialCase;
    return *this;
}

LNDatetime& LNDatetime::operator=(LNDATETIMESPECIALCASE code) {
    RequireAPI();
    SetSpecial(code);
    // A special instant expands to all-zero fields, so the fields never keep an older reading.
    if (nnotes::InstantToFields(&Record) != nnotes::NOERROR) throw LNERR_DATE_CONVERT;
    return *this;
}

LNDatetime& LNDatetime::operator=(const LNString& text) {
    if (const LNSTATUS status = Parse(text)) throw status;
    return *this;
}

void LNDatetime::SetSpecial(LNDATETIMESPECIALCASE code) {
    nnotes::Instant instant{};
    if (const nnotes::STATUS status = nnotes::TimeConstant(code, &instant)) throw LNSTATUS{status};
    Record.instant = instant;
    DateDefined = 0;
    SpecialCase = code;
}

LNSTATUS LNDatetime::Parse(const LNString& text) {
    if (!LNIsAPIInitialized()) return LNERR_SESSION_NOT_INITIALIZED;
    if (text.IsEmpty()) return LNERR_INVALID_PARAMETER;
    // The store reads at most 80 bytes; a longer text would be parsed cut short into a different date.
    const uint32_t length = text.GetPlatformTextLength();
    if (length > 80) return LNERR_STRING_TOO_LONG;
    nnotes::TimeRecord parsed = Record;
    if (const nnotes::STATUS status = nnotes::ConvertTextToTime(
            nullptr, nullptr, text.GetPlatformTextPtr(), static_cast<uint16_t>(length), &parsed.instant))
        return LNToNotesStatus(status);
    if (nnotes::InstantToFields(&parsed) != nnotes::NOERROR) return LNERR_DATE_CONVERT;
    Record = parsed;
    DateDefined = 1;
    SpecialCase = LNDATETIME_NOTACTIVE;
    return LNNOERROR;
}

LNSTATUS LNDatetime::SetRawValue(const nnotes::Instant* instant) {
    LN_ASSERT(instant != nullptr, "lndtime", 2050);
    nnotes::TimeRecord expanded = Record;
    expanded.instant = *instant;
    if (nnotes::InstantToFields(&expanded) != nnotes::NOERROR) return LNReturnOrThrow(LNERR_DATE_CONVERT);
    Record = expanded;
    DateDefined = 1;
    SpecialCase = LNDATETIME_NOTACTIVE;
    return LNNOERROR;
}

const nnotes::Instant* LNDatetime::GetRawValue() const {
    LN_ASSERT(DateDefined != 0 || SpecialCase != LNDATETIME_NOTACTIVE, "lndtime", 1790);
    return &Record.instant;
}

LNSTATUS LNDatetime::GetDate(int32_t* month, int32_t* day, int32_t* year) const {
    if (!DateDefined) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (month != nullptr) *month = Record.month;
    if (day != nullptr) *day = Record.day;
    if (year != nullptr) *year = Record.year;
    return LNNOERROR;
}

LNSTATUS LNDatetime::GetTime(int32_t* hour, int32_t* minute, int32_t* second, int32_t* hundredth) const {
    if (!DateDefined) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (hour != nullptr) *hour = Record.hour;
    if (minute != nullptr) *minute = Record.minute;
    if (second != nullptr) *second = Record.second;
    if (hundredth != nullptr) *hundredth = Record.hundredth;
    return LNNOERROR;
}

int32_t LNDatetime::Field(int32_t nnotes::TimeRecord::*field) const {
    if (!DateDefined) throw LNERR_NOT_INITIALIZED;
    return Record.*field;
}

int32_t LNDatetime::GetDay() const {
    return Field(&nnotes::TimeRecord::day);
}
int32_t LNDatetime::GetDayOfWeek() const {
    return Field(&nnotes::TimeRecord::weekday);
}
int32_t LNDatetime::GetHour() const {
    return Field(&nnotes::TimeRecord::hour);
}
int32_t LNDatetime::GetHundredth() const {
    return Field(&nnotes::TimeRecord::hundredth);
}
int32_t LNDatetime::GetMinute() const {
    return Field(&nnotes::TimeRecord::minute);
}
int32_t LNDatetime::GetMonth() const {
    return Field(&nnotes::TimeRecord::month);
}
int32_t LNDatetime::GetSecond() const {
    return Field(&nnotes::TimeRecord::second);
}
int32_t LNDatetime::GetTimeZone() const {
    return Field(&nnotes::TimeRecord::zone);
}
int32_t LNDatetime::GetYear() const {
    return Field(&nnotes::TimeRecord::year);
}

bool LNDatetime::IsDST() const {
    if (!DateDefined) throw LNERR_NOT_INITIALIZED;
    return Record.dst != 0;
}

int LNDatetime::Compare(const LNDatetime& other) const {
    RequireAPI();
    if ((!DateDefined && SpecialCase == LNDATETIME_NOTACTIVE) ||
        (!other.DateDefined && other.SpecialCase == LNDATETIME_NOTACTIVE))
        throw LNERR_NOT_INITIALIZED;
    int result = 0;
    if (const nnotes::STATUS status =
            nnotes::CompareInstants(&Record.instant, &other.Record.instant, &result))
        throw LNSTATUS{status};
    return result;
}
