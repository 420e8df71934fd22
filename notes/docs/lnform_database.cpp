// The database operations that hand out forms.
#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "ln/lnform.h"

LNSTATUS LNDatabase::GetForm(const LNString& name, LNForm* form) const {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    return LNPointAtDesignNote(body, name, LNNOTECLASS_FORM, form);
}

LNSTATUS LNDatabase::DeleteForm(LNForm* form) {
    return DeleteNote(form);
}

LNSTATUS LNDatabase::GetForms(LNFormArray* forms) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (forms == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNIDTable* table = nullptr;
    const LNSTATUS status = body->GetNoteTable(LNNOTECLASS_FORM, &table);
    if (status == LNNOERROR || status == LNWARN_NOT_FOUND) forms->SetBody(body, table, LNNOTECLASS_FORM);
    return status;
}
