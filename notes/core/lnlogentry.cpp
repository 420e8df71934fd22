#include "lnlogentry.h"

#include "lnsessiontext.h"
#include "lnstring.h"

LNSTATUS LNLogEntry::WriteWithNumber(int32_t number, const LNString& text) {
    return LNReturnOrThrowNotesStatus(nnotes::LogAddNumber(LogHandle, LogValue, LNNotesText(text), number));
}

LNSTATUS LNLogEntry::WriteWithText(const LNString& first, const LNString& second) {
    return LNReturnOrThrowNotesStatus(
        nnotes::LogAddText(LogHandle, LogValue, LNNotesText(second), LNNotesText(first)));
}
