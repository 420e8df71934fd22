// Dates, times and ranges as text: the store writes the text of ordinary instants; the special values have
// fixed texts of their own.
#include "ln/lndatetime.h"
#include "ln/lndatetimerange.h"

#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

namespace {

// The room InstantToText may fill, and the longest text of a range (two instants and their separator).
constexpr uint16_t kInstantTextMax = 80;
constexpr uint16_t kRangeTextMax = 163;

const char* SpecialText(uint16_t specialCase) {
    switch (specialCase) {
    case LNDATETIME_MINIMUM:
        return "Minimum Valid Date";
    case LNDATETIME_MAXIMUM:
        return "Maximum Valid Date";
    case LNDATETIME_WILDCARD:
        return "Any Day//Any Time";
    default:
        return nullptr;
    }
}

} // namespace

LNSTATUS LNDatetime::GetText(LNString* text) const {
    return Text(nullptr, nullptr, text);
}

LNSTATUS LNDatetime::Text(const nnotes::TimeTextFormat* format, const nnotes::IntlSettings* intl,
                          LNString* text) const {
    if (!LNIsAPIInitialized()) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    if (!DateDefined && SpecialCase == LNDATETIME_NOTACTIVE) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (text == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (!DateDefined) {
        const char* special = SpecialText(SpecialCase);
        if (special == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
        *text = LNString(special);
        return LNNOERROR;
    }
    char buffer[kInstantTextMax];
    uint16_t length = 0;
    if (const nnotes::STATUS status =
            nnotes::InstantToText(intl, format, &Record.instant, buffer, kInstantTextMax, &length))
        return LNReturnOrThrowNotesStatus(status);
    *text = LNString(buffer, length);
    return LNNOERROR;
}

LNDatetime::operator LNString() const {
    LNString text;
    if (const LNSTATUS status = GetText(&text)) throw status;
    return text;
}

LNSTATUS LNDatetimeRange::GetText(LNString* text) const {
    return Text(nullptr, nullptr, text);
}

LNSTATUS LNDatetimeRange::Text(const nnotes::TimeTextFormat* format, const nnotes::IntlSettings* intl,
                               LNString* text) const {
    if (!LNIsAPIInitialized()) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    if (!BeginDefined || !EndDefined) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (text == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    char buffer[kRangeTextMax];
    uint16_t length = 0;
    if (const nnotes::STATUS status =
            nnotes::RangeToText(intl, format, &Range, buffer, kRangeTextMax, &length))
        return LNReturnOrThrowNotesStatus(status);
    *text = LNString(buffer, length);
    return LNNOERROR;
}
