#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnfonttable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"

#include <algorithm>
#include <cstring>

namespace {

// Names are stored cut to the face's field (its last byte is the terminator): a longer name matches the
// face that holds its cut form.
bool SameName(const LNFontFace& face, const char* name) {
    const size_t length = strnlen(name, sizeof face.Name - 1);
    return strnlen(face.Name, sizeof face.Name) == length && std::memcmp(face.Name, name, length) == 0;
}

void SetName(LNFontFace* face, const char* name) {
    std::memset(face->Name, 0, sizeof face->Name);
    std::memcpy(face->Name, name, strnlen(name, sizeof face->Name - 1));
}

uint32_t FaceOffset(uint32_t i) {
    return 2u + nnotes::ODSLength(nnotes::ODS_FONT_TABLE_HEADER) +
           i * nnotes::ODSLength(nnotes::ODS_FONT_FACE);
}

} // namespace

LNFontTableBody::LNFontTableBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                                 nnotes::BLOCKID value, uint32_t size)
    : LNCompositeItemBody(note, item, nsfType, flags, value, size) {}

LNFontTableBody::LNFontTableBody(const LNFontFace& face) {
    if (face.Face <= LNFONT_STANDARD_FACES) throw LNERR_INVALID_PARAMETER;
    HighestFace = LNFONT_STANDARD_FACES;
    Header = {LNRTSIG_FONT_TABLE, nnotes::ODSLength(nnotes::ODS_FONT_TABLE_HEADER), 0};
    if (const LNSTATUS status = AddFace(face)) throw status;
    SetDirty(true);
    if (const LNSTATUS status = BuildValue()) throw status;
}

LNSTATUS LNFontTableBody::ReadFaces() {
    LN_ASSERT(HighestFace == 0, "lnfontbl", 410);
    if (FirstBlock.IsEmpty()) {
        // A table without a value yet holds no faces.
        Header = {LNRTSIG_FONT_TABLE, nnotes::ODSLength(nnotes::ODS_FONT_TABLE_HEADER), 0};
        HighestFace = LNFONT_STANDARD_FACES;
        return LNNOERROR;
    }
    nnotes::ODSFontTableHeader header{};
    if (const LNSTATUS status = FirstBlock.ReadStructure(nnotes::ODS_FONT_TABLE_HEADER, &header, 2))
        return status;
    if (header.Fonts >= 256) return LNERR_TOO_MANY_FONTS;
    uint8_t highest = LNFONT_STANDARD_FACES;
    for (uint32_t i = 0; i < header.Fonts; ++i) {
        if (const LNSTATUS status = FirstBlock.ReadStructure(nnotes::ODS_FONT_FACE, &Faces[i], FaceOffset(i)))
            return status;
        Faces[i].Name[sizeof Faces[i].Name - 1] = '\0';
        highest = std::max(highest, Faces[i].Face);
    }
    Header = header;
    HighestFace = highest;
    return LNNOERROR;
}

LNSTATUS LNFontTableBody::Ready() {
    if (!IsOpen()) return LNERR_ALREADY_CLOSED;
    return HighestFace == 0 ? ReadFaces() : LNNOERROR;
}

LNSTATUS LNFontTableBody::AddFace(const LNFontFace& face) {
    if (const LNSTATUS status = Ready()) return LNReturnOrThrow(status);
    if (face.Face <= LNFONT_STANDARD_FACES) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    char name[sizeof face.Name + 1] = {};
    std::memcpy(name, face.Name, sizeof face.Name);
    for (uint32_t i = 0; i < Header.Fonts; ++i) {
        if (SameName(Faces[i], name))
            return Faces[i].Face == face.Face ? LNNOERROR : LNReturnOrThrow(LNERR_CORRUPTED);
        if (Faces[i].Face == face.Face) return LNReturnOrThrow(LNERR_CORRUPTED);
    }
    if (Header.Fonts >= LNFONT_MAX_FACES) return LNReturnOrThrow(LNERR_TOO_MANY_FONTS);
    Faces[Header.Fonts] = face;
    SetName(&Faces[Header.Fonts], name);
    ++Header.Fonts;
    HighestFace = std::max(HighestFace, face.Face);
    SetDirty(true);
    return LNNOERROR;
}

LNSTATUS LNFontTableBody::AddFaceByName(uint8_t family, const char* name, uint8_t* id) {
    if (name == nullptr || id == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const LNSTATUS status = FindFaceByName(name, id); status != LNWARN_NOT_FOUND) return status;
    if (Header.Fonts >= LNFONT_MAX_FACES || HighestFace >= 255) return LNReturnOrThrow(LNERR_TOO_MANY_FONTS);
    ++HighestFace;
    LNFontFace& face = Faces[Header.Fonts++];
    face.Face = HighestFace;
    face.Family = family;
    SetName(&face, name);
    SetDirty(true);
    *id = HighestFace;
    return LNNOERROR;
}

