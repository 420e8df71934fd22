// Number lists: LNNumbers (handle), LNNumbersBody and LNNumbersElement. Values are 8-byte floating-point
// numbers, one (TYPE_NUMBER) or a list (TYPE_NUMBER_RANGE); every edit is written through at once.
#pragma once

#include "ln/lnlistbody.h"
#include "ln/lnlisthandle.h"
#include "nnotes/memblock.h"

class LNNumbers;

template <>
double LNSingleListBody<double>::FromEntry(const std::array<uint8_t, 8>& entry);
template <>
std::array<uint8_t, 8> LNSingleListBody<double>::ToEntry(const double& value);

class LNNumbersBody : public LNSingleListBody<double> {
public:
    LNNumbersBody(nnotes::BLOCKID value, uint32_t size);
    // From raw item data (after the type word) of TYPE_NUMBER or TYPE_NUMBER_RANGE.
    LNNumbersBody(const void* value, uint16_t nsfType, uint32_t size);
    LNNumbersBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                  nnotes::BLOCKID value, uint32_t size);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNNUMBERSBODY; }

    using LNSingleListBody<double>::Insert;
    // Statuses are unfiltered.
    LNSTATUS Insert(uint32_t index, const LNNumbers& other);
};

class LNNumbersElement : public LNListElement<LNNumbersBody, double> {
public:
    LNNumbersElement(LNNumbersBody* body, uint32_t index) : LNListElement(body, index, "lnnum") {}
    LNNumbersElement(const LNNumbersElement& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNNUMBERSELEMENT; }

    LNNumbersElement& operator=(double number) {
        Replace(number);
        return *this;
    }
    LNNumbersElement& operator=(const LNNumbersElement& other) { return *this = other.GetValue(); }
};

class LNNumbers : public LNListHandle<LNNumbersBody, LNNumbersElement, LNCLASSID_LNNUMBERSBODY> {
public:
    LNNumbers() = default;
    LNNumbers(const LNNumbers& other) = default;
    // Throws LNERR_CONVERSION unless the item is empty or a number item.
    LNNumbers(const LNItem& item) : LNListHandle(item) {}
    ~LNNumbers() override = default;
    LNNumbers& operator=(const LNNumbers& other) = default;
    LNNumbers& operator=(const LNItem& item) {
        Assign(item);
        return *this;
    }

    LNCLASSID GetClassID() const override { return LNCLASSID_LNNUMBERS; }

    LNSTATUS Insert(uint32_t index, double number) { return InsertValue(index, number); }
    LNSTATUS Insert(uint32_t index, const LNNumbers& other) { return InsertValue(index, other); }
    LNSTATUS Append(double number) { return Insert(GetCount(), number); }
    LNSTATUS Append(const LNNumbers& other) { return Insert(GetCount(), other); }
    // Append, throwing a failure.
    LNNumbers& operator+=(double number);
    LNNumbers& operator+=(const LNNumbers& other);
    // Replaces the whole value by another list's (which must have a body, else LNERR_INVALID_PARAMETER) or by
    // one number; without a body of its own the handle takes a new detached value.
    LNSTATUS SetValue(const LNNumbers& other) { return SetEntriesOf(other); }
    LNSTATUS SetValue(double number) { return SetEntries(LNNumbersBody::ValueOf(number)); }

    LNNumbersBody* GetNumbersBody() const { return ListBody(); }
};
