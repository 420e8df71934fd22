#include "ln/lnfontstyle.h"
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnnote.h"

namespace {

LNFontTable NoteFontTable(LNNoteBody* note) {
    LNFontTable table;
    if (note == nullptr) return table;
    if (const LNSTATUS status = LNNote(note).GetFontTable(&table); LNIsError(status)) throw status;
    return table;
}

} // namespace

LNFontStyleBody::LNFontStyleBody() {
    throw LNERR_INAPPROPRIATE_FOR_OBJECT;
}

LNFontStyleBody::LNFontStyleBody(uint32_t fontId, const LNFontTable& table) : FontID(fontId), Table(table) {
    LN_ASSERT(IsValid(), "lnfontst", 118);
}

LNFontStyleBody::LNFontStyleBody(uint32_t fontId, LNNoteBody* note)
    : FontID(fontId), Table(NoteFontTable(note)) {
    LN_ASSERT(IsValid(), "lnfontst", 131);
}

LNFontStyleBody::LNFontStyleBody(const LNFontStyleBody& other)
    : LNBody(other), FontID(other.FontID), Table(other.Table) {}

LNSTATUS LNFontStyleBody::Close() {
    FontID = 0;
    Table = LNFontTable();
    return LNNOERROR;
}

LNSTATUS LNFontStyleBody::Assign(const LNFontStyleBody* other) {
    if (other == nullptr || other == this) return LNERR_INVALID_PARAMETER;
    FontID = other->FontID;
    Table = other->Table;
    return LNNOERROR;
}

LNFontStyle::LNFontStyle(uint32_t fontId, const LNFontTable& table)
    : LNSmartPtr(new LNFontStyleBody(fontId, table)) {}

LNFontStyle::LNFontStyle(uint32_t fontId, const LNNote& note)
    : LNSmartPtr(new LNFontStyleBody(fontId, note.GetNoteBody())) {}

LNFontStyle& LNFontStyle::operator=(const LNFontStyle& other) {
    LNSmartPtr::operator=(other);
    return *this;
}

LNFontStyleBody* LNFontStyle::Ensure() {
    if (IsNull()) AssignBody(new LNFontStyleBody(LNFONTID_DEFAULT, LNFontTable()));
    return Style();
}

uint32_t LNFontStyle::GetFontID() const {
    if (IsNull()) throw LNERR_NOT_INITIALIZED;
    return Style()->FontID;
}

LNSTATUS LNFontStyle::GetFontTable(LNFontTable* table) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    *table = Style()->Table;
    return table->IsNull() ? LNWARN_NOT_FOUND : LNNOERROR;
}

LNSTATUS LNFontStyle::GetFace(LNFontFace* face) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (Style()->Table.IsNull()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return Style()->Table.GetFace(GetFaceID(), face);
}

void LNFontStyle::SetByte(unsigned index, uint8_t value) {
    LNFontStyleBody* body = Ensure();
    const unsigned shift = index * 8;
    body->FontID = (body->FontID & ~(0xFFu << shift)) | (uint32_t{value} << shift);
}

LNSTATUS LNFontStyle::SetAttributes(uint8_t attributes) {
    if ((attributes & LNFONT_EXCLUSIVE_ATTRIBUTES) == LNFONT_EXCLUSIVE_ATTRIBUTES)
        return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    SetByte(1, attributes);
    return LNNOERROR;
}

LNSTATUS LNFontStyle::SetAttributes(uint32_t value, uint32_t mask) {
    LNFontStyleBody* body = Ensure();
    const uint32_t fontId = (body->FontID & ~mask) | (value & mask);
    // Checked on the result, so that a failure leaves the style as it was.
    if (((fontId >> 8) & LNFONT_EXCLUSIVE_ATTRIBUTES) == LNFONT_EXCLUSIVE_ATTRIBUTES)
        return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    body->FontID = fontId;
    return LNNOERROR;
}

LNSTATUS LNFontStyle::SetFace(const LNFontFace& face) {
    LNFontStyleBody* body = Ensure();
    if (face.Face > LNFONT_STANDARD_FACES) {
        if (body->Table.IsNull())
            body->Table = new LNFontTableBody(face);
        else if (const LNSTATUS status = body->Table.AddFace(face); LNIsError(status))
            return status;
    }
    SetByte(0, face.Face);
    return LNNOERROR;
}

LNSTATUS LNFontStyle::SetStyle(const LNFontStyle& other, uint32_t mask) {
    if (other.IsNull()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNFontStyleBody* body = Ensure();
    const uint32_t fontId = (other.GetFontID() & mask) | (body->FontID & ~mask);
    if (((fontId >> 8) & LNFONT_EXCLUSIVE_ATTRIBUTES) == LNFONT_EXCLUSIVE_ATTRIBUTES)
        return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    const uint8_t face = static_cast<uint8_t>(fontId);
    if (face != static_cast<uint8_t>(body->FontID) && face > LNFONT_STANDARD_FACES)
        body->Table = other.Style()->Table;
    body->FontID = fontId;
    return LNNOERROR;
}

LNString LNFontStyle::GetFaceName() const {
    LNFontFace face{};
    const LNSTATUS status = GetFace(&face);
    if (LNIsError(status)) throw status;
    return LNString(face.Name);
}

LNSTATUS LNFontStyle::SetFaceByName(const char* name) {
    if (name == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNFontStyleBody* body = Ensure();
    if (body->Table.IsNull()) return LNReturnOrThrow(LNERR_NO_MATCH);
    uint8_t id = 0;
    const LNSTATUS status = body->Table.FindFaceByName(name, &id);
    if (LNIsError(status)) return status;
    if (status == LNWARN_NOT_FOUND) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    SetByte(0, id);
    return LNNOERROR;
}
