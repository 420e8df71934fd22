// The note's font table as a typed handle: the note knows only the item body, this module the class.
#include "ln/lnerrors.h"
#include "ln/lnfonttable.h"
#include "ln/lnnote.h"

LNSTATUS LNNote::GetFontTable(LNFontTable* table) const {
    if (table == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (IsNull()) return LNReturnOrThrow(GetNoteID() != 0 ? LNERR_NOTE_NOT_OPEN : LNERR_NOT_INITIALIZED);
    LNItemBody* body = GetNoteBody()->GetFontTableBody();
    *table = body != nullptr && body->GetClassID() == LNCLASSID_LNFONTTABLEBODY
                 ? static_cast<LNFontTableBody*>(body)
                 : static_cast<LNFontTableBody*>(nullptr);
    return table->IsNull() ? LNWARN_NOT_FOUND : LNNOERROR;
}
