// Elements: the leaves of a rich-text tree that are not text. LNRTElement is the general element,
// LNCompositeData reads and writes any element's record as raw bytes or on-disk structures, and LNFormField
// reads the field-definition records.
#pragma once

#include "ln/lnrtobject.h"
#include "nnotes/memblock.h"
#include "nnotes/ods.h"

class LNRTCursor;

class LNRTElementBody : public LNRTObjectBody {
public:
    // A new element without a record, of the given type bits.
    explicit LNRTElementBody(uint32_t type = LNRTTYPE_ELEMENT);
    LNRTElementBody(nnotes::DHANDLE pool, uint16_t block, uint32_t length);
    ~LNRTElementBody() override;

    LNSTATUS Close() override;
    LNCLASSID GetClassID() const override { return LNCLASSID_LNRTELEMENTBODY; }
    LNSTATUS Assign(LNRTObjectBody* source, bool deep) override;
    LNRTObjectBody* NewOfSameKind() const override;
    // A cursor standing on this element (not after it); no cursor: LNERR_INVALID_PARAMETER.
    virtual LNSTATUS GetCursor(LNRTCursor* cursor);
};

class LNFormFieldBody : public LNRTElementBody {
public:
    LNFormFieldBody(nnotes::DHANDLE pool, uint16_t block, uint32_t length);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNFORMFIELDBODY; }
    LNRTObjectBody* NewOfSameKind() const override;

    // The field's name and a terminating zero; size must hold both.
    LNSTATUS GetName(char* buffer, uint32_t size) const;
    LNSTATUS GetFontID(uint32_t* fontId) const;
    LNSTATUS GetDataType(uint32_t* dataType) const;
    LNSTATUS GetNumberFormat(uint32_t* format) const;
    LNSTATUS GetTimeFormat(uint32_t* format) const;

    // Field records are read here, never changed nor their formulas read: each of these answers
    // LNERR_NOT_IMPLEMENTED.
    LNSTATUS SetName(const char* name);
    LNSTATUS SetFontID(uint32_t fontId);
    LNSTATUS SetDataType(uint32_t dataType);
    LNSTATUS SetNumberFormat(uint32_t format);
    LNSTATUS SetTimeFormat(uint32_t format);
    LNSTATUS GetDefaultValueFormula(char* buffer, uint32_t size) const;
    LNSTATUS GetInputTranslationFormula(char* buffer, uint32_t size) const;
    LNSTATUS GetInputValidationFormula(char* buffer, uint32_t size) const;
    LNSTATUS SetFormulas(const char* defaultValue, const char* inputTranslation, const char* inputValidation);
    LNSTATUS GetFormulas(char* defaultValue, char* inputTranslation, char* inputValidation,
                         uint32_t size) const;
};

// The fixed part of the field record (signature 0xFF8A or 0xFF84, else LNERR_WRONG_RICHTEXT_TYPE) held by
// record, and its on-disk length.
LNSTATUS LNReadFormField(const LNRTObjectBody& record, nnotes::ODSFieldRecord* field, uint32_t* fixedLength);
// The field's name (after the fixed part and the three formulas) and a terminating zero.
LNSTATUS LNReadFormFieldName(const LNRTObjectBody& record, char* buffer, uint32_t size);

enum class LNFormFieldValue { DataType, NumberFormat, TimeFormat, FontID };
// One number of the field record, widened to 32 bits.
LNSTATUS LNReadFormFieldValue(const LNRTObjectBody& record, LNFormFieldValue which, uint32_t* value);

// Tag of the element constructor that takes any object as it is.
struct LNRTUnchecked {};

class LNRTElement : public LNRTObject {
public:
    LNRTElement() = default;
    // An object that is not an element throws LNERR_CONVERSION.
    explicit LNRTElement(const LNRTObject& object);
    LNRTElement(const LNRTObject& object, LNRTUnchecked);
    explicit LNRTElement(LNRTObjectBody* body);
    // A character of a run (offset from 1; 0 throws LNERR_CORRUPTED).
    LNRTElement(LNRTObjectBody* body, uint32_t offset);
    LNRTElement(const LNRTElement& other) = default;
    LNRTElement& operator=(const LNRTElement& other) = default;
    LNRTElement(LNRTElement&& other) noexcept = default;
    LNRTElement& operator=(LNRTElement&& other) noexcept = default;
    LNRTElement& operator=(const LNRTObject& object);
    LNRTElement& operator=(LNRTObjectBody* body);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNRTELEMENT; }
    LNSTATUS CopyObject(const LNRTObject& source, bool deep = true) override;
    // Takes an element (or nothing); any other object throws LNERR_INAPPROPRIATE_FOR_OBJECT.
    void SetElement(const LNRTObject& object);
    // A cursor on this element (a character: on that character); no cursor: LNERR_INVALID_PARAMETER.
    LNSTATUS GetCursor(LNRTCursor* cursor) const;
};

// One character of a run as a handle of its own (class id 94).
class LNRTChar : public LNRTElement {
public:
    LNRTChar() = default;
    // A character handle or nothing; any other object throws LNERR_CONVERSION.
    explicit LNRTChar(const LNRTObject& object);
    // Character offset (from 1) of run; offset 0 throws LNERR_CORRUPTED.
    LNRTChar(LNRTObjectBody* run, uint32_t offset);
    LNRTChar(const LNRTChar& other) = default;
    LNRTChar& operator=(const LNRTChar& other) = default;
    LNRTChar(LNRTChar&& other) noexcept = default;
    LNRTChar& operator=(LNRTChar&& other) noexcept = default;
    // Only null: it empties the handle (any body throws LNERR_CORRUPTED).
    LNRTChar& operator=(LNRTObjectBody* body);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNRTCHAR; }
    // Characters are not copied as objects: LNERR_NOT_IMPLEMENTED.
    LNSTATUS CopyObject(const LNRTObject& source, bool deep = true) override;
};

class LNCompositeData : public LNRTElement {
public:
    LNCompositeData() = default;
    // An object that is not an element holding a record (type 7) throws LNERR_CONVERSION.
    explicit LNCompositeData(const LNRTObject& object);
    LNCompositeData& operator=(const LNRTObject& object);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNCOMPOSITEDATA; }
    LNSTATUS CopyObject(const LNRTObject& source, bool deep = true) override;
    // An empty handle has no record yet: 0.
    uint32_t GetRecordLength() const override;

    // Throws LNERR_NOT_INITIALIZED without a body.
    uint16_t GetSignature() const;
    LNSTATUS ReadData(uint32_t count, void* destination, uint32_t offset) const;
    LNSTATUS ReadStructure(uint16_t type, void* destination) const;
    // An empty handle first gets a new element; the record grows to hold what is written.
    LNSTATUS WriteData(uint32_t count, const void* source, uint32_t offset);
    LNSTATUS WriteStructure(uint16_t type, const void* source);

private:
    LNRTObjectBody* Ensure();
};

class LNFormField : public LNRTElement {
public:
    LNFormField() = default;
    // An object that is not a field record throws LNERR_CONVERSION.
    explicit LNFormField(const LNRTObject& object);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNFORMFIELD; }
    LNSTATUS CopyObject(const LNRTObject&, bool = true) override;

    LNSTATUS GetName(char* buffer, uint32_t size) const;
    LNSTATUS GetFontID(uint32_t* fontId) const;
    LNSTATUS GetDataType(uint32_t* dataType) const;
    LNSTATUS GetNumberFormat(uint32_t* format) const;
    LNSTATUS GetTimeFormat(uint32_t* format) const;
};
