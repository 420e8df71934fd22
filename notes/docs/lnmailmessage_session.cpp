// The session's new mail message: a memo in the user's mail database.
#include "ln/lnerrors.h"
#include "ln/lnmailmessage.h"
#include "ln/lnsession.h"

LNSTATUS LNNotesSession::CreateMailMessage(LNMailMessage* message) {
    if (const LNSTATUS status = Check()) return status;
    if (message == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    LNDatabase mail;
    if (const LNSTATUS status = GetMailDatabase(&mail)) return status;
    const LNSTATUS opened = mail.Open();
    if (opened != LNNOERROR && opened != LNWARN_ALREADY_OPEN) return opened;
    LNSTATUS status = LNNOERROR;
    auto* body = new LNDocumentBody(mail.GetDatabaseBody(), &status, LNMAILMSGTYPE_MEMO);
    if (status != LNNOERROR) {
        delete body;
        return LNReturnOrThrow(status);
    }
    if (opened == LNNOERROR) body->TakeDatabaseOpen();
    message->SetNoteBody(body);
    return LNNOERROR;
}
