// The database operations that hand out views and folders.
#include "lndatabase.h"
#include "lnerrors.h"
#include "lnviewfolder.h"

LNSTATUS LNDatabase::GetViewFolder(const LNString& name, LNViewFolder* view) const {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (name.IsEmpty() || view == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    nnotes::NOTEID id = 0;
    if (const LNSTATUS status = body->FindDesignNote(name, LNNOTECLASS_VIEW, &id))
        return LNReturnOrThrow(status);
    view->SetNoteID(body, id);
    return LNNOERROR;
}

LNSTATUS LNDatabase::DeleteViewFolder(LNViewFolder* view) {
    return DeleteNote(view);
}
