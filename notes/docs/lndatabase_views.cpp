// The database operations that hand out views and folders.
#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "ln/lnviewfolderarray.h"
#include "nnotes/idtable.h"

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

LNSTATUS LNDatabase::GetViewFolders(LNViewFolderArray* views) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (views == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNIDTable* table = nullptr;
    const LNSTATUS status = body->GetNoteTable(LNNOTECLASS_VIEW, &table);
    if (status == LNNOERROR || status == LNWARN_NOT_FOUND) views->SetBody(body, table, LNNOTECLASS_VIEW);
    return status;
}
