// The session's log entries and its server add-in.
#include "ln/lnerrors.h"
#include "ln/lnlogentry.h"
#include "ln/lnserveraddin.h"
#include "ln/lnsession.h"
#include "ln/lnsessiontext.h"
#include "nnotes/addin.h"
#include "nnotes/status.h"

LNSTATUS LNNotesSession::OpenLogEntry(LNLogEntry* entry, const LNString& name) {
    if (const LNSTATUS status = Check()) return status;
    if (entry == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if (entry->LogHandle != 0) return LNReturnOrThrow(LNERR_INVALID_LOG_ENTRY);
    return LNReturnOrThrowNotesStatus(nnotes::OpenLogEntry(LNNotesText(name), &entry->LogHandle));
}

LNSTATUS LNNotesSession::CloseLogEntry(LNLogEntry* entry) {
    if (const LNSTATUS status = Check()) return status;
    if (entry == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if (entry->LogHandle == 0) return LNReturnOrThrow(LNERR_INVALID_LOG_ENTRY);
    if (const nnotes::STATUS status = nnotes::CloseLogEntry(entry->LogHandle, entry->LogValue))
        return LNReturnOrThrowNotesStatus(status);
    entry->LogHandle = 0;
    entry->LogValue = 0;
    return LNNOERROR;
}

LNSTATUS LNNotesSession::DiscardLogEntry(LNLogEntry* entry) {
    Require();
    if (entry == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if (entry->LogHandle == 0) return LNReturnOrThrow(LNERR_INVALID_LOG_ENTRY);
    nnotes::DiscardLogEntry(entry->LogHandle, entry->LogValue);
    entry->LogHandle = 0;
    entry->LogValue = 0;
    return LNNOERROR;
}

LNSTATUS LNNotesSession::AddServerAddin(const LNString& taskName, const LNString& statusText,
                                        LNServerAddin* addin) {
    if (const LNSTATUS status = Check()) return status;
    if (addin == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if (ServerAddin != nullptr) return LNReturnOrThrow(LNERR_ADDIN_ALREADY_INITIALIZED);
    if (const LNSTATUS status = addin->Initialize(taskName, statusText)) return status;
    addin->AddinSession = this;
    ServerAddin = addin;
    return LNNOERROR;
}
