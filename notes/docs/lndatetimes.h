// Date/time lists: LNDatetimes (handle), LNDatetimesBody and LNDatetimesElement. Values are instants, one
// (TYPE_TIME) or a list (TYPE_TIME_RANGE without pairs); every edit is written through at once.
#pragma once

#include "lndatetime.h"
#include "lnitem.h"
#include "lnlistbody.h"

class LNDatetimes;

class LNDatetimesBody : public LNListBody {
public:
    LNDatetimesBody(nnotes::BLOCKID value, uint32_t size);
    // From raw item data (after the type word) of TYPE_TIME or TYPE_TIME_RANGE.
    LNDatetimesBody(const void* value, uint16_t nsfType, uint32_t size);
    LNDatetimesBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                    nnotes::BLOCKID value, uint32_t size);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIMESBODY; }

    uint32_t GetCount() { return GetSingleCount(); }
    // Throws a failure to read; index must be below the count.
    LNDatetime GetEntry(uint32_t index);
    // Statuses are unfiltered.
    LNSTATUS Insert(uint32_t index, const LNDatetime& date);
    LNSTATUS Insert(uint32_t index, const LNDatetimes& other);
    LNSTATUS Delete(uint32_t index, uint32_t count) { return DeleteRun(index, count, false); }
};

class LNDatetimesElement : public LNNotesClass {
public:
    LNDatetimesElement(LNDatetimesBody* body, uint32_t index);
    LNDatetimesElement(const LNDatetimesElement& other);
    ~LNDatetimesElement() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIMESELEMENT; }

    LNDatetime GetValue() const { return Body->GetEntry(Index); }
    operator LNDatetime() const { return GetValue(); }
    // Replaces the entry; a failure is thrown.
    LNDatetimesElement& operator=(const LNDatetime& date);
    LNDatetimesElement& operator=(const LNDatetimesElement& other) { return *this = other.GetValue(); }

private:
    LNDatetimesBody* Body;
    uint32_t Index;
};

class LNDatetimes : public LNItem {
public:
    LNDatetimes() = default;
    LNDatetimes(const LNDatetimes& other) = default;
    // Throws LNERR_CONVERSION unless the item is empty or a date/time item.
    LNDatetimes(const LNItem& item);
    ~LNDatetimes() override = default;
    LNDatetimes& operator=(const LNDatetimes& other);
    LNDatetimes& operator=(const LNItem& item);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIMES; }

    uint32_t GetCount() const;
    // Throws LNERR_NOT_INITIALIZED without a body and LNERR_INVALID_PARAMETER past the count.
    LNDatetimesElement operator[](uint32_t index) const;
    // Without a body, index 0 makes a new detached value.
    LNSTATUS Insert(uint32_t index, const LNDatetime& date);
    LNSTATUS Insert(uint32_t index, const LNDatetimes& other);
    LNSTATUS Append(const LNDatetime& date) { return Insert(GetCount(), date); }
    LNSTATUS Append(const LNDatetimes& other) { return Insert(GetCount(), other); }
    // Append, throwing a failure.
    LNDatetimes& operator+=(const LNDatetime& date);
    LNDatetimes& operator+=(const LNDatetimes& other);
    LNSTATUS Delete(uint32_t index, uint32_t count);
    LNSTATUS DeleteAll();

    LNDatetimesBody* GetDatetimesBody() const { return static_cast<LNDatetimesBody*>(GetBody()); }
};
