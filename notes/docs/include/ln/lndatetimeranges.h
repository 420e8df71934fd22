// Range lists: LNDatetimeRanges (handle), LNDatetimeRangesBody and LNDatetimeRangesElement. A TYPE_TIME_RANGE
// value holds single instants and then instant pairs; the entries are indexed as one sequence, the instants
// first. Every edit is written through at once.
#pragma once

#include "ln/lndatetimerange.h"
#include "ln/lnlistbody.h"
#include "ln/lnlisthandle.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"

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
    // Another list's instants join the instants at index (at their end when index lies among the pairs),
    // its ranges join the ranges at index (at their front when index lies among the instants). index past
    // the count, or a list without a body: LNERR_INVALID_PARAMETER.
    LNSTATUS Insert(uint32_t index, const LNDatetimeRanges& other);
    LNSTATUS Delete(uint32_t index, uint32_t count) { return DeleteRun(index, count, true); }
    // Entry index becomes the value, in one store: an instant stays among the instants (at their end in place
    // of a range), a range among the ranges (at their front in place of an instant).
    LNSTATUS Replace(uint32_t index, const LNDatetime& date);
    LNSTATUS Replace(uint32_t index, const LNDatetimeRange& range);
    // Whether entry index is a single instant.
    bool IsDatetime(uint32_t index) { return index < GetSingleCount(); }

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
    // Each replaces the entry (LNDatetimeRangesBody::Replace); a failure is thrown. Another element's entry
    // keeps its kind: an instant stays an instant.
    LNDatetimeRangesElement& operator=(const LNDatetimeRange& range);
    LNDatetimeRangesElement& operator=(const LNDatetime& date);
    LNDatetimeRangesElement& operator=(const LNDatetimeRangesElement& other);
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
    LNSTATUS Insert(uint32_t index, const LNDatetimeRanges& other) { return InsertValue(index, other); }
    LNSTATUS Append(const LNDatetimeRange& range) { return Insert(GetCount(), range); }
    // An appended instant joins the end of the instants, which come before every range.
    LNSTATUS Append(const LNDatetime& date) { return Insert(GetDatetimeCount(), date); }
    // Its instants join the end of the instants, its ranges the end of the ranges.
    LNSTATUS Append(const LNDatetimeRanges& other);
    // Append, throwing a failure.
    LNDatetimeRanges& operator+=(const LNDatetimeRange& range);
    LNDatetimeRanges& operator+=(const LNDatetime& date);
    LNDatetimeRanges& operator+=(const LNDatetimeRanges& other);
    // Replaces the whole value: by another list's (which must have a body, else LNERR_INVALID_PARAMETER), by
    // one range or by one instant; without a body of its own the handle takes a new detached value.
    LNSTATUS SetValue(const LNDatetimeRanges& other) { return SetEntriesOf(other); }
    LNSTATUS SetValue(const LNDatetimeRange& range);
    LNSTATUS SetValue(const LNDatetime& date);

    uint32_t GetDatetimeCount() const { return IsNull() ? 0 : ListBody()->GetDatetimeCount(); }
    uint32_t GetRangeCount() const { return IsNull() ? 0 : ListBody()->GetRangeCount(); }

    LNDatetimeRangesBody* GetRangesBody() const { return ListBody(); }
};
