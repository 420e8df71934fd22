#include "ln/lnidtable.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"

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
    IDs.clear();
    return LNNOERROR;
}

uint32_t LNIDTable::GetCount() const {
    if (Closed) throw LNERR_NOT_INITIALIZED;
    return NumberOfIDs;
}

void LNIDTable::ReadIDs() {
    std::vector<nnotes::NOTEID> ids;
    ids.reserve(NumberOfIDs);
    nnotes::NOTEID id = 0;
    for (bool first = true;; first = false) {
        const nnotes::STATUS status = nnotes::IDScan(Table, first, &id);
        if (status == nnotes::ERR_IDTABLE_END) break;
        if (status != nnotes::NOERROR) throw LNToNotesStatus(status);
        ids.push_back(id);
    }
    IDs = std::move(ids);
}

nnotes::NOTEID LNIDTable::operator[](uint32_t index) {
    if (Closed) throw LNERR_NOT_INITIALIZED;
    if (index >= NumberOfIDs) throw LNERR_SUBSCRIPT_OUT_OF_RANGE;
    // The owner of the handle may have changed the table: the copy is read again when the count moved.
    if (IDs.size() != nnotes::IDEntries(Table)) ReadIDs();
    // A table that lost ids since it was counted answers as the store does past its end.
    if (index >= IDs.size()) throw LNToNotesStatus(nnotes::ERR_IDTABLE_END);
    return IDs[index];
}
