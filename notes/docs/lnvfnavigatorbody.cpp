// The open collection of a navigator: opening and closing it, and the one call through which it is read.
#include "lnvfnavigatorbody.h"
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnvfentry.h"
#include "nnotes/collection.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr uint8_t kDeepestLevel = 31;
constexpr uint16_t kOpenFlags = 0x0030;
constexpr uint16_t kRefusedOptions = 0x0010;

} // namespace

LNVFNavigatorBody::LNVFNavigatorBody(LNViewFolderBody* view, const LNViewFolder* owner, LNSTATUS* status,
                                     const LNDatabase& data, const LNVFPosition* start, uint32_t levels,
                                     uint16_t options) {
    ResetState();
    LN_ASSERT(status, "vnavbody", 133);
    try {
        *status = Open(view, data, start, levels, options);
    } catch (LNSTATUS thrown) {
        *status = thrown;
    }
    if (*status != LNNOERROR && Collection != 0) {
        nnotes::CloseCollection(Collection);
        Collection = 0;
    }
    if (*status == LNNOERROR) {
        nnotes::CurrentTime(&RefreshTime);
        View = view;
        if (owner != nullptr) Owner = *owner;
    }
    Status = *status;
}

LNSTATUS LNVFNavigatorBody::Open(LNViewFolderBody* view, const LNDatabase& data, const LNVFPosition* start,
                                 uint32_t levels, uint16_t options) {
    if (start != nullptr && start->GetPositionData() == nullptr) return LNERR_UNINITIALIZED_OBJECT;
    if ((options & kRefusedOptions) != 0) return LNERR_NOT_IMPLEMENTED;
    nnotes::HCOLLECTION collection = 0;
    const nnotes::DBHANDLE viewDb = view->GetDatabaseBody()->GetHandle();
    if (const nnotes::STATUS s = nnotes::OpenCollection(viewDb, data.GetHandle(), view->GetNoteID(),
                                                        static_cast<uint16_t>(options | kOpenFlags),
                                                        nnotes::NULLHANDLE, &collection))
        return LNToNotesStatus(s);
    Collection = collection;

    LNVFPosition first;
    nnotes::NOTEID id = 0;
    const LNSTATUS found = ReadNoteID(first.GetPositionData(), &id);
    if (found == LNWARN_NOT_FOUND) {
        if (start != nullptr) return LNERR_NO_MATCH;
        Flags |= kCountKnown;
        return LNNOERROR;
    }
    if (found != LNNOERROR) return found;
    if ((id & nnotes::NOTEID_CATEGORY) != 0) Flags |= kCategorized;
    if (start == nullptr) return LNNOERROR;

    // The navigator covers what lies under the start entry: its first child begins the range.
    StartPos = *start;
    Read child;
    child.skipCode = nnotes::NAVIGATE_CHILD;
    child.skipCount = 1;
    if (const LNSTATUS status = ReadEntries(StartPos.GetPositionData(), child)) return status;
    if (child.skipped == 0) return LNWARN_NOT_FOUND;
    nnotes::CollectionPosition& range = *StartPos.GetPositionData();
    range.MinLevel = static_cast<uint8_t>(LNPositionLevel(range));
    const uint64_t deepest = levels == 0 ? kDeepestLevel : uint64_t{range.MinLevel} + levels - 1;
    range.MaxLevel = static_cast<uint8_t>(deepest < kDeepestLevel ? deepest : kDeepestLevel);
    Flags |= kRestricted;
    return LNNOERROR;
}

LNVFNavigatorBody::~LNVFNavigatorBody() {
    // Leave the view's list first: releasing the view below may end the view, which would delete what its
    // list still holds.
    if (View != nullptr && !Owner.IsNull()) View->ForgetNavigator(this);
    try {
        Close();
    } catch (LNSTATUS) {
        // A failed close of the collection has nothing left to give it back to.
    }
}

void LNVFNavigatorBody::ResetState() {
    DropAhead();
    Collection = 0;
    EntryCount = 0;
    Flags = 0;
    IDTable = nnotes::NULLHANDLE;
    nnotes::TimeConstant(nnotes::TIME_MINIMUM, &RefreshTime);
    Status = LNERR_NO_COLLECTION;
}

LNSTATUS LNVFNavigatorBody::Close() {
    if (Collection == 0) return LNNOERROR;
    const nnotes::HCOLLECTION collection = Collection;
    const nnotes::DHANDLE table = IDTable;
    // The view goes last, once this body is consistent again: releasing it may close the view, which comes
    // back here.
    const LNViewFolder owner = Owner;
    ResetState();
    StartPos.Reset();
    View = nullptr;
    Owner = LNViewFolder();
    if (table != nnotes::NULLHANDLE) nnotes::DestroyIDTable(table);
    return LNReturnOrThrowNotesStatus(nnotes::CloseCollection(collection));
}

