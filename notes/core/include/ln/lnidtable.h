// LNIDTable: owns one Notes ID table (a set of note ids) and gives its ids by index, 0 .. count - 1, in the
// table's ascending order. The store's tables are read by scanning only, and the scan position belongs to the
// table, so anyone holding the handle can move it. The ids are therefore read once, on the first index, into
// a copy of this object's own; every index after that costs nothing and no outside scan can disturb it.
#pragma once

#include "ln/lnclass.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"

#include <vector>

class LNIDTable : public LNBody {
public:
    // Takes ownership of table; without a table (NULLHANDLE) the object is closed from the start.
    explicit LNIDTable(nnotes::DHANDLE table);
    // Closes the table; a failure is reported through the assertion box.
    ~LNIDTable() override;
    LNIDTable(const LNIDTable&) = delete;
    LNIDTable& operator=(const LNIDTable&) = delete;

    // Destroys the table: LNWARN_NOT_OPEN when closed already; a Notes failure is returned (or thrown) and
    // leaves the table open.
    LNSTATUS Close() override;
    LNCLASSID GetClassID() const override { return LNCLASSID_LNIDTABLE; }

    virtual nnotes::DHANDLE GetHandle() const { return Table; }
    // The id at index. Throws LNERR_NOT_INITIALIZED when closed, LNERR_SUBSCRIPT_OUT_OF_RANGE for an index
    // not below GetCount, and the Notes status when the table no longer holds the ids it counted.
    virtual nnotes::NOTEID operator[](uint32_t index);
    // Throws LNERR_NOT_INITIALIZED when closed.
    virtual uint32_t GetCount() const;

private:
    // Reads every id of the table into IDs; a scan failure is thrown and leaves IDs empty.
    void ReadIDs();

    bool Closed;
    std::vector<nnotes::NOTEID> IDs; // filled by the first index
    uint32_t NumberOfIDs = 0;
    nnotes::DHANDLE Table;
};
