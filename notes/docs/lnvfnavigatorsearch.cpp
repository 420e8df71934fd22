// Finding entries by key, full-text results, the note ids of a navigator, and deleting through entries.
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnvfentry.h"
#include "lnvfnavigatorbody.h"
#include "nnotes/collection.h"
#include "nnotes/database.h"
#include "nnotes/fulltext.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"

#include <cstring>

namespace {

constexpr uint32_t kAllEntries = 0xFFFFFFFF;
constexpr uint16_t kDefaultFindFlags = 0x000B;
constexpr uint32_t kFTCollectionOptions = nnotes::FT_SEARCH_SET_COLL | nnotes::FT_SEARCH_RET_IDTABLE;

} // namespace

LNSTATUS LNVFNavigatorBody::FindByKeys(LNVFFindKeys& keys, const LNVFFindOptions* options,
                                       LNVFPosition* position, LNVFEntry* entry, uint32_t* count) {
    if (Collection == 0) return Status;
    if (IsFTSearch()) return LNERR_FT_NAVIGATOR;
    LN_ASSERT(position, "vnavbody", 695);
    if (keys.GetCount() == 0) return LNERR_UNINITIALIZED_OBJECT;
    const uint16_t flags = options != nullptr ? options->GetFlags() : kDefaultFindFlags;
    if (count != nullptr) *count = 0;
    // Keys too big for one key table are the caller's to hear of as a status, like any other refused find.
    const void* table = nullptr;
    try {
        table = keys.GetKeyTable();
    } catch (LNSTATUS thrown) {
        return thrown;
    }
    nnotes::CollectionPosition found{};
    nnotes::STATUS s = nnotes::FindByKey(Collection, table, flags, &found, count);
    if (nnotes::ERR(s) == nnotes::ERR_NO_COUNT && count != nullptr) {
        s = nnotes::FindByKey(Collection, table, flags, &found, nullptr);
        *count = 1;
    }
    if (nnotes::ERR(s) == nnotes::ERR_NOT_FOUND) {
        if (count != nullptr) *count = 0;
        return LNWARN_NOT_FOUND;
    }
    if (s != nnotes::NOERROR) return LNToNotesStatus(s);
    // One key on the sorting of a categorised view stands for the category that holds the documents found:
    // the top one, however many category levels lie between it and the documents.
    if (keys.GetCount() == 1 && (flags & LNVFFindOptions::kComparisonMask) == 0 && found.Level > 0 &&
        found.Level < nnotes::MAXTUMBLERLEVELS) {
        found.Level = 0;
        if (count != nullptr) *count = 1;
    }
    if (!IsValidPosition(found)) {
        if (count != nullptr) *count = 0;
        return LNWARN_NOT_FOUND;
    }
    *position = &found;
    return entry != nullptr ? EntryAt(*position, entry) : LNNOERROR;
}

