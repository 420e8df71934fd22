// Counting a navigator's entries and reading them by index or at a position.
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnvfentry.h"
#include "lnvfnavigatorbody.h"
#include "nnotes/collection.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

namespace {

constexpr uint32_t kAllEntries = 0xFFFFFFFF;

} // namespace

uint32_t LNVFNavigatorBody::GetEntryCount() {
    if (Collection == 0) throw Status;
    if ((Flags & kCountKnown) != 0) return EntryCount;
    LN_ASSERT(!IsFTSearch(), "vnavbody", 1120);
    LNVFPosition from;
    Read read;
    read.skipCount = kAllEntries;
    if (IsRestricted()) {
        from = StartPos;
        nnotes::CollectionPosition& parent = *from.GetPositionData();
        LN_ASSERT(parent.Level, "vnavbody", 1131);
        LN_ASSERT(parent.MaxLevel, "vnavbody", 1132);
        --parent.Level;
        read.skipCode = nnotes::NAVIGATE_NEXT | LevelFlags();
    } else {
        nnotes::CollectionPosition& before = *from.GetPositionData();
        before.Level = 0;
        before.EntryIndex[0] = 0;
        read.skipCode = nnotes::NAVIGATE_NEXT;
    }
    const LNSTATUS status = ReadEntries(from.GetPositionData(), read);
    if (status != LNNOERROR && status != LNWARN_NOT_FOUND) throw status;
    EntryCount = read.skipped;
    Flags |= kCountKnown;
    return EntryCount;
}

LNSTATUS LNVFNavigatorBody::EntryByIndex(uint32_t index, LNVFPosition* position, LNVFEntry* entry) {
    if (Collection == 0) return Status;
    if ((Flags & kCountKnown) != 0 && EntryCount == 0) return LNERR_NO_ENTRIES;
    Read read;
    if (IsFTSearch()) {
        if (index >= EntryCount) return LNERR_SUBSCRIPT_OUT_OF_RANGE;
        read.skipCode = nnotes::NAVIGATE_NEXT_HIT;
        read.returnCode = nnotes::NAVIGATE_CURRENT_HIT;
        read.mask = kFTMask;
    } else {
        read.skipCode = static_cast<uint16_t>(nnotes::NAVIGATE_NEXT | LevelFlags());
        read.mask = kCollectionMask;
    }
    *position = StartPos;
    read.skipCount = index;
    read.returnCount = 1;
    read.wantBuffer = true;
    const LNSTATUS status = ReadEntries(position->GetPositionData(), read);
    if (status == LNWARN_NOT_FOUND) return LNERR_SUBSCRIPT_OUT_OF_RANGE;
    if (status != LNNOERROR) return status;
    if (!IsValidPosition(*position->GetPositionData())) {
        nnotes::FreeBlock(read.buffer);
        *position = StartPos;
        return LNERR_SUBSCRIPT_OUT_OF_RANGE;
    }
    return MakeEntry(*position, read.buffer, read.length, entry);
}

LNSTATUS LNVFNavigatorBody::CheckPosition(const LNVFPosition& position) {
    if ((Flags & kCountKnown) != 0 && EntryCount == 0) return LNERR_NO_ENTRIES;
    if (position.GetPositionData() == nullptr) return LNERR_UNINITIALIZED_OBJECT;
    if (!IsValidPosition(*position.GetPositionData())) return LNERR_OUT_OF_RANGE;
    return LNNOERROR;
}

LNSTATUS LNVFNavigatorBody::EntryAt(const LNVFPosition& position, LNVFEntry* entry) {
    if (Collection == 0) return Status;
    if (const LNSTATUS status = CheckPosition(position)) return status;
    if (entry == nullptr && IsFTSearch()) return LNNOERROR;
    LNVFPosition at = position;
    Read read;
    read.returnCode = IsFTSearch() ? nnotes::NAVIGATE_CURRENT_HIT : nnotes::NAVIGATE_CURRENT;
    read.returnCount = 1;
    read.mask = entry == nullptr ? kNoteIDMask : (IsFTSearch() ? kFTMask : kCollectionMask);
    read.wantBuffer = true;
    const LNSTATUS status = ReadEntries(at.GetPositionData(), read);
    if (status == LNWARN_NOT_FOUND) return LNERR_INVALID_PARAMETER;
    if (status != LNNOERROR) return status;
    if (entry == nullptr) {
        nnotes::FreeBlock(read.buffer);
        return LNNOERROR;
    }
    return MakeEntry(at, read.buffer, read.length, entry);
}

void LNVFNavigatorBody::OutwardPosition(LNVFPosition* position) const {
    nnotes::CollectionPosition* data = position->GetPositionData();
    if (!IsFTSearch() || EntryCount == 0 || data == nullptr || data->EntryIndex[0] != 0) return;
    LN_ASSERT(data->Level == 0, "vnavbody", 1510);
    data->EntryIndex[0] = 1;
}

LNSTATUS LNVFNavigatorBody::Refresh() {
    if (Collection == 0) return Status;
    if (IsFTSearch()) return LNERR_FT_NAVIGATOR;
    DropAhead();
    if (const nnotes::STATUS s = nnotes::UpdateCollection(Collection)) return LNToNotesStatus(s);
    EntryCount = 0;
    Flags &= static_cast<uint16_t>(~kCountKnown);
    if (IDTable != nnotes::NULLHANDLE) nnotes::DestroyIDTable(IDTable);
    IDTable = nnotes::NULLHANDLE;
    nnotes::CurrentTime(&RefreshTime);
    LNVFPosition start = StartPos;
    nnotes::NOTEID id = 0;
    const LNSTATUS status = ReadNoteID(start.GetPositionData(), &id);
    if (status == LNWARN_NOT_FOUND) Flags |= kCountKnown;
    if (status != LNNOERROR && status != LNWARN_NOT_FOUND) return status;
    // Categories may have come or gone with the documents: the first entry of the view says, as at opening.
    LNVFPosition first;
    const LNSTATUS found = ReadNoteID(first.GetPositionData(), &id);
    if (found == LNNOERROR && (id & nnotes::NOTEID_CATEGORY) != 0)
        Flags |= kCategorized;
    else if (found == LNNOERROR || found == LNWARN_NOT_FOUND)
        Flags &= static_cast<uint16_t>(~kCategorized);
    else
        return found;
    return LNNOERROR;
}
