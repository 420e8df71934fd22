// LNListBody: what the number, date/time and range list bodies share. Their values are a list header (count
// of single 8-byte entries, count of 16-byte pairs) and the entries; a single-value item of a note
// (TYPE_NUMBER, TYPE_TIME) holds its one entry right after the type word. Every edit builds the whole new
// value and stores it at once: in the note for an item of a note, else as the body's own detached value
// (always in list layout).
#pragma once

#include "ln/lnerrors.h"
#include "ln/lnitembody.h"
#include "nnotes/memblock.h"

#include <array>
#include <cstdint>
#include <vector>

struct LNListValue {
    std::vector<std::array<uint8_t, 8>> singles;
    std::vector<std::array<uint8_t, 16>> pairs;
};

class LNListBody : public LNItemBody {
public:
    LNSTATUS Flush(const LNString* name) override;

    // Single entries, and pairs.
    uint32_t GetSingleCount();
    uint32_t GetPairCount();

    // The value's entries; stored bytes whose counts overrun the value give LNERR_CORRUPTED. Statuses of this
    // class are unfiltered.
    LNSTATUS Read(LNListValue* value);
    // Makes value the body's value.
    LNSTATUS Store(const LNListValue& value);
    // Inserts entries among the singles before index (at most the single count).
    LNSTATUS InsertSingles(uint32_t index, const LNListValue& entries);
    // Deletes count entries from index; joint counts the pairs after the singles as one sequence.
    LNSTATUS DeleteRun(uint32_t index, uint32_t count, bool joint);
    LNSTATUS DeleteAll() { return Store(LNListValue{}); }

protected:
    // Free-standing over a caller's block in list layout.
    LNListBody(nnotes::BLOCKID value, uint32_t size, uint16_t singleType, uint16_t listType);
    // Free-standing from raw item data (after the type word) of the single or the list type.
    LNListBody(const void* value, uint16_t nsfType, uint32_t size, uint16_t singleType, uint16_t listType);
    LNListBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
               nnotes::BLOCKID value, uint32_t size, uint16_t singleType, uint16_t listType);

    // The NSF type that a detached value of so many entries has.
    virtual uint16_t DetachedType(const LNListValue& value) const;
    uint16_t SingleType() const { return SingleNSFType; }
    uint16_t ListType() const { return ListNSFType; }

private:
    // True when the value is one entry after the type word (an item of a note of the single type).
    bool IsSingleItem() const;

    uint16_t SingleNSFType;
    uint16_t ListNSFType;
};

// A list body whose entries are single values of one kind (numbers or instants); FromEntry and ToEntry are
// given for each kind.
template <class Value>
class LNSingleListBody : public LNListBody {
public:
    uint32_t GetCount() { return GetSingleCount(); }
    // Throws a failure to read; index must be below the count.
    Value GetEntry(uint32_t index) {
        LNListValue value;
        if (const LNSTATUS status = Read(&value)) throw status;
        if (index >= value.singles.size()) throw LNERR_INVALID_PARAMETER;
        return FromEntry(value.singles[index]);
    }
    LNSTATUS Insert(uint32_t index, const Value& entry) {
        LNListValue value;
        value.singles.push_back(ToEntry(entry));
        return InsertSingles(index, value);
    }
    LNSTATUS Delete(uint32_t index, uint32_t count) { return DeleteRun(index, count, false); }
    // Gives the entry at index (below the count) a new value in one store, so that a full list takes it too.
    LNSTATUS Replace(uint32_t index, const Value& entry) {
        LNListValue value;
        if (const LNSTATUS status = Read(&value)) return status;
        if (index >= value.singles.size()) return LNERR_INVALID_PARAMETER;
        value.singles[index] = ToEntry(entry);
        return Store(value);
    }
    // A value of the one entry.
    static LNListValue ValueOf(const Value& entry) {
        LNListValue value;
        value.singles.push_back(ToEntry(entry));
        return value;
    }

protected:
    using LNListBody::LNListBody;

    // Inserts every entry of other (null: LNERR_INVALID_PARAMETER) before index.
    LNSTATUS InsertList(uint32_t index, LNSingleListBody* other) {
        if (other == nullptr) return LNERR_INVALID_PARAMETER;
        LNListValue entries;
        if (const LNSTATUS status = other->Read(&entries)) return status;
        return InsertSingles(index, entries);
    }

private:
    static Value FromEntry(const std::array<uint8_t, 8>& entry);
    static std::array<uint8_t, 8> ToEntry(const Value& value);
};
