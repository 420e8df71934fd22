#include "ln/lnlogentry.h"

#include "ln/lnsessiontext.h"
#include "ln/lnstring.h"
#include "nnotes/addin.h"

LNSTATUS LNLogEntry::WriteWithNumber(int32_t number, const LNString& text) {
    return LNReturnOrThrowNotesStatus(nnotes::LogAddNumber(LogHandle, LogValue, LNNotesText(text), number));
}

LNSTATUS LNLogEntry::WriteWithText(const LNString& first, const LNString& second) {
    return LNReturnOrThrowNotesStatus(
        nnotes::LogAddText(LogHandle, LogValue, LNNotesText(second), LNNotesText(first)));
}
