#include "ln/lnnotearray.h"

#include "ln/lndocument.h"
#include "ln/lnerrors.h"
#include "ln/lnftsearch.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"

LNNoteArray& LNNoteArray::operator=(const LNNoteArray& other) {
    if (this == &other) return *this;
    LNSmartPtr::AssignBody(other.GetBody());
    Database = other.Database;
    NoteClass = other.NoteClass;
    return *this;
}

void LNNoteArray::SetBody(LNDatabaseBody* database, LNIDTable* body, uint16_t noteClass) {
    LNSmartPtr::AssignBody(body);
    Database.AssignBody(database);
    NoteClass = noteClass;
}

LNIDTable* LNNoteArray::Table() const {
    if (GetBody() == nullptr) throw LNERR_NOT_INITIALIZED;
    return static_cast<LNIDTable*>(GetBody());
}

uint32_t LNNoteArray::GetCount() const {
    return GetBody() == nullptr ? 0 : Table()->GetCount();
}

nnotes::DHANDLE LNNoteArray::GetIDTableHandle() const {
    return Table()->GetHandle();
}

nnotes::NOTEID LNNoteArray::operator[](uint32_t index) const {
    LNIDTable* table = Table();
    if (index >= table->GetCount()) throw LNERR_SUBSCRIPT_OUT_OF_RANGE;
    return (*table)[index];
}

bool LNNoteArray::IsFTSearchResult() const {
    return GetBody() != nullptr && GetBody()->GetClassID() == LNCLASSID_LNFTARRAYBODY;
}

uint32_t LNNoteArray::GetScore(uint32_t index) const {
    LNIDTable* table = Table();
    if (!IsFTSearchResult()) return 0;
    return static_cast<LNFTArrayBody*>(table)->GetScore(index);
}

LNDocument LNDocumentArray::GetDocument(uint32_t index) const {
    const nnotes::NOTEID id = LNNoteArray::operator[](index);
    return LNDocument(Database.GetDatabaseBody(), id);
}
