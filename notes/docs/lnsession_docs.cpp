// The session's operations that hand out text lists and date/times, and the date/time parts of the log
// entry and search options.
#include "ln/lndatetime.h"
#include "ln/lnerrors.h"
#include "ln/lnlogentry.h"
#include "ln/lnsearchoptions.h"
#include "ln/lnsession.h"
#include "ln/lnsessiontext.h"
#include "ln/lntext.h"
#include "nnotes/addin.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"
#include "nnotes/textlist.h"
#include "nnotes/timedate.h"

LNSTATUS LNNotesSession::GetServerNames(LNText* names) {
    if (const LNSTATUS status = Check()) return status;
    if (names == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    nnotes::DHANDLE list = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status =
            nnotes::GetServerList(PortName.IsEmpty() ? nullptr : LNNotesText(PortName), &list))
        return LNReturnOrThrowNotesStatus(status);
    uint32_t available = 0;
    nnotes::GetBlockSize(list, &available);
    const void* bytes = nnotes::LockBlock(list);
    uint16_t size = 0;
    nnotes::STATUS status =
        bytes == nullptr ? nnotes::ERR_BAD_HANDLE : nnotes::GetTextListSize(bytes, available, false, &size);
    LNSTATUS result = LNNOERROR;
    if (status == nnotes::NOERROR) {
        try {
            *names = LNText(LNItem(new LNTextBody(bytes, nnotes::TYPE_TEXT_LIST, size), nullptr));
        } catch (LNSTATUS thrown) {
            result = thrown;
        }
    }
    if (bytes != nullptr) nnotes::UnlockBlock(list);
    nnotes::FreeBlock(list);
    if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    return LNReturnOrThrow(result);
}

LNDatetime LNNotesSession::GetCurrentDatetime(LNDatetime* out) {
    Require();
    nnotes::Instant now;
    if (const nnotes::STATUS status = nnotes::CurrentTime(&now)) throw LNToNotesStatus(status);
    const LNDatetime result(now);
    if (out != nullptr) *out = result;
    return result;
}

LNSTATUS LNLogEntry::WriteWithDatetime(const LNDatetime& datetime, const LNString& text) {
    return LNReturnOrThrowNotesStatus(
        nnotes::LogAddTime(LogHandle, LogValue, LNNotesText(text), datetime.GetRawValue()));
}

LNDatetime LNSearchOptions::GetBeginDate() const {
    return LNDatetime(BeginTime);
}

LNDatetime LNSearchOptions::GetEndDate() const {
    return LNDatetime(EndTime);
}

LNDatetime LNSearchOptions::GetEndDateReached() const {
    return LNDatetime(EndTimeReached);
}

LNSTATUS LNSearchOptions::SetBeginDate(const LNDatetime& datetime) {
    BeginTime = *datetime.GetRawValue();
    return LNNOERROR;
}

LNSTATUS LNSearchOptions::SetEndDate(const LNDatetime& datetime) {
    EndTime = *datetime.GetRawValue();
    return LNNOERROR;
}