LNSTATUS LNFontTableBody::FindFaceByName(const char* name, uint8_t* id) {
    LN_ASSERT(id != nullptr, "lnfontbl", 702);
    if (const LNSTATUS status = Ready()) return LNReturnOrThrow(status);
    for (uint32_t i = 0; i < Header.Fonts; ++i) {
        if (SameName(Faces[i], name)) {
            *id = Faces[i].Face;
            return LNNOERROR;
        }
    }
    *id = 0;
    return LNWARN_NOT_FOUND;
}

LNSTATUS LNFontTableBody::GetFace(uint8_t id, LNFontFace* face) {
    if (face == nullptr || id <= LNFONT_STANDARD_FACES) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const LNSTATUS status = Ready()) return LNReturnOrThrow(status);
    for (uint32_t i = 0; i < Header.Fonts; ++i) {
        if (Faces[i].Face == id) {
            *face = Faces[i];
            return LNNOERROR;
        }
    }
    face->Face = id;
    face->Family = 0;
    SetName(face, "MS_SERIF");
    return LNWARN_NOT_FOUND;
}

uint16_t LNFontTableBody::GetFaceCount() {
    if (const LNSTATUS status = Ready()) throw status;
    return Header.Fonts;
}

LNSTATUS LNFontTableBody::Merge(LNFontTableBody* other) {
    if (other == nullptr) return LNNOERROR;
    const uint16_t count = other->GetFaceCount();
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t id = 0;
        char name[sizeof other->Faces[i].Name + 1] = {};
        std::memcpy(name, other->Faces[i].Name, sizeof other->Faces[i].Name);
        if (const LNSTATUS status = AddFaceByName(other->Faces[i].Family, name, &id); LNIsError(status))
            return status;
    }
    return LNNOERROR;
}

LNSTATUS LNFontTableBody::BuildValue() {
    if (!IsDirty()) return LNNOERROR;
    if (!IsOpen()) return LNERR_ALREADY_CLOSED;
    LN_ASSERT(HighestFace != 0, "lnfontbl", 1012);
    const uint32_t size = FaceOffset(Header.Fonts);
    Header.Length = static_cast<uint16_t>(size);
    nnotes::DHANDLE handle = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::AllocateBlock(0, size, &handle)) return LNToNotesStatus(status);
    LNMemoryBlock block;
    block.Attach(handle, 0, size);
    const uint16_t type = nnotes::TYPE_COMPOSITE;
    LNSTATUS status = block.WriteStructure(nnotes::ODS_WORD, &type, 0);
    if (status == LNNOERROR) status = block.WriteStructure(nnotes::ODS_FONT_TABLE_HEADER, &Header, 2);
    for (uint32_t i = 0; status == LNNOERROR && i < Header.Fonts; ++i)
        status = block.WriteStructure(nnotes::ODS_FONT_FACE, &Faces[i], FaceOffset(i));
    if (status != LNNOERROR) {
        nnotes::FreeBlock(handle);
        return status;
    }
    if (const LNSTATUS replaced = ReplaceFirstBlock(&block)) {
        nnotes::FreeBlock(handle);
        return replaced;
    }
    return LNNOERROR;
}

LNSTATUS LNFontTableBody::Close() {
    // A stored table that cannot be read is still closed; the reading failure is reported.
    const LNSTATUS read = IsOpen() && HighestFace == 0 ? ReadFaces() : LNNOERROR;
    const LNSTATUS closed = LNCompositeItemBody::Close();
    return read != LNNOERROR ? read : closed;
}

LNSTATUS LNFontTableBody::Assign(LNFontTableBody* other) {
    LN_ASSERT(other != nullptr, "lnfontbl", 1201);
    if (other == this || other->GetType() != LNITEMTYPE_FONTTABLE) return LNERR_INVALID_PARAMETER;
    if (const LNSTATUS status = other->Ready()) return status;
    HighestFace = 0;
    Header.Fonts = 0;
    LNMemoryBlock view;
    view.Attach(other->GetValueBlockID().pool, other->GetValueBlockID().block, other->GetValueSize());
    if (const LNSTATUS status = ReplaceFirstBlock(&view)) return status;
    // The value still belongs to other: this body builds one of its own before it is written.
    SetValueOwned(false);
    HighestFace = other->HighestFace;
    Header = other->Header;
    Faces = other->Faces;
    SetDirty(true);
    return LNNOERROR;
}
