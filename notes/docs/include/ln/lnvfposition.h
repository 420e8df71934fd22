// LNVFPosition: the place of one entry in a view's collection, as the path of its entry numbers from the top
// level down (1.2.3). It owns one CollectionPosition, the form that the store's collection calls read and
// move in place.
#pragma once

#include "ln/lnclass.h"
#include "ln/lnstring.h"
#include "nnotes/collection.h"

class LNVFPosition : public LNNotesClass {
public:
    // The reset position: the first entry at the top level.
    LNVFPosition();
    LNVFPosition(const LNVFPosition& other);
    ~LNVFPosition() override;

    LNVFPosition& operator=(const LNVFPosition& other);
    // Copies the raw position; null leaves this one without data.
    LNVFPosition& operator=(const nnotes::CollectionPosition* raw);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNVFPOSITION; }

    nnotes::CollectionPosition* GetPositionData() const { return Data; }
    // Throws LNERR_NOT_INITIALIZED without data.
    void Reset();

    // Compare the entry paths only (MinLevel and MaxLevel do not count); an ancestor is less than its
    // descendants. Throw LNERR_NOT_INITIALIZED when either side has no data.
    bool operator==(const LNVFPosition& other) const;
    bool operator!=(const LNVFPosition& other) const { return !(*this == other); }
    bool operator<(const LNVFPosition& other) const;
    bool operator>(const LNVFPosition& other) const;

    // The path joined by the separator; empty when it would reach 512 bytes. Throws LNERR_NOT_INITIALIZED
    // without data.
    LNString GetText(char separator) const;
    LNString GetText(const LNString& separator) const;

private:
    void Assign(const nnotes::CollectionPosition* raw);
    LNString Text(const char* separator, uint32_t separatorLength) const;

    nnotes::CollectionPosition* Data = nullptr;
};

// The deepest level whose entry number a position holds; a level beyond the table (only damaged data has one)
// is read as the last level of the table.
uint16_t LNPositionLevel(const nnotes::CollectionPosition& position);
