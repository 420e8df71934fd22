// Moving a navigator's position by the navigation codes, in the collection and in full-text results.
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnvfentry.h"
#include "lnvfnavigatorbody.h"
#include "nnotes/collection.h"
#include "nnotes/memblock.h"

namespace {

constexpr uint32_t kAllEntries = 0xFFFFFFFF;
constexpr uint32_t kLastCode = 22;

// The store's navigation code of each code; code 0 moves to the first child.
constexpr uint16_t kStoreCode[kLastCode + 1] = {4,  0,  7, 1, 8,  11, 1,  41, 12, 43, 19, 5,
                                                10, 18, 3, 9, 42, 13, 44, 20, 6,  21, 34};

// What each code does to a full-text position.
enum class HitMove { First, Last, Next, Previous, None, Reserved };

HitMove HitMoveOf(uint32_t code) {
    switch (code) {
    case LNVFNAVIGATION_FIRST:
    case LNVFNAVIGATION_FIRST_PEER:
        return HitMove::First;
    case LNVFNAVIGATION_LAST:
    case LNVFNAVIGATION_LAST_PEER:
        return HitMove::Last;
    case LNVFNAVIGATION_NEXT:
    case LNVFNAVIGATION_NEXT_MAIN:
    case LNVFNAVIGATION_NEXT_NONCATEGORY:
    case LNVFNAVIGATION_NEXT_PEER:
        return HitMove::Next;
    case LNVFNAVIGATION_PREVIOUS:
    case LNVFNAVIGATION_PREVIOUS_MAIN:
    case LNVFNAVIGATION_PREVIOUS_NONCATEGORY:
    case LNVFNAVIGATION_PREVIOUS_PEER:
        return HitMove::Previous;
    case LNVFNAVIGATION_RESERVED12:
    case LNVFNAVIGATION_RESERVED13:
    case LNVFNAVIGATION_RESERVED21:
    case LNVFNAVIGATION_RESERVED22:
        return HitMove::Reserved;
    default:
        return HitMove::None;
    }
}

bool IsReserved(uint32_t code) {
    return HitMoveOf(code) == HitMove::Reserved;
}

} // namespace

LNSTATUS LNVFNavigatorBody::IsCategoryAt(const nnotes::CollectionPosition& position, bool* category) const {
    nnotes::CollectionPosition at = position;
    Read read;
    read.returnCount = 1;
    read.mask = kNoteIDMask;
    read.wantBuffer = true;
    const LNSTATUS status = ReadEntries(&at, read);
    if (status == LNWARN_NOT_FOUND) return LNERR_READ_ENTRIES_FAILED;
    if (status != LNNOERROR) return status;
    *category = (TakeNoteID(read) & nnotes::NOTEID_CATEGORY) != 0;
    return LNNOERROR;
}

LNSTATUS LNVFNavigatorBody::Navigate(uint32_t code, LNVFPosition* position, LNVFEntry* entry) {
    if (Collection == 0) return Status;
    if ((Flags & kCountKnown) != 0 && EntryCount == 0) return LNWARN_NOT_FOUND;
    LN_ASSERT(position, "vnavbody", 1380);
    nnotes::CollectionPosition* data = position->GetPositionData();
    if (data == nullptr) return LNERR_UNINITIALIZED_OBJECT;
    if (code > kLastCode || !IsValidPosition(*data)) return LNERR_INVALID_PARAMETER;
    if (IsReserved(code)) return LNERR_NOT_IMPLEMENTED;
    if (IsFTSearch()) return NavigateHits(code, position, entry);

    Read read;
    read.skipCode = static_cast<uint16_t>(kStoreCode[code] | LevelFlags());
    read.skipCount = 1;
    read.mask = kCollectionMask;
    read.returnCount = entry != nullptr ? 1 : 0;
    read.wantBuffer = entry != nullptr;
    bool checkSkipped = true;
    if (IsRestricted()) {
        const nnotes::CollectionPosition& start = *StartPos.GetPositionData();
        data->MinLevel = start.MinLevel;
        LN_ASSERT(start.MaxLevel, "vnavbody", 1411);
        if (start.MaxLevel < 31) data->MaxLevel = start.MaxLevel;
    }
    switch (code) {
    case LNVFNAVIGATION_FIRST:
        *position = StartPos;
        if (entry == nullptr) return LNNOERROR;
        read.skipCount = 0;
        checkSkipped = false;
        break;
    case LNVFNAVIGATION_FIRST_PEER:
    case LNVFNAVIGATION_LAST_PEER:
        checkSkipped = false;
        break;
    case LNVFNAVIGATION_LAST:
        read.skipCount = kAllEntries;
        read.skipCode |= nnotes::NAVIGATE_CONTINUE;
        if (!IsRestricted()) {
            read.returnCount = 1;
            read.wantBuffer = true;
            checkSkipped = false;
        }
        break;
    case LNVFNAVIGATION_MAIN:
    case LNVFNAVIGATION_NEXT_MAIN: {
        if (code == LNVFNAVIGATION_MAIN) checkSkipped = false;
        if (!IsCategorized()) break;
        bool category = false;
        if (const LNSTATUS status = IsCategoryAt(*data, &category)) return status;
        if (!category) break;
        if (code == LNVFNAVIGATION_MAIN) return LNWARN_NOT_FOUND;
        read.skipCode = nnotes::NAVIGATE_NEXT_NONCATEGORY;
        break;
    }
    case LNVFNAVIGATION_NEXT_CATEGORY:
    case LNVFNAVIGATION_PREVIOUS_CATEGORY:
        if (!IsCategorized()) return LNWARN_NOT_FOUND;
        break;
    default:
        break;
    }

    const LNSTATUS status = ReadEntries(data, read);
    const bool nothingSkipped = checkSkipped && read.skipped == 0;
    if (status != LNNOERROR || nothingSkipped || entry == nullptr) {
        if (read.buffer != nnotes::NULLHANDLE) nnotes::FreeBlock(read.buffer);
        if (status != LNNOERROR) return status;
        return nothingSkipped ? LNWARN_NOT_FOUND : LNNOERROR;
    }
    return MakeEntry(*position, read.buffer, read.length, entry);
}

LNSTATUS LNVFNavigatorBody::NavigateHits(uint32_t code, LNVFPosition* position, LNVFEntry* entry) {
    uint32_t& index = position->GetPositionData()->EntryIndex[0];
    switch (HitMoveOf(code)) {
    case HitMove::First:
        index = 1;
        break;
    case HitMove::Last:
        index = EntryCount;
        break;
    case HitMove::Next:
        if (index >= EntryCount) return LNWARN_NOT_FOUND;
        ++index;
        break;
    case HitMove::Previous:
        if (index < 2) return LNWARN_NOT_FOUND;
        --index;
        break;
    default:
        return LNWARN_NOT_FOUND;
    }
    if (entry == nullptr) return LNNOERROR;
    Read read;
    read.skipCode = nnotes::NAVIGATE_CURRENT_HIT;
    read.returnCode = nnotes::NAVIGATE_CURRENT_HIT;
    read.returnCount = 1;
    read.mask = kFTMask;
    read.wantBuffer = true;
    if (const LNSTATUS status = ReadEntries(position->GetPositionData(), read)) return status;
    return MakeEntry(*position, read.buffer, read.length, entry);
}
