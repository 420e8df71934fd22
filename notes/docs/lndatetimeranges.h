// Range lists: LNDatetimeRanges (handle), LNDatetimeRangesBody and LNDatetimeRangesElement. A TYPE_TIME_RANGE
// value holds single instants and then instant pairs; the entries are indexed as one sequence, the instants
// first. Every edit is written through at once.
#pragma once

#include "lndatetimerange.h"
#include "lnlistbody.h"
#include "lnlisthandle.h"

class LNDatetimeRanges;

class LNDatetimeRangesBody : public LNListBody {
public:
    LNDatetimeRangesBody(nnotes::BLOCKID value, uint32_t size);
    // From raw item data (after the type word) of TYPE_TIME_RANGE.
    LNDatetimeRangesBody(const void* value, uint16_t nsfType, uint32_t size);
    LNDatetimeRangesBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                         nnotes::BLOCKID value, uint32_t size);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIMERANGESBODY; }

    uint32_t GetCount() { return GetSingleCount() + GetPairCount(); }
    uint32_t GetDatetimeCount() { return GetSingleCount(); }
    uint32_t GetRangeCount() { return GetPairCount(); }
    // An instant reads as a range of that instant alone. Throws a failure to read.
    LNDatetimeRange GetEntry(uint32_t index);
    // Statuses are unfiltered. Instants go among the instants, ranges among the ranges.
    LNSTATUS Insert(uint32_t index, const LNDatetime& date);
    LNSTATUS Insert(uint32_t index, const LNDatetimeRange& range);
    LNSTATUS Delete(uint32_t index, uint32_t count) { return DeleteRun(index, count, true); }

protected:
    // Always a list.
    uint16_t DetachedType(const LNListValue&) const override { return nnotes::TYPE_TIME_RANGE; }
};

class LNDatetimeRangesElement : public LNListElement<LNDatetimeRangesBody, LNDatetimeRange> {
public:
    LNDatetimeRangesElement(LNDatetimeRangesBody* body, uint32_t index)
        : LNListElement(body, index, "lndtrs") {}
    LNDatetimeRangesElement(const LNDatetimeRangesElement& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIMERANGESELEMENT; }
    LNDatetimeRangesElement& operator=(const LNDatetimeRangesElement&) = delete;
};

class LNDatetimeRanges
    : public LNListHandle<LNDatetimeRangesBody, LNDatetimeRangesElement, LNCLASSID_LNDATETIMERANGESBODY> {
public:
    LNDatetimeRanges() = default;
    LNDatetimeRanges(const LNDatetimeRanges& other) = default;
    // Throws LNERR_CONVERSION unless the item is empty or a range item.
    LNDatetimeRanges(const LNItem& item) : LNListHandle(item) {}
    ~LNDatetimeRanges() override = default;
    LNDatetimeRanges& operator=(const LNDatetimeRanges& other) = default;
    LNDatetimeRanges& operator=(const LNItem& item) {
        Assign(item);
        return *this;
    }

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIMERANGES; }

    // Without a body, index 0 makes a new detached value.
    LNSTATUS Insert(uint32_t index, const LNDatetime& date) { return InsertValue(index, date); }
    LNSTATUS Insert(uint32_t index, const LNDatetimeRange& range) { return InsertValue(index, range); }
    LNSTATUS Append(const LNDatetimeRange& range) { return Insert(GetCount(), range); }

    LNDatetimeRangesBody* GetRangesBody() const { return ListBody(); }
};
