// Text of dates and ranges in given international settings and format.
#include "lndatetime.h"
#include "lndatetimerange.h"
#include "lninternational.h"

LNSTATUS LNDatetime::GetText(const LNDatetimeFormat& format, const LNInternational& international,
                             LNString* text) const {
    return Text(format.GetFormat(), international.GetIntlFormat(), text);
}

LNSTATUS LNDatetimeRange::GetText(const LNDatetimeFormat& format, const LNInternational& international,
                                  LNString* text) const {
    return Text(format.GetFormat(), international.GetIntlFormat(), text);
}
