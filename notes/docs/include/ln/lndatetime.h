// Dates and times as value objects: LNDatetime (one Notes instant with its local reading, or one of three
// special values) and LNDatetimeFormat (the codes that steer conversion to text). Every conversion,
// comparison and calendar step is the store's; these classes fix what is passed and what the object holds
// afterwards.
#pragma once

#include "ln/lnclass.h"
#include "ln/lnstring.h"
#include "nnotes/timedate.h"

#include <cstdint>

class LNInternational;

enum LNDATETIMESPECIALCASE : uint16_t {
    LNDATETIME_MINIMUM = 0,
    LNDATETIME_MAXIMUM = 1,
    LNDATETIME_WILDCARD = 2,
    LNDATETIME_NOTACTIVE = 3,
};

class LNDatetimeFormat : public LNNotesClass {
public:
    LNDatetimeFormat() = default;
    LNDatetimeFormat(const LNDatetimeFormat& other) = default;
    LNDatetimeFormat& operator=(const LNDatetimeFormat& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIMEFORMAT; }

    // The codes are the store's; this layer never interprets them.
    LNSTATUS SetDateFormat(uint8_t code);
    LNSTATUS SetTimeFormat(uint8_t code);
    LNSTATUS SetTimeZoneFormat(uint8_t code);
    LNSTATUS SetDatetimeStructure(uint8_t code);

    const nnotes::TimeTextFormat* GetFormat() const { return &Format; }

private:
    nnotes::TimeTextFormat Format{0, 0, 0, nnotes::TIME_STRUCTURE_DATETIME};
};

// A value is usable when its date is defined or when it holds one of the three special values; a default
// value is neither ("not active"). The raw-instant constructor, SetRawValue, copies and getters work without
// the API started; every other conversion needs it.
class LNDatetime : public LNNotesClass {
public:
    LNDatetime() = default;
    // Throws LNERR_SESSION_NOT_INITIALIZED.
    explicit LNDatetime(LNDATETIMESPECIALCASE code);
    // The reading of a stored instant: the three special instants are recognised, anything else is expanded
    // into the local fields (a failure is thrown as LNERR_DATE_CONVERT).
    explicit LNDatetime(const nnotes::Instant& instant);
    // Parses text. Failures go to *status when it is given and ThrowAllErrors is off, else they are thrown; a
    // value that failed to parse stays not active.
    explicit LNDatetime(const LNString& text, LNSTATUS* status = nullptr);
    LNDatetime(const LNDatetime& other);
    ~LNDatetime() override = default;

    LNDatetime& operator=(const LNDatetime& other);
    // Both throw every failure.
    LNDatetime& operator=(LNDATETIMESPECIALCASE code);
    LNDatetime& operator=(const LNString& text);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIME; }

    // Takes the instant as an ordinary date (no special values); instant must not be null.
    LNSTATUS SetRawValue(const nnotes::Instant* instant);
    // The stored instant; the value must be usable.
    const nnotes::Instant* GetRawValue() const;

    // Getters need a defined date (else LNERR_NOT_INITIALIZED, returned by the two status getters, thrown by
    // the others).
    LNSTATUS GetDate(int32_t* month, int32_t* day, int32_t* year) const;
    LNSTATUS GetTime(int32_t* hour, int32_t* minute, int32_t* second, int32_t* hundredth) const;
    int32_t GetDay() const;
    int32_t GetDayOfWeek() const;
    int32_t GetHour() const;
    int32_t GetHundredth() const;
    int32_t GetMinute() const;
    int32_t GetMonth() const;
    int32_t GetSecond() const;
    int32_t GetTimeZone() const;
    int32_t GetYear() const;
    bool IsDST() const;
    bool IsDateDefined() const { return DateDefined != 0; }
    bool IsSpecialCaseSet() const { return SpecialCase != 0; }

    LNSTATUS GetText(LNString* text) const;
    LNSTATUS GetText(const LNDatetimeFormat& format, const LNInternational& international,
                     LNString* text) const;
    // Throws a failure of GetText.
    operator LNString() const;

    // Setters of a value that is not defined start from the present moment. A failure leaves the value as it
    // was and returns LNERR_DATE_CONVERT (LNERR_DATE_ADJUST when the store refuses the calendar step).
    LNSTATUS SetDate(int32_t month, int32_t day);
    LNSTATUS SetDate(int32_t month, int32_t day, int32_t year);
    LNSTATUS SetDay(int32_t day);
    LNSTATUS SetMonth(int32_t month);
    LNSTATUS SetYear(int32_t year);
    LNSTATUS SetHour(int32_t hour);
    LNSTATUS SetMinute(int32_t minute);
    LNSTATUS SetSecond(int32_t second);
    LNSTATUS SetHundredth(int32_t hundredth);
    LNSTATUS SetTime(int32_t hour, int32_t minute, int32_t second, int32_t hundredth);
    // Keeps the local reading and moves the instant.
    LNSTATUS SetTimeZone(int32_t zone);

    LNSTATUS AdjustDay(int32_t days);
    LNSTATUS AdjustHour(int32_t hours);
    LNSTATUS AdjustHundredth(int32_t hundredths);
    LNSTATUS AdjustMinute(int32_t minutes);
    LNSTATUS AdjustMonth(int32_t months);
    LNSTATUS AdjustSecond(int32_t seconds);
    LNSTATUS AdjustYear(int32_t years);
    // Keeps the instant and changes the local reading to that of zone.
    LNSTATUS ConvertToZone(int32_t zone);

    // Compare the instants; a value that is not active throws LNERR_NOT_INITIALIZED.
    bool operator==(const LNDatetime& other) const { return Compare(other) == 0; }
    bool operator!=(const LNDatetime& other) const { return Compare(other) != 0; }
    bool operator<(const LNDatetime& other) const { return Compare(other) < 0; }
    bool operator<=(const LNDatetime& other) const { return Compare(other) <= 0; }
    bool operator>(const LNDatetime& other) const { return Compare(other) > 0; }
    bool operator>=(const LNDatetime& other) const { return Compare(other) >= 0; }

private:
    friend class LNDatetimeRange;
    struct FieldWriter;

    // Sets one of the special values (DateDefined 0).
    void SetSpecial(LNDATETIMESPECIALCASE code);
    // Parses text into this value and returns the unfiltered status.
    LNSTATUS Parse(const LNString& text);
    LNSTATUS SetFields(const FieldWriter& writer);
    // Hundredths move by elapsed time alone; the other counts step the calendar.
    LNSTATUS Adjust(int32_t hundredths, int32_t seconds, int32_t minutes, int32_t hours, int32_t days,
                    int32_t months, int32_t years);
    LNSTATUS Text(const nnotes::TimeTextFormat* format, const nnotes::IntlSettings* intl,
                  LNString* text) const;
    int32_t Field(int32_t nnotes::TimeRecord::*field) const;
    int Compare(const LNDatetime& other) const;

    // The store reads and writes this record in place.
    nnotes::TimeRecord Record{};
    uint32_t DateDefined = 0;
    uint16_t SpecialCase = LNDATETIME_NOTACTIVE;
};