LNSTATUS LNVFNavigatorBody::FTSearch(const LNString& query, const LNFTSearchOptions* options,
                                     LNVFNavigatorBody* restrict) {
    LN_ASSERT(Collection && query.GetLength() && !IsRestricted() && !IsFTSearch() && IDTable == 0, "vnavbody",
              2010);
    DropAhead();
    const LNFTSearchOptions defaults;
    const LNFTSearchOptions& given = options != nullptr ? *options : defaults;
    uint32_t word = given.GetOptions() | kFTCollectionOptions;
    nnotes::DHANDLE refine = nnotes::NULLHANDLE;
    if (restrict != nullptr) {
        if (const LNSTATUS status = restrict->GetIDTable(&refine)) {
            Close();
            return status;
        }
        word |= nnotes::FT_SEARCH_REFINE;
    }
    nnotes::FTSEARCHHANDLE search = 0;
    nnotes::STATUS s = nnotes::FTOpenSearch(&search);
    uint32_t count = 0;
    nnotes::DHANDLE results = nnotes::NULLHANDLE;
    if (s == nnotes::NOERROR) {
        const nnotes::DBHANDLE db = View->GetViewDatabase().GetHandle();
        s = nnotes::FTSearch(db, &search, Collection, reinterpret_cast<const char*>(query.GetTextPtr()), word,
                             static_cast<uint16_t>(given.GetMaxDocuments()), refine, &count, nullptr,
                             &results);
        nnotes::FTCloseSearch(search);
    }
    if (s != nnotes::NOERROR) {
        if (results != nnotes::NULLHANDLE) nnotes::DestroyIDTable(results);
        if (nnotes::ERR(s) != nnotes::ERR_FT_NO_MATCHES) {
            Close();
            return LNToNotesStatus(s);
        }
        count = 0;
        results = nnotes::NULLHANDLE;
    }
    IDTable = results;
    EntryCount = count;
    Flags = static_cast<uint16_t>((Flags & ~kCategorized) | kCountKnown | kFTSearch);
    if ((word & nnotes::FT_SEARCH_SCORES) != 0) Flags |= kScores;
    return s == nnotes::NOERROR ? LNNOERROR : LNWARN_NOT_FOUND;
}

LNSTATUS LNVFNavigatorBody::CollectIDs(nnotes::CollectionPosition* position, uint16_t skipCode,
                                       uint32_t skipCount, uint16_t returnCode,
                                       nnotes::DHANDLE* table) const {
    LN_ASSERT(Collection && position && table, "vnavbody", 1720);
    if (const nnotes::STATUS s = nnotes::CreateIDTable(table)) return LNToNotesStatus(s);
    Read read;
    read.skipCode = skipCode;
    read.skipCount = skipCount;
    read.returnCode = returnCode;
    read.returnCount = kAllEntries;
    read.mask = kNoteIDMask;
    read.wantBuffer = true;
    for (;;) {
        const LNSTATUS status = ReadEntries(position, read);
        if (status == LNWARN_NOT_FOUND) return LNNOERROR;
        LNSTATUS inserted = status;
        if (status == LNNOERROR) {
            const auto* ids = static_cast<const uint8_t*>(nnotes::LockBlock(read.buffer));
            for (uint32_t at = 0; ids != nullptr && inserted == LNNOERROR && at + 4 <= read.length; at += 4) {
                nnotes::NOTEID id = 0;
                std::memcpy(&id, ids + at, sizeof id);
                // Categories and totals have pseudo ids that name no note.
                if ((id & nnotes::NOTEID_CATEGORY) != 0) continue;
                inserted = LNToNotesStatus(nnotes::InsertID(*table, id, nullptr));
            }
            if (ids != nullptr) nnotes::UnlockBlock(read.buffer);
            nnotes::FreeBlock(read.buffer);
        }
        if (inserted != LNNOERROR) {
            nnotes::DestroyIDTable(*table);
            *table = nnotes::NULLHANDLE;
            return inserted;
        }
        if ((read.signal & nnotes::SIGNAL_MORE_TO_DO) == 0) return LNNOERROR;
        // Go on after the last entry returned.
        read.skipCode = returnCode;
        read.skipCount = 1;
    }
}

LNSTATUS LNVFNavigatorBody::GetIDTable(nnotes::DHANDLE* table) {
    if (table == nullptr) return LNERR_NULL_POINTER;
    if (IDTable != nnotes::NULLHANDLE) {
        *table = IDTable;
        return LNNOERROR;
    }
    if (Collection == 0) return Status;
    LNVFPosition from = StartPos;
    const uint16_t code = IsFTSearch() ? nnotes::NAVIGATE_NEXT_HIT : nnotes::NAVIGATE_NEXT;
    const uint16_t flags = IsFTSearch() ? 0 : LevelFlags();
    if (const LNSTATUS status =
            CollectIDs(from.GetPositionData(), 0, 0, static_cast<uint16_t>(code | flags), &IDTable))
        return status;
    *table = IDTable;
    return LNNOERROR;
}
