// LNDatetimeRange: a pair of instants, begin first, as range items store it. An end that is not defined holds
// all ones in both words (which reads back as the wildcard value).
#pragma once

#include "ln/lndatetime.h"
#include "nnotes/timedate.h"

class LNDatetimeRange : public LNNotesClass {
public:
    LNDatetimeRange() = default;
    explicit LNDatetimeRange(const LNDatetime& date);
    explicit LNDatetimeRange(const nnotes::TimeRange& range);
    // Both ends at instant, which must not be null.
    explicit LNDatetimeRange(const nnotes::Instant* instant);
    LNDatetimeRange(const LNDatetimeRange& other) = default;
    ~LNDatetimeRange() override = default;

    LNDatetimeRange& operator=(const LNDatetimeRange& other) = default;
    LNDatetimeRange& operator=(const LNDatetime& date);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIMERANGE; }

    LNSTATUS SetBegin(const LNDatetime& date);
    LNSTATUS SetEnd(const LNDatetime& date);
    LNDatetime GetBegin() const { return LNDatetime(Range.begin); }
    LNDatetime GetEnd() const { return LNDatetime(Range.end); }
    const nnotes::TimeRange* GetRawValue() const { return &Range; }
    bool IsBeginDefined() const { return BeginDefined != 0; }
    bool IsEndDefined() const { return EndDefined != 0; }

    // Both ends must be defined (else LNERR_NOT_INITIALIZED).
    LNSTATUS GetText(LNString* text) const;
    LNSTATUS GetText(const LNDatetimeFormat& format, const LNInternational& international,
                     LNString* text) const;

private:
    LNSTATUS Text(const nnotes::TimeTextFormat* format, const nnotes::IntlSettings* intl,
                  LNString* text) const;

    nnotes::TimeRange Range{{{0xFFFFFFFFu, 0xFFFFFFFFu}}, {{0xFFFFFFFFu, 0xFFFFFFFFu}}};
    uint32_t BeginDefined = 0;
    uint32_t EndDefined = 0;
};
