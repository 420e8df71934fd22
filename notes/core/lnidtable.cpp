#include "lnidtable.h"

#include "lnassert.h"
#include "lnerrors.h"

LNIDTable::LNIDTable(nnotes::DHANDLE table) : Closed(table == nnotes::NULLHANDLE), Table(table) {
    if (Closed) return;
    // An empty table (or a handle that is no table) simply has no ids.
    NumberOfIDs = nnotes::IDEntries(Table);
}

LNIDTable::~LNIDTable() {
    LNSTATUS status;
    try {
        status = Close();
    } catch (LNSTATUS thrown) {
        status = thrown;
    }
    if (LNIsError(status)) LNReportAssertion("Close() == 0", "lnidtab", __LINE__);
}

LNSTATUS LNIDTable::Close() {
    if (Closed) return LNWARN_NOT_OPEN;
    if (const nnotes::STATUS status = nnotes::DestroyIDTable(Table))
        return LNReturnOrThrowNotesStatus(status);
    Closed = true;
    Positioned = false;
    return LNNOERROR;
}

uint32_t LNIDTable::GetCount() const {
    if (Closed) throw LNERR_NOT_INITIALIZED;
    return NumberOfIDs;
}

void LNIDTable::Scan(bool first) {
    if (const nnotes::STATUS status = nnotes::IDScan(Table, first, &CurrentID)) {
        Positioned = false;
        throw LNToNotesStatus(status);
    }
}

nnotes::NOTEID LNIDTable::operator[](uint32_t index) {
    if (Closed) throw LNERR_NOT_INITIALIZED;
    if (index >= NumberOfIDs) throw LNERR_SUBSCRIPT_OUT_OF_RANGE;
    if (!Positioned || index == 0 || index < CurrentIndex) {
        Scan(true);
        CurrentIndex = 0;
        Positioned = true;
    }
    while (CurrentIndex < index) {
        Scan(false);
        ++CurrentIndex;
    }
    return CurrentID;
}
