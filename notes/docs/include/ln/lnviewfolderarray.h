// LNViewFolderArray: the views and folders of a database, each handed out as a view handle that is not open.
#pragma once

#include "ln/lnnotearray.h"
#include "ln/lnviewfolder.h"
#include "nnotes/idtable.h"

class LNViewFolderArray : public LNNoteArray {
public:
    LNViewFolderArray() = default;
    LNViewFolderArray(const LNViewFolderArray& other) = default;
    ~LNViewFolderArray() override = default;
    LNViewFolderArray& operator=(const LNViewFolderArray& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNVIEWFOLDERARRAY; }

    // Past the count: LNERR_SUBSCRIPT_OUT_OF_RANGE (thrown).
    LNViewFolder operator[](uint32_t index) const {
        const nnotes::NOTEID id = LNNoteArray::operator[](index);
        return LNViewFolder(Database.GetDatabaseBody(), id);
    }
};
