#include "ln/lncdrecord.h"
#include "ln/lnerrors.h"
#include "ln/lnrtcursor.h"
#include "ln/lnrtelement.h"
#include "nnotes/memblock.h"
#include "nnotes/ods.h"

LNRTElementBody::LNRTElementBody(uint32_t type) {
    SetType(type);
}

LNRTElementBody::LNRTElementBody(nnotes::DHANDLE pool, uint16_t block, uint32_t length)
    : LNRTObjectBody(pool, block, length) {
    SetType(LNRTTYPE_ELEMENT);
}

LNRTElementBody::~LNRTElementBody() {
    if (!IsClosed()) LNRTElementBody::Close();
}

LNSTATUS LNRTElementBody::Close() {
    if (IsClosed()) return LNWARN_NOT_OPEN;
    MarkClosed();
    return LNRTObjectBody::Close();
}

LNSTATUS LNRTElementBody::Assign(LNRTObjectBody* source, bool deep) {
    if (source != nullptr && !source->IsType(LNRTTYPE_ELEMENT)) return LNERR_INAPPROPRIATE_FOR_OBJECT;
    if (const LNSTATUS status = LNRTObjectBody::Assign(source, deep)) return status;
    SetType(source->GetType());
    return LNNOERROR;
}

LNRTObjectBody* LNRTElementBody::NewOfSameKind() const {
    return new LNRTElementBody(GetType());
}

LNFormFieldBody::LNFormFieldBody(nnotes::DHANDLE pool, uint16_t block, uint32_t length)
    : LNRTElementBody(pool, block, length) {
    SetType(LNRTTYPE_FORM_FIELD);
}

LNRTObjectBody* LNFormFieldBody::NewOfSameKind() const {
    return new LNRTElementBody(GetType());
}

LNSTATUS LNReadFormField(const LNRTObjectBody& record, nnotes::ODSFieldRecord* field, uint32_t* fixedLength) {
    const uint16_t signature = record.GetSignature();
    const uint16_t type = signature == LNRTSIG_FIELD       ? nnotes::ODS_FIELD_RECORD
                          : signature == LNRTSIG_FIELD_OLD ? nnotes::ODS_FIELD_RECORD_OLD
                                                           : 0;
    if (type == 0) return LNERR_WRONG_RICHTEXT_TYPE;
    *fixedLength = nnotes::ODSLength(type);
    return record.ReadStructure(type, field, 0);
}

LNSTATUS LNReadFormFieldName(const LNRTObjectBody& record, char* buffer, uint32_t size) {
    if (buffer == nullptr) return LNERR_INVALID_PARAMETER;
    nnotes::ODSFieldRecord field{};
    uint32_t fixed = 0;
    if (const LNSTATUS status = LNReadFormField(record, &field, &fixed)) return status;
    if (size < uint32_t{field.NameLength} + 1) return LNERR_BUFFER_TOO_SMALL;
    const uint32_t at = fixed + field.DefaultValueFormulaLength + field.InputTranslationFormulaLength +
                        field.InputValidationFormulaLength;
    if (field.NameLength > 0)
        if (const LNSTATUS status = record.ReadBytes(field.NameLength, buffer, at)) return status;
    buffer[field.NameLength] = '\0';
    return LNNOERROR;
}

LNSTATUS LNReadFormFieldValue(const LNRTObjectBody& record, LNFormFieldValue which, uint32_t* value) {
    if (value == nullptr) return LNERR_INVALID_PARAMETER;
    nnotes::ODSFieldRecord field{};
    uint32_t fixed = 0;
    if (const LNSTATUS status = LNReadFormField(record, &field, &fixed)) return status;
    switch (which) {
    case LNFormFieldValue::DataType:
        *value = field.DataType;
        break;
    case LNFormFieldValue::NumberFormat:
        *value = field.NumberFormat;
        break;
    case LNFormFieldValue::TimeFormat:
        *value = field.TimeFormat;
        break;
    case LNFormFieldValue::FontID:
        *value = field.FontID;
        break;
    }
    return LNNOERROR;
}

LNSTATUS LNFormFieldBody::GetName(char* buffer, uint32_t size) const {
    return LNReadFormFieldName(*this, buffer, size);
}

LNSTATUS LNFormFieldBody::GetFontID(uint32_t* fontId) const {
    return LNReadFormFieldValue(*this, LNFormFieldValue::FontID, fontId);
}

LNSTATUS LNFormFieldBody::GetNumberFormat(uint32_t* format) const {
    return LNReadFormFieldValue(*this, LNFormFieldValue::NumberFormat, format);
}

LNSTATUS LNFormFieldBody::GetTimeFormat(uint32_t* format) const {
    return LNReadFormFieldValue(*this, LNFormFieldValue::TimeFormat, format);
}

LNSTATUS LNFormFieldBody::GetDataType(uint32_t* dataType) const {
    return LNReadFormFieldValue(*this, LNFormFieldValue::DataType, dataType);
}

LNSTATUS LNRTElementBody::GetCursor(LNRTCursor* cursor) {
    if (cursor == nullptr) return LNERR_INVALID_PARAMETER;
    const LNRTObject self(this);
    return cursor->SetPosition(self);
}

LNSTATUS LNFormFieldBody::SetName(const char*) {
    return LNERR_NOT_IMPLEMENTED;
}

LNSTATUS LNFormFieldBody::SetFontID(uint32_t) {
    return LNERR_NOT_IMPLEMENTED;
}

LNSTATUS LNFormFieldBody::SetDataType(uint32_t) {
    return LNERR_NOT_IMPLEMENTED;
}

LNSTATUS LNFormFieldBody::SetNumberFormat(uint32_t) {
    return LNERR_NOT_IMPLEMENTED;
}

LNSTATUS LNFormFieldBody::SetTimeFormat(uint32_t) {
    return LNERR_NOT_IMPLEMENTED;
}

LNSTATUS LNFormFieldBody::GetDefaultValueFormula(char*, uint32_t) const {
    return LNERR_NOT_IMPLEMENTED;
}

LNSTATUS LNFormFieldBody::GetInputTranslationFormula(char*, uint32_t) const {
    return LNERR_NOT_IMPLEMENTED;
}

LNSTATUS LNFormFieldBody::GetInputValidationFormula(char*, uint32_t) const {
    return LNERR_NOT_IMPLEMENTED;
}

LNSTATUS LNFormFieldBody::SetFormulas(const char*, const char*, const char*) {
    return LNERR_NOT_IMPLEMENTED;
}

LNSTATUS LNFormFieldBody::GetFormulas(char*, char*, char*, uint32_t) const {
    return LNERR_NOT_IMPLEMENTED;
}
