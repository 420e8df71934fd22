// Moving a navigator's position by the navigation codes, in the collection and in full-text results.
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnvfentry.h"
#include "lnvfnavigatorbody.h"
#include "nnotes/collection.h"
#include "nnotes/memblock.h"
#include "util/coding.h"

#include <algorithm>
#include <cstring>
#include <memory>

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
    if (code == LNVFNAVIGATION_NEXT && entry != nullptr && !IsRestricted()) {
        if (const LNSTATUS status = NextAhead(position, entry); status != kNotAhead) return status;
    }

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
        // Standing on the last entry already, nothing is skipped and yet the last entry is there: the
        // navigator's only entry, or where a walk ended. A restricted navigator's position is always one of
        // its own entries, so the move cannot leave its part of the view either.
        checkSkipped = false;
        if (!IsRestricted()) {
            read.returnCount = 1;
            read.wantBuffer = true;
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
        // A restricted navigator keeps to its own entries here as for every other code: without its level
        // bounds the move could land deeper than it reaches or in another part of the view.
        read.skipCode = static_cast<uint16_t>(nnotes::NAVIGATE_NEXT_NONCATEGORY | LevelFlags());
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

namespace {

constexpr uint32_t kReadAheadEntries = 64;
constexpr uint32_t kAheadMask = LNVFNavigatorBody::kCollectionMask | nnotes::READ_MASK_INDEXPEER;
// The bytes of an entry read ahead before its summary (note id, class, peer number, indent levels).
constexpr uint32_t kAheadHeader = 12;

// The size of the entry read ahead at offset of a run of length bytes; 0 where no whole entry lies there.
uint32_t AheadEntrySize(const uint8_t* bytes, uint32_t offset, uint32_t length) {
    if (length < offset || length - offset < kAheadHeader + 4) return 0;
    const uint32_t summary = util::DecodeFixed16(bytes + offset + kAheadHeader);
    if (summary < 4 || summary > length - offset - kAheadHeader) return 0;
    return kAheadHeader + summary;
}

// The position of the entry that follows from in order, found from that entry's peer number: the first child
// of from's entry (number 1), or the next peer of that entry or of one of its parents. False where the number
// does not tell which, or from is not at an entry.
bool FollowingPosition(const nnotes::CollectionPosition& from, uint32_t peer,
                       nnotes::CollectionPosition* next) {
    if (from.Level >= nnotes::MAXTUMBLERLEVELS) return false;
    for (uint16_t level = 0; level <= from.Level; ++level)
        if (from.EntryIndex[level] == 0) return false;
    *next = from;
    if (peer == 1) {
        if (from.Level + 1 >= nnotes::MAXTUMBLERLEVELS) return false;
        next->Level = static_cast<uint16_t>(from.Level + 1);
        next->EntryIndex[next->Level] = 1;
        return true;
    }
    int found = -1;
    for (uint16_t level = 0; level <= from.Level; ++level) {
        if (uint64_t{from.EntryIndex[level]} + 1 != peer) continue;
        if (found >= 0) return false;
        found = level;
    }
    if (found < 0) return false;
    next->Level = static_cast<uint16_t>(found);
    next->EntryIndex[found] = peer;
    return true;
}

} // namespace

void LNVFNavigatorBody::DropAhead() {
    Ahead.run.reset();
    Ahead.offset = 0;
    Ahead.left = 0;
}

bool LNVFNavigatorBody::ReadAhead(const nnotes::CollectionPosition& from) {
    DropAhead();
    Read read;
    read.skipCode = nnotes::NAVIGATE_NEXT;
    read.skipCount = 1;
    read.returnCode = nnotes::NAVIGATE_NEXT;
    read.returnCount = kReadAheadEntries;
    read.mask = kAheadMask;
    read.wantBuffer = true;
    nnotes::CollectionPosition at = from;
    const LNSTATUS status = ReadEntries(&at, read);
    if (status != LNNOERROR || read.skipped == 0 || read.buffer == nnotes::NULLHANDLE) {
        if (read.buffer != nnotes::NULLHANDLE) nnotes::FreeBlock(read.buffer);
        return false;
    }
    auto run = std::make_shared<const LNVFEntryRun>(read.buffer);
    if (run->Bytes() == nullptr) return false;
    uint32_t entries = 0;
    for (uint32_t offset = 0, size; (size = AheadEntrySize(run->Bytes(), offset, read.length)) != 0;
         offset += size)
        ++entries;
    if (entries == 0) return false;
    Ahead.run = std::move(run);
    Ahead.left = entries;
    Ahead.last = from;
    return true;
}

LNSTATUS LNVFNavigatorBody::NextAhead(LNVFPosition* position, LNVFEntry* entry) {
    nnotes::CollectionPosition& at = *position->GetPositionData();
    const auto here = [&] {
        if (at.Level != Ahead.last.Level) return false;
        return std::equal(at.EntryIndex, at.EntryIndex + at.Level + 1, Ahead.last.EntryIndex);
    };
    if ((Ahead.left == 0 || !here()) && !ReadAhead(at)) return kNotAhead;
    const uint8_t* bytes = Ahead.run->Bytes() + Ahead.offset;
    const uint32_t size = kAheadHeader + util::DecodeFixed16(bytes + kAheadHeader);
    uint32_t peer = 0;
    std::memcpy(&peer, bytes + 6, sizeof peer);
    nnotes::CollectionPosition next{};
    if (!FollowingPosition(at, peer, &next)) {
        // The store says where the entry is.
        Read skip;
        skip.skipCode = nnotes::NAVIGATE_NEXT;
        skip.skipCount = 1;
        next = at;
        if (ReadEntries(&next, skip) != LNNOERROR || skip.skipped != 1) {
            DropAhead();
            return kNotAhead;
        }
    }
    next.MinLevel = at.MinLevel;
    next.MaxLevel = at.MaxLevel;
    at = next;
    Ahead.last = next;
    const uint32_t offset = Ahead.offset;
    Ahead.offset += size;
    --Ahead.left;
    LNSTATUS status = LNNOERROR;
    LNVFEntryBody* held = entry->GetVFEntryBody();
    if (held != nullptr && held->GetRefCount() == 1 && held->IsReadAhead() &&
        held->GetNavigator().GetVFNavigatorBody() == this) {
        held->TakeNext(*position, Ahead.run, offset, static_cast<uint16_t>(size), &status);
        if (status != LNNOERROR) {
            entry->Attach(nullptr);
            DropAhead();
        }
        return status;
    }
    auto* body = new LNVFEntryBody(this, *position, Ahead.run, offset, static_cast<uint16_t>(size), &status);
    if (status != LNNOERROR) {
        delete body;
        DropAhead();
        return status;
    }
    entry->Attach(body);
    return LNNOERROR;
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
