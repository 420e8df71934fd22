// Number lists: LNNumbers (handle), LNNumbersBody and LNNumbersElement. Values are 8-byte floating-point
// numbers, one (TYPE_NUMBER) or a list (TYPE_NUMBER_RANGE); every edit is written through at once.
#pragma once

#include "lnitem.h"
#include "lnlistbody.h"

class LNNumbers;

class LNNumbersBody : public LNListBody {
public:
    LNNumbersBody(nnotes::BLOCKID value, uint32_t size);
    // From raw item data (after the type word) of TYPE_NUMBER or TYPE_NUMBER_RANGE.
    LNNumbersBody(const void* value, uint16_t nsfType, uint32_t size);
    LNNumbersBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                  nnotes::BLOCKID value, uint32_t size);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNNUMBERSBODY; }

    uint32_t GetCount() { return GetSingleCount(); }
    // Throws a failure to read; index must be below the count.
    double GetEntry(uint32_t index);
    // Statuses are unfiltered.
    LNSTATUS Insert(uint32_t index, double number);
    LNSTATUS Insert(uint32_t index, const LNNumbers& other);
    LNSTATUS Delete(uint32_t index, uint32_t count) { return DeleteRun(index, count, false); }
};

class LNNumbersElement : public LNNotesClass {
public:
    LNNumbersElement(LNNumbersBody* body, uint32_t index);
    LNNumbersElement(const LNNumbersElement& other);
    ~LNNumbersElement() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNNUMBERSELEMENT; }

    double GetValue() const { return Body->GetEntry(Index); }
    operator double() const { return GetValue(); }
    // Replaces the entry; a failure is thrown.
    LNNumbersElement& operator=(double number);
    LNNumbersElement& operator=(const LNNumbersElement& other) { return *this = other.GetValue(); }

private:
    LNNumbersBody* Body;
    uint32_t Index;
};

class LNNumbers : public LNItem {
public:
    LNNumbers() = default;
    LNNumbers(const LNNumbers& other) = default;
    // Throws LNERR_CONVERSION unless the item is empty or a number item.
    LNNumbers(const LNItem& item);
    ~LNNumbers() override = default;
    LNNumbers& operator=(const LNNumbers& other);
    LNNumbers& operator=(const LNItem& item);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNNUMBERS; }

    uint32_t GetCount() const;
    // Throws LNERR_NOT_INITIALIZED without a body and LNERR_INVALID_PARAMETER past the count.
    LNNumbersElement operator[](uint32_t index) const;
    // Without a body, index 0 makes a new detached value.
    LNSTATUS Insert(uint32_t index, double number);
    LNSTATUS Insert(uint32_t index, const LNNumbers& other);
    LNSTATUS Append(double number) { return Insert(GetCount(), number); }
    LNSTATUS Append(const LNNumbers& other) { return Insert(GetCount(), other); }
    // Append, throwing a failure.
    LNNumbers& operator+=(double number);
    LNNumbers& operator+=(const LNNumbers& other);
    LNSTATUS Delete(uint32_t index, uint32_t count);
    LNSTATUS DeleteAll();

    LNNumbersBody* GetNumbersBody() const { return static_cast<LNNumbersBody*>(GetBody()); }
};
