// LNFontTable and LNFontTableBody: the note's font table, the composite item "$Fonts", which names the faces
// that rich text refers to by a one-byte face id. Ids 1 to 4 are the standard faces and never stored.
#pragma once

#include "ln/lncdrecord.h"
#include "ln/lncompositeitembody.h"
#include "ln/lnitem.h"
#include "nnotes/memblock.h"
#include "nnotes/ods.h"

#include <array>

constexpr uint8_t LNFONT_STANDARD_FACES = 4;
constexpr uint16_t LNFONT_MAX_FACES = 255;
constexpr const char* LNFONTTABLE_ITEM = "$Fonts";

using LNFontFace = nnotes::ODSFontFace;

class LNFontTableBody : public LNCompositeItemBody {
public:
    LNFontTableBody() = default;
    LNFontTableBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                    nnotes::BLOCKID value, uint32_t size);
    // A new table holding one face (id above 4, else LNERR_INVALID_PARAMETER thrown), built at once.
    explicit LNFontTableBody(const LNFontFace& face);

    LNSTATUS Close() override;
    LNCLASSID GetClassID() const override { return LNCLASSID_LNFONTTABLEBODY; }
    LNSTATUS BuildValue() override;
    LNSTATUS Assign(LNFontTableBody* other);

    LNSTATUS AddFace(const LNFontFace& face);
    LNSTATUS AddFaceByName(uint8_t family, const char* name, uint8_t* id);
    LNSTATUS FindFaceByName(const char* name, uint8_t* id);
    LNSTATUS FindFace(const LNFontFace& face, uint8_t* id) { return FindFaceByName(face.Name, id); }
    // Unknown ids give a usable "MS_SERIF" face and LNWARN_NOT_FOUND.
    LNSTATUS GetFace(uint8_t id, LNFontFace* face);
    // Throws a failure to read the stored table.
    uint16_t GetFaceCount();
    LNSTATUS Merge(LNFontTableBody* other);
    uint8_t GetHighestFace() const { return HighestFace; }

private:
    LNSTATUS ReadFaces();
    // Reads the faces on first use; LNERR_ALREADY_CLOSED for a closed body.
    LNSTATUS Ready();

    nnotes::ODSFontTableHeader Header{LNRTSIG_FONT_TABLE, 0, 0};
    std::array<LNFontFace, 256> Faces{};
    uint8_t HighestFace = 0;
};

class LNFontTable : public LNItem {
public:
    LNFontTable() = default;
    LNFontTable(const LNFontTable& other) = default;
    LNFontTable& operator=(const LNFontTable& other) = default;
    // A body that is not a font table throws LNERR_CONVERSION.
    LNFontTable& operator=(const LNItem& item);
    LNFontTable& operator=(LNFontTableBody* body);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNFONTTABLE; }
    bool operator==(const LNFontTable& other) const { return GetBody() == other.GetBody(); }
    LNFontTableBody* GetFontTableBody() const { return static_cast<LNFontTableBody*>(GetBody()); }

    LNSTATUS AddFace(const LNFontFace& face);
    LNSTATUS AddFaceByName(uint8_t family, const char* name, uint8_t* id);
    LNSTATUS FindFace(const LNFontFace& face, uint8_t* id) const;
    LNSTATUS FindFaceByName(const char* name, uint8_t* id) const;
    LNSTATUS GetFace(uint8_t id, LNFontFace* face) const;
    LNSTATUS Merge(const LNFontTable& other);
    LNSTATUS BuildValue();
};
