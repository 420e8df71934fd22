#include "ln/lnsearchoptions.h"

#include "ln/lnerrors.h"
#include "ln/lnstring.h"
#include "nnotes/timedate.h"

#include <cstring>

namespace {

// Every bit set: the value the search treats as "no limit given".
constexpr nnotes::Instant kUnset = {{0xFFFFFFFFu, 0xFFFFFFFFu}};

} // namespace

LNSearchOptions::LNSearchOptions() : BeginTime(kUnset), EndTimeReached(kUnset), EndTime(kUnset) {}

LNSTATUS LNSearchOptions::Parse(const LNString& text, nnotes::Instant* out) {
    if (text.IsEmpty()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    const char* platform = text.GetPlatformTextPtr();
    const auto length = static_cast<uint16_t>(strnlen(platform, 80));
    return LNReturnOrThrowNotesStatus(nnotes::ConvertTextToTime(nullptr, nullptr, platform, length, out));
}

LNSTATUS LNSearchOptions::SetBeginDate(const LNString& text) {
    return Parse(text, &BeginTime);
}

LNSTATUS LNSearchOptions::SetEndDate(const LNString& text) {
    return Parse(text, &EndTime);
}
