// Text of dates and ranges in given international settings and format.
#include "ln/lndatetime.h"
#include "ln/lndatetimerange.h"
#include "ln/lninternational.h"

LNSTATUS LNDatetime::GetText(const LNDatetimeFormat& format, const LNInternational& international,
                             LNString* text) const {
    return Text(format.GetFormat(), international.GetIntlFormat(), text);
}

LNSTATUS LNDatetimeRange::GetText(const LNDatetimeFormat& format, const LNInternational& international,
                                  LNString* text) const {
    return Text(format.GetFormat(), international.GetIntlFormat(), text);
}
