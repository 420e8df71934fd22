// Deleting documents through the entries of a navigator.
#include "lnassert.h"
#include "lnerrors.h"
#include "lnvfentry.h"
#include "lnvfnavigatorbody.h"

namespace {

// Categories and totals have no note to delete.
bool IsDocumentID(nnotes::NOTEID id) {
    return (id & nnotes::NOTEID_CATEGORY) == 0;
}

// Deletes every document of the table; the first failure ends the work.
LNSTATUS DeleteDocuments(LNDatabase& database, nnotes::DHANDLE table) {
    nnotes::NOTEID id = 0;
    for (bool first = true; nnotes::IDScan(table, first, &id) == nnotes::NOERROR; first = false) {
        if (!IsDocumentID(id)) continue;
        if (const LNSTATUS status = database.DeleteNote(id)) return status;
    }
    return LNNOERROR;
}

} // namespace

LNSTATUS LNVFNavigatorBody::DeleteEntry(LNVFEntry* entry, bool descendants) {
    if (Collection == 0) return Status;
    if (entry == nullptr) return LNERR_NULL_POINTER;
    if (descendants && IsFTSearch()) return LNERR_FT_NAVIGATOR;
    LNVFEntryBody* body = entry->GetVFEntryBody();
    if (body == nullptr) return LNERR_UNINITIALIZED_OBJECT;
    if (body->GetNavigator().GetVFNavigatorBody() != this) return LNERR_FOREIGN_ENTRIES;
    if (!descendants && (body->IsCategoryOrTotal())) return LNERR_DELETE_CATEGORY;
    LNDatabase database = View->GetViewDatabase();
    LN_ASSERT(!database.IsNull(), "vnavbody", 1960);
    LNSTATUS status = LNNOERROR;
    if (!descendants || body->GetChildCount() == 0) {
        status =
            IsDocumentID(body->GetNoteID()) ? database.DeleteNote(body->GetNoteID()) : LNERR_DELETE_CATEGORY;
    } else {
        if (IsRestricted() && StartPos.GetPositionData()->MaxLevel < 31) return LNERR_FOREIGN_ENTRIES;
        LNVFPosition under = body->GetPosition();
        nnotes::DHANDLE table = nnotes::NULLHANDLE;
        status = CollectIDs(under.GetPositionData(), nnotes::NAVIGATE_NEXT, 1,
                            nnotes::NAVIGATE_NEXT_DESCENDANT, &table);
        if (status != LNNOERROR) return status;
        status = LNToNotesStatus(nnotes::InsertID(table, body->GetNoteID(), nullptr));
        if (status == LNNOERROR) status = DeleteDocuments(database, table);
        nnotes::DestroyIDTable(table);
    }
    if (status == LNNOERROR) entry->Attach(nullptr);
    return status;
}
