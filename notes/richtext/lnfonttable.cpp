#include "ln/lnfonttable.h"
#include "ln/lnerrors.h"

LNFontTable& LNFontTable::operator=(const LNItem& item) {
    LNItemBody* body = item.GetItemBody();
    if (body != nullptr && body->GetClassID() != LNCLASSID_LNFONTTABLEBODY) throw LNERR_CONVERSION;
    SetItemBody(item.GetNote().GetNoteBody(), body);
    return *this;
}

LNFontTable& LNFontTable::operator=(LNFontTableBody* body) {
    SetItemBody(body != nullptr ? body->GetNoteBody() : nullptr, body);
    return *this;
}

LNSTATUS LNFontTable::AddFace(const LNFontFace& face) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetFontTableBody()->AddFace(face);
}

LNSTATUS LNFontTable::AddFaceByName(uint8_t family, const char* name, uint8_t* id) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetFontTableBody()->AddFaceByName(family, name, id);
}

LNSTATUS LNFontTable::FindFace(const LNFontFace& face, uint8_t* id) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetFontTableBody()->FindFace(face, id);
}

LNSTATUS LNFontTable::FindFaceByName(const char* name, uint8_t* id) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetFontTableBody()->FindFaceByName(name, id);
}

LNSTATUS LNFontTable::GetFace(uint8_t id, LNFontFace* face) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetFontTableBody()->GetFace(id, face);
}

LNSTATUS LNFontTable::Merge(const LNFontTable& other) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetFontTableBody()->Merge(other.GetFontTableBody()));
}

LNSTATUS LNFontTable::BuildValue() {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetFontTableBody()->BuildValue());
}
