// LNVFNavigatorBody: one open collection of a view, over all its entries, over the entries under a start
// entry (restricted), or over the hits of a full-text search. Every read of the collection goes through it.
#pragma once

#include "ln/lnvfentry.h"
#include "ln/lnvfnavigator.h"
#include "ln/lnviewfolder.h"
#include "nnotes/collection.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/timedate.h"

#include <memory>
#include <utility>
#include <vector>

class LNVFEntryBody;

class LNVFNavigatorBody : public LNBody {
public:
    static constexpr uint16_t kCountKnown = 0x0001, kFTSearch = 0x0002, kCategorized = 0x0004,
                              kRestricted = 0x0008, kScores = 0x0010;
    // Entry contents read in each regime.
    static constexpr uint32_t kCollectionMask = 0x8085, kFTMask = 0x8285, kNoteIDMask = 0x0001,
                              kStatisticsMask = 0x0438;

    // Opens the collection of view over the documents of data. With start, the navigator covers the entries
    // under that entry, down to levels levels (0: all). The outcome goes to *status and stays the body's
    // status. owner, when given, is a handle of view that the body keeps referenced.
    LNVFNavigatorBody(LNViewFolderBody* view, const LNViewFolder* owner, LNSTATUS* status,
                      const LNDatabase& data, const LNVFPosition* start, uint32_t levels, uint16_t options);
    ~LNVFNavigatorBody() override;
    LNVFNavigatorBody(const LNVFNavigatorBody&) = delete;
    LNVFNavigatorBody& operator=(const LNVFNavigatorBody&) = delete;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNVFNAVIGATORBODY; }
    LNSTATUS Close() override;

    bool IsOpen() const { return Collection != 0; }
    LNSTATUS GetStatus() const { return Status; }
    bool IsFTSearch() const { return (Flags & kFTSearch) != 0; }
    bool IsRestricted() const { return (Flags & kRestricted) != 0; }
    bool IsCategorized() const { return (Flags & kCategorized) != 0; }
    bool HasScores() const { return (Flags & kScores) != 0; }
    const LNVFPosition& GetStartPosition() const { return StartPos; }
    const nnotes::Instant& GetRefreshTime() const { return RefreshTime; }
    // The view; null once the collection is closed.
    LNViewFolderBody* GetViewFolderBody() const { return View; }
    nnotes::HCOLLECTION GetCollection() const { return Collection; }

    // The operations of the handle; statuses are unfiltered (the handle filters them), value results throw.
    LNSTATUS Navigate(uint32_t code, LNVFPosition* position, LNVFEntry* entry);
    LNSTATUS EntryByIndex(uint32_t index, LNVFPosition* position, LNVFEntry* entry);
    LNSTATUS EntryAt(const LNVFPosition& position, LNVFEntry* entry);
    LNSTATUS CheckPosition(const LNVFPosition& position);
    // The position handed to callers: in full-text results an index 0 reads as the first hit.
    void OutwardPosition(LNVFPosition* position) const;
    LNSTATUS Refresh();
    uint32_t GetEntryCount();
    LNSTATUS FindByKeys(LNVFFindKeys& keys, const LNVFFindOptions* options, LNVFPosition* position,
                        LNVFEntry* entry, uint32_t* count);
    LNSTATUS FTSearch(const LNString& query, const LNFTSearchOptions* options, LNVFNavigatorBody* restrict);
    LNSTATUS GetIDTable(nnotes::DHANDLE* table);
    LNSTATUS DeleteEntry(LNVFEntry* entry, bool descendants);

    // One ReadEntries call: the store's "entry not found" and an empty result both give LNWARN_NOT_FOUND; a
    // buffer is kept only when an entry was returned.
    struct Read {
        uint16_t skipCode = 0;
        uint32_t skipCount = 0;
        uint16_t returnCode = 0;
        uint32_t returnCount = 0;
        uint32_t mask = 0;
        bool wantBuffer = false;
        nnotes::DHANDLE buffer = nnotes::NULLHANDLE;
        uint16_t length = 0;
        uint32_t skipped = 0;
        uint16_t signal = 0;
    };
    LNSTATUS ReadEntries(nnotes::CollectionPosition* position, Read& read) const;
    // The note id at the start of a read's buffer, which it frees.
    static nnotes::NOTEID TakeNoteID(Read& read);
    // The note id of the entry at position (one read, note id only): LNWARN_NOT_FOUND when there is none.
    LNSTATUS ReadNoteID(nnotes::CollectionPosition* position, nnotes::NOTEID* id) const;
    // The sibling, child and descendant counts and the indent of the entry at position (one read):
    // LNERR_READ_ENTRIES_FAILED when there is none.
    LNSTATUS ReadStatistics(nnotes::CollectionPosition* position, uint32_t (&statistics)[4]) const;
    // Room for an entry's summary places while its columns are read (LNVFEntryBody::GetSummaryTexts), kept
    // so that reading row after row allocates nothing.
    std::vector<std::pair<uint32_t, uint32_t>> SummaryPlaces;
    // True when the position lies in what this navigator covers.
    bool IsValidPosition(const nnotes::CollectionPosition& position) const;

private:
    void ResetState();
    LNSTATUS Open(LNViewFolderBody* view, const LNDatabase& data, const LNVFPosition* start, uint32_t levels,
                  uint16_t options);
    // Turns the buffer of a read into an entry for entry (the buffer is taken whatever happens).
    LNSTATUS MakeEntry(const LNVFPosition& position, nnotes::DHANDLE buffer, uint16_t length,
                       LNVFEntry* entry);
    // NEXT from position served from the entries read ahead, reading the next run when position is where
    // the last one ended. kNotAhead where the entry is not read ahead: the one-entry read then gives it, and
    // says what is wrong when something is.
    static constexpr LNSTATUS kNotAhead = 0xFFFFFFFF;
    LNSTATUS NextAhead(LNVFPosition* position, LNVFEntry* entry);
    bool ReadAhead(const nnotes::CollectionPosition& from);
    void DropAhead();
    // The level flags a restricted navigator adds to its skip codes.
    uint16_t LevelFlags() const;
    LNSTATUS NavigateHits(uint32_t code, LNVFPosition* position, LNVFEntry* entry);
    // Whether the entry at the position is a category (codes 5 and 8).
    LNSTATUS IsCategoryAt(const nnotes::CollectionPosition& position, bool* category) const;
    LNSTATUS CollectIDs(nnotes::CollectionPosition* position, uint16_t skipCode, uint32_t skipCount,
                        uint16_t returnCode, nnotes::DHANDLE* table) const;

    nnotes::HCOLLECTION Collection = 0;
    uint32_t EntryCount = 0;
    uint16_t Flags = 0;
    nnotes::DHANDLE IDTable = nnotes::NULLHANDLE;
    LNSTATUS Status = LNERR_NO_COLLECTION;
    LNVFPosition StartPos;
    // A walk on in order reads its entries a run at a time: one store read and one buffer for many rows.
    struct ReadAheadRun {
        std::shared_ptr<const LNVFEntryRun> run;
        uint32_t offset = 0;               // of the next entry in the run
        uint32_t left = 0;                 // entries of the run not handed out
        nnotes::CollectionPosition last{}; // the position of the entry handed out last
    } Ahead;
    nnotes::Instant RefreshTime{};
    // The view while the collection is open. Navigators made for callers also keep it referenced through
    // Owner; the view's own navigator does not, as the view holds it.
    LNViewFolderBody* View = nullptr;
    LNViewFolder Owner;
};
