// Date/time lists: LNDatetimes (handle), LNDatetimesBody and LNDatetimesElement. Values are instants, one
// (TYPE_TIME) or a list (TYPE_TIME_RANGE without pairs); every edit is written through at once.
#pragma once

#include "ln/lndatetime.h"
#include "ln/lnlistbody.h"
#include "ln/lnlisthandle.h"
#include "nnotes/memblock.h"

class LNDatetimes;

template <>
LNDatetime LNSingleListBody<LNDatetime>::FromEntry(const std::array<uint8_t, 8>& entry);
template <>
std::array<uint8_t, 8> LNSingleListBody<LNDatetime>::ToEntry(const LNDatetime& value);

class LNDatetimesBody : public LNSingleListBody<LNDatetime> {
public:
    LNDatetimesBody(nnotes::BLOCKID value, uint32_t size);
    // From raw item data (after the type word) of TYPE_TIME or TYPE_TIME_RANGE.
    LNDatetimesBody(const void* value, uint16_t nsfType, uint32_t size);
    LNDatetimesBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                    nnotes::BLOCKID value, uint32_t size);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIMESBODY; }

    using LNSingleListBody<LNDatetime>::Insert;
    // Statuses are unfiltered.
    LNSTATUS Insert(uint32_t index, const LNDatetimes& other);
};

class LNDatetimesElement : public LNListElement<LNDatetimesBody, LNDatetime> {
public:
    LNDatetimesElement(LNDatetimesBody* body, uint32_t index) : LNListElement(body, index, "lndts") {}
    LNDatetimesElement(const LNDatetimesElement& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIMESELEMENT; }

    LNDatetimesElement& operator=(const LNDatetime& date) {
        Replace(date);
        return *this;
    }
    LNDatetimesElement& operator=(const LNDatetimesElement& other) { return *this = other.GetValue(); }
};

class LNDatetimes : public LNListHandle<LNDatetimesBody, LNDatetimesElement, LNCLASSID_LNDATETIMESBODY> {
public:
    LNDatetimes() = default;
    LNDatetimes(const LNDatetimes& other) = default;
    // Throws LNERR_CONVERSION unless the item is empty or a date/time item.
    LNDatetimes(const LNItem& item) : LNListHandle(item) {}
    ~LNDatetimes() override = default;
    LNDatetimes& operator=(const LNDatetimes& other) = default;
    LNDatetimes& operator=(const LNItem& item) {
        Assign(item);
        return *this;
    }

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIMES; }

    LNSTATUS Insert(uint32_t index, const LNDatetime& date) { return InsertValue(index, date); }
    LNSTATUS Insert(uint32_t index, const LNDatetimes& other) { return InsertValue(index, other); }
    LNSTATUS Append(const LNDatetime& date) { return Insert(GetCount(), date); }
    LNSTATUS Append(const LNDatetimes& other) { return Insert(GetCount(), other); }
    // Append, throwing a failure.
    LNDatetimes& operator+=(const LNDatetime& date);
    LNDatetimes& operator+=(const LNDatetimes& other);
    // Replaces the whole value by another list's (which must have a body, else LNERR_INVALID_PARAMETER) or by
    // one instant; without a body of its own the handle takes a new detached value.
    LNSTATUS SetValue(const LNDatetimes& other) { return SetEntriesOf(other); }
    LNSTATUS SetValue(const LNDatetime& date) { return SetEntries(LNDatetimesBody::ValueOf(date)); }

    LNDatetimesBody* GetDatetimesBody() const { return ListBody(); }
};
