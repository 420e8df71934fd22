// Deleting documents through the entries of a navigator.
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnvfentry.h"
#include "lnvfnavigatorbody.h"
#include "nnotes/collection.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"

namespace {

// Categories and totals have no note to delete.
bool IsDocumentID(nnotes::NOTEID id) {
    return (id & nnotes::NOTEID_CATEGORY) == 0;
}

// The number of children the entry at position has in the whole collection, however deep the navigator
// reaches.
LNSTATUS ChildrenInCollection(const LNVFNavigatorBody& navigator, const LNVFPosition& position,
                              uint32_t* children) {
    LNVFPosition at = position;
    uint32_t statistics[4] = {};
    if (const LNSTATUS status = navigator.ReadStatistics(at.GetPositionData(), statistics)) return status;
    *children = statistics[1];
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
    // Entries read ahead may be of the notes deleted here: they are read again as the store has them then.
    DropAhead();
    LNDatabase database = View->GetViewDatabase();
    LN_ASSERT(!database.IsNull(), "vnavbody", 1960);
    LNSTATUS status = LNNOERROR;
    const bool reachesAll = !IsRestricted() || StartPos.GetPositionData()->MaxLevel >= 31;
    if (descendants && !reachesAll && body->GetChildCount() == 0) {
        // A navigator that stops short of the entry's children counts none, and deleting the entry alone
        // would leave its responses behind: they are beyond its reach, as deeper descendants are below.
        uint32_t children = 0;
        if (const LNSTATUS read = ChildrenInCollection(*this, body->GetPosition(), &children)) return read;
        if (children != 0) return LNERR_FOREIGN_ENTRIES;
    }
    if (!descendants || body->GetChildCount() == 0) {
        status =
            IsDocumentID(body->GetNoteID()) ? database.DeleteNote(body->GetNoteID()) : LNERR_DELETE_CATEGORY;
    } else {
        if (IsRestricted() && StartPos.GetPositionData()->MaxLevel < 31) return LNERR_FOREIGN_ENTRIES;
        // The descendants are the entries that follow in order while they stay deeper than the entry. A
        // lower bound on the level says so to every read, including the reads that go on after a full
        // buffer (the store's "next inside this entry" would re-anchor there and stop).
        LNVFPosition under = body->GetPosition();
        nnotes::CollectionPosition* position = under.GetPositionData();
        position->MinLevel = static_cast<uint8_t>(position->Level + 1);
        const auto inside = static_cast<uint16_t>(nnotes::NAVIGATE_NEXT | nnotes::NAVIGATE_MINLEVEL);
        nnotes::DHANDLE table = nnotes::NULLHANDLE;
        status = CollectIDs(position, inside, 1, inside, &table);
        if (status != LNNOERROR) return status;
        if (IsDocumentID(body->GetNoteID()))
            status = LNToNotesStatus(nnotes::InsertID(table, body->GetNoteID(), nullptr));
        if (status == LNNOERROR && nnotes::IDEntries(table) != 0)
            status = LNToNotesStatus(nnotes::DeleteNotes(database.GetHandle(), table, 0));
        nnotes::DestroyIDTable(table);
    }
    if (status == LNNOERROR) entry->Attach(nullptr);
    return status;
}
