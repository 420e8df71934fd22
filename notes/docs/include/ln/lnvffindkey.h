// Lookups in sorted views: LNVFFindKey is one key value (text, number or date/time), LNVFFindKeys the ordered
// keys and their packed form (the ITEM_TABLE that the store's find call reads), LNVFFindOptions the
// find-flags word.
#pragma once

#include "ln/lndatetime.h"
#include "ln/lnobjlist.h"
#include "ln/lnstring.h"

#include <cstdint>

class LNVFFindKey : public LNNotesClass {
public:
    // Each gives its failure in *status (which must be given); a key that failed holds no value.
    LNVFFindKey(const LNString& text, LNSTATUS* status);
    LNVFFindKey(double number, LNSTATUS* status);
    LNVFFindKey(const LNDatetime& datetime, LNSTATUS* status);
    LNVFFindKey(const LNVFFindKey& other);
    LNVFFindKey& operator=(const LNVFFindKey&) = delete;
    ~LNVFFindKey() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNVFFINDKEY; }

    // The value in that form: LNERR_NOT_INITIALIZED without a value, LNERR_CONVERSION for another type; both
    // thrown.
    LNString GetText() const;
    double GetNumber() const;
    LNDatetime GetDatetime() const;
    // The value's size, its type word included; 0 without a value.
    uint16_t GetKeySize() const { return Size; }
    // The value: its type word, then its data; null without one.
    const uint8_t* GetKeyValue() const { return Value; }

private:
    LNSTATUS SetValue(uint16_t type, const void* data, size_t size);
    // The value's data when it has that type, else the failure thrown.
    const uint8_t* Data(uint16_t type) const;

    uint8_t* Value = nullptr;
    uint16_t Size = 0;
};

class LNVFFindKeys : public LNNotesClass {
public:
    static constexpr uint32_t kMaxKeys = 65535;

    LNVFFindKeys() = default;
    LNVFFindKeys(const LNVFFindKeys& other);
    ~LNVFFindKeys() override;
    // Copies every key and the packed table; a key that cannot be copied drops the copies made so far and is
    // thrown.
    LNVFFindKeys& operator=(const LNVFFindKeys& other);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNVFFINDKEYS; }

    LNSTATUS AppendTextKey(const LNString& text);
    LNSTATUS AppendNumberKey(double number);
    LNSTATUS AppendDatetimeKey(const LNDatetime& datetime);

    uint32_t GetCount() const { return Count; }
    // From 0; an index not below the count throws LNERR_SUBSCRIPT_OUT_OF_RANGE.
    const LNVFFindKey& operator[](uint32_t index) const;
    // The packed table, built when missing; kept until the keys change. Throws LNERR_KEY_TABLE_TOO_BIG when
    // the table would exceed 65535 bytes.
    const void* GetKeyTable();

    // Drops the table and every key.
    void Clear();
    // Drops every key; the table goes at the next change.
    void DeleteAll();

private:
    LNSTATUS Append(LNVFFindKey* key, LNSTATUS made);
    void DropTable();

    uint8_t* Table = nullptr;
    uint32_t Count = 0;
    LNObjectList Keys;
};

class LNVFFindOptions : public LNNotesClass {
public:
    static constexpr uint16_t kPartial = 0x0001, kCaseInsensitive = 0x0002, kAccentInsensitive = 0x0008,
                              kUpdateIfNotFound = 0x0020, kComparisonMask = 0x00C0;

    LNVFFindOptions() = default;
    LNVFFindOptions(const LNVFFindOptions& other) = default;
    LNVFFindOptions& operator=(const LNVFFindOptions& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNVFFINDOPTIONS; }

    uint16_t GetFlags() const { return Flags; }
    void SetExactMatch(bool exact) { SetBit(kPartial, !exact); }
    void SetCaseSensitive(bool sensitive) { SetBit(kCaseInsensitive, !sensitive); }
    void SetAccentSensitive(bool sensitive) { SetBit(kAccentInsensitive, !sensitive); }
    void SetUpdateIfNotFound(bool update) { SetBit(kUpdateIfNotFound, update); }
    // The comparison field (bits 0x00C0); another bit gives LNERR_INVALID_PARAMETER.
    LNSTATUS SetComparison(uint16_t comparison);

private:
    void SetBit(uint16_t bit, bool set) { Flags = static_cast<uint16_t>(set ? Flags | bit : Flags & ~bit); }

    uint16_t Flags = kPartial | kCaseInsensitive | kAccentInsensitive;
};