LNSTATUS LNVFNavigatorBody::ReadEntries(nnotes::CollectionPosition* position, Read& read) const {
    LN_ASSERT(Collection, "vnavbody", 1863);
    uint32_t returned = 0;
    nnotes::DHANDLE* buffer = read.wantBuffer ? &read.buffer : nullptr;
    read.buffer = nnotes::NULLHANDLE;
    read.length = 0;
    const nnotes::STATUS s = nnotes::ReadEntries(Collection, position, read.skipCode, read.skipCount,
                                                 read.returnCode, read.returnCount, read.mask, buffer,
                                                 &read.length, &read.skipped, &returned, &read.signal);
    if (nnotes::ERR(s) == nnotes::ERR_NOT_FOUND) return LNWARN_NOT_FOUND;
    if (s != nnotes::NOERROR) return LNToNotesStatus(s);
    if (read.returnCount > 0 && read.wantBuffer &&
        (read.buffer == nnotes::NULLHANDLE || read.length == 0 || returned == 0)) {
        if (read.buffer != nnotes::NULLHANDLE) nnotes::FreeBlock(read.buffer);
        read.buffer = nnotes::NULLHANDLE;
        return LNWARN_NOT_FOUND;
    }
    return LNNOERROR;
}

LNSTATUS LNVFNavigatorBody::ReadNoteID(nnotes::CollectionPosition* position, nnotes::NOTEID* id) const {
    Read read;
    read.returnCount = 1;
    read.mask = kNoteIDMask;
    read.wantBuffer = true;
    const LNSTATUS status = ReadEntries(position, read);
    if (status == LNNOERROR) *id = TakeNoteID(read);
    return status;
}

LNSTATUS LNVFNavigatorBody::ReadStatistics(nnotes::CollectionPosition* position,
                                           uint32_t (&statistics)[4]) const {
    Read read;
    read.returnCount = 1;
    read.mask = kStatisticsMask;
    read.wantBuffer = true;
    const LNSTATUS status = ReadEntries(position, read);
    if (status == LNWARN_NOT_FOUND) return LNERR_READ_ENTRIES_FAILED;
    if (status != LNNOERROR) return status;
    std::fill(std::begin(statistics), std::end(statistics), 0u);
    const auto* bytes = static_cast<const uint8_t*>(nnotes::LockBlock(read.buffer));
    if (bytes != nullptr && read.length >= sizeof statistics)
        std::memcpy(statistics, bytes, sizeof statistics);
    if (bytes != nullptr) nnotes::UnlockBlock(read.buffer);
    nnotes::FreeBlock(read.buffer);
    return LNNOERROR;
}

nnotes::NOTEID LNVFNavigatorBody::TakeNoteID(Read& read) {
    nnotes::NOTEID id = 0;
    if (const void* bytes = nnotes::LockBlock(read.buffer)) {
        if (read.length >= sizeof id) std::memcpy(&id, bytes, sizeof id);
        nnotes::UnlockBlock(read.buffer);
    }
    nnotes::FreeBlock(read.buffer);
    read.buffer = nnotes::NULLHANDLE;
    return id;
}

bool LNVFNavigatorBody::IsValidPosition(const nnotes::CollectionPosition& position) const {
    if (position.Level >= nnotes::MAXTUMBLERLEVELS) return false;
    if (IsFTSearch())
        return position.Level == 0 && position.EntryIndex[0] >= 1 && position.EntryIndex[0] <= EntryCount;
    if (!IsRestricted()) return true;
    const nnotes::CollectionPosition& start = *StartPos.GetPositionData();
    LN_ASSERT(start.Level && start.Level == start.MinLevel, "vnavbody", 1790);
    if (position.Level < start.MinLevel || position.Level > start.MaxLevel) return false;
    for (uint16_t level = 0; level < start.Level; ++level) {
        if (position.EntryIndex[level] != start.EntryIndex[level]) return false;
    }
    return true;
}

uint16_t LNVFNavigatorBody::LevelFlags() const {
    if (!IsRestricted()) return 0;
    const uint8_t deepest = StartPos.GetPositionData()->MaxLevel;
    return deepest <= kDeepestLevel - 1 ? nnotes::NAVIGATE_MINLEVEL | nnotes::NAVIGATE_MAXLEVEL
                                        : nnotes::NAVIGATE_MINLEVEL;
}

LNSTATUS LNVFNavigatorBody::MakeEntry(const LNVFPosition& position, nnotes::DHANDLE buffer, uint16_t length,
                                      LNVFEntry* entry) {
    LNSTATUS status = LNNOERROR;
    auto* body = new LNVFEntryBody(this, position, buffer, length, &status);
    if (status != LNNOERROR) {
        delete body;
        return status;
    }
    entry->Attach(body);
    return LNNOERROR;
}
