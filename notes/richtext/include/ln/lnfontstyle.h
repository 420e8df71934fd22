// LNFontStyle and LNFontStyleBody: one font of rich text (the 32-bit Notes font id: byte 0 face id, byte 1
// attributes, byte 2 colour, byte 3 point size) together with the font table its face id belongs to.
#pragma once

#include "ln/lnfonttable.h"

constexpr uint32_t LNFONTID_DEFAULT = 0x0A000001u; // face 1, plain, colour 0, 10 points
// Attribute bits that may not be set together.
constexpr uint8_t LNFONT_EXCLUSIVE_ATTRIBUTES = 0x30;

class LNNote;

class LNFontStyleBody : public LNBody {
public:
    // A style always has a font: this throws LNERR_INAPPROPRIATE_FOR_OBJECT.
    LNFontStyleBody();
    LNFontStyleBody(uint32_t fontId, const LNFontTable& table);
    // The note's font table, when it has one; other failures are thrown.
    LNFontStyleBody(uint32_t fontId, LNNoteBody* note);
    LNFontStyleBody(const LNFontStyleBody& other);

    LNSTATUS Close() override;
    LNCLASSID GetClassID() const override { return LNCLASSID_LNFONTSTYLEBODY; }
    LNSTATUS Assign(const LNFontStyleBody* other);

    bool IsValid() const {
        return ((FontID >> 8) & LNFONT_EXCLUSIVE_ATTRIBUTES) != LNFONT_EXCLUSIVE_ATTRIBUTES;
    }
    uint32_t FontID = LNFONTID_DEFAULT;
    LNFontTable Table;
};

class LNFontStyle : public LNSmartPtr {
public:
    LNFontStyle() = default;
    LNFontStyle(uint32_t fontId, const LNFontTable& table);
    // The font of the note's font table (none when the note has no "$Fonts").
    LNFontStyle(uint32_t fontId, const LNNote& note);
    LNFontStyle(const LNFontStyle& other) = default;
    LNFontStyle& operator=(const LNFontStyle& other);
    virtual ~LNFontStyle() = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNFONTSTYLE; }

    // Getters throw LNERR_NOT_INITIALIZED without a body.
    uint32_t GetFontID() const;
    uint8_t GetFaceID() const { return static_cast<uint8_t>(GetFontID()); }
    uint8_t GetAttributes() const { return static_cast<uint8_t>(GetFontID() >> 8); }
    uint8_t GetColor() const { return static_cast<uint8_t>(GetFontID() >> 16); }
    uint8_t GetPointSize() const { return static_cast<uint8_t>(GetFontID() >> 24); }
    // LNWARN_NOT_FOUND when the style knows no table.
    LNSTATUS GetFontTable(LNFontTable* table) const;
    LNSTATUS GetFace(LNFontFace* face) const;
    // The face's name in the style's table; a failure of the lookup (no table, a standard face) is
    // thrown.
    LNString GetFaceName() const;

    // Setters give an empty handle a default style first.
    LNSTATUS SetAttributes(uint8_t attributes);
    LNSTATUS SetAttributes(uint32_t value, uint32_t mask);
    void SetColor(uint8_t color) { SetByte(2, color); }
    void SetFaceID(uint8_t id) { SetByte(0, id); }
    void SetPointSize(uint8_t size) { SetByte(3, size); }
    LNSTATUS SetFace(const LNFontFace& face);
    // The face of that name in the style's table: no table LNERR_NO_MATCH, no such face
    // LNERR_INVALID_PARAMETER.
    LNSTATUS SetFaceByName(const char* name);
    // Takes the bits of other's font id that mask selects.
    LNSTATUS SetStyle(const LNFontStyle& other, uint32_t mask);

private:
    LNFontStyleBody* Style() const { return static_cast<LNFontStyleBody*>(GetBody()); }
    LNFontStyleBody* Ensure();
    void SetByte(unsigned index, uint8_t value);
};
