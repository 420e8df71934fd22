#include "ln/lnrtelement.h"
#include "ln/lnerrors.h"
#include "ln/lnrtcursor.h"

LNRTElement::LNRTElement(const LNRTObject& object) {
    *this = object;
}

LNRTElement& LNRTElement::operator=(const LNRTObject& object) {
    AssignOfType(object, LNRTTYPE_ELEMENT);
    return *this;
}

LNRTElement::LNRTElement(const LNRTObject& object, LNRTUnchecked) : LNRTObject(object) {}

LNRTElement::LNRTElement(LNRTObjectBody* body) : LNRTObject(body) {}

LNRTElement::LNRTElement(LNRTObjectBody* body, uint32_t offset) : LNRTObject(body, offset) {}

LNRTElement& LNRTElement::operator=(LNRTObjectBody* body) {
    SetObjectBody(body);
    return *this;
}

LNSTATUS LNRTElement::CopyObject(const LNRTObject& source, bool deep) {
    return CopyObjectOfType(source, LNRTTYPE_ELEMENT, deep);
}

void LNRTElement::SetElement(const LNRTObject& object) {
    if (!object.IsNull() && !object.IsType(LNRTTYPE_ELEMENT)) throw LNERR_INAPPROPRIATE_FOR_OBJECT;
    LNRTObject::operator=(object);
}

LNSTATUS LNRTElement::GetCursor(LNRTCursor* cursor) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (HasOffset()) {
        if (cursor == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
        return cursor->SetPosition(*this);
    }
    if (!GetObjectBody()->IsType(LNRTTYPE_ELEMENT) || GetObjectBody()->IsType(LNRTTYPE_CONTAINER))
        return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    return LNReturnOrThrow(static_cast<LNRTElementBody*>(GetObjectBody())->GetCursor(cursor));
}

LNRTChar::LNRTChar(const LNRTObject& object) {
    if (!object.IsNull() && !object.HasOffset()) throw LNERR_CONVERSION;
    LNRTObject::operator=(object);
}

LNRTChar::LNRTChar(LNRTObjectBody* run, uint32_t offset) : LNRTElement(run, offset) {
    if (run == nullptr) throw LNERR_CORRUPTED;
}

LNRTChar& LNRTChar::operator=(LNRTObjectBody* body) {
    if (body != nullptr) throw LNERR_CORRUPTED;
    SetObjectBody(nullptr);
    return *this;
}

LNSTATUS LNRTChar::CopyObject(const LNRTObject&, bool) {
    return LNReturnOrThrow(LNERR_NOT_IMPLEMENTED);
}

LNCompositeData::LNCompositeData(const LNRTObject& object) {
    *this = object;
}

LNCompositeData& LNCompositeData::operator=(const LNRTObject& object) {
    AssignOfType(object, LNRTTYPE_COMPOSITE_DATA);
    return *this;
}

LNSTATUS LNCompositeData::CopyObject(const LNRTObject& source, bool deep) {
    return CopyObjectOfType(source, LNRTTYPE_COMPOSITE_DATA, deep);
}

LNRTObjectBody* LNCompositeData::Ensure() {
    if (IsNull()) SetObjectBody(new LNRTElementBody(LNRTTYPE_COMPOSITE_DATA));
    return GetObjectBody();
}

uint32_t LNCompositeData::GetRecordLength() const {
    return IsNull() ? 0 : LNRTObject::GetRecordLength();
}

uint16_t LNCompositeData::GetSignature() const {
    return Require()->GetSignature();
}

LNSTATUS LNCompositeData::ReadData(uint32_t count, void* destination, uint32_t offset) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetObjectBody()->ReadBytes(count, destination, offset));
}

LNSTATUS LNCompositeData::ReadStructure(uint16_t type, void* destination) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetObjectBody()->ReadStructure(type, destination, 0));
}

LNSTATUS LNCompositeData::WriteData(uint32_t count, const void* source, uint32_t offset) {
    if (source == nullptr || (!IsNull() && offset > GetRecordLength()))
        return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return LNReturnOrThrow(Ensure()->WriteBytes(count, source, offset));
}

LNSTATUS LNCompositeData::WriteStructure(uint16_t type, const void* source) {
    if (source == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return LNReturnOrThrow(Ensure()->WriteStructure(type, source, 0));
}

LNFormField::LNFormField(const LNRTObject& object) : LNRTElement(object) {}

LNSTATUS LNFormField::CopyObject(const LNRTObject&, bool) {
    return LNReturnOrThrow(LNERR_NOT_IMPLEMENTED);
}

LNSTATUS LNFormField::GetName(char* buffer, uint32_t size) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(LNReadFormFieldName(*GetObjectBody(), buffer, size));
}

LNSTATUS LNFormField::GetFontID(uint32_t* fontId) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(LNReadFormFieldValue(*GetObjectBody(), LNFormFieldValue::FontID, fontId));
}

LNSTATUS LNFormField::GetDataType(uint32_t* dataType) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(LNReadFormFieldValue(*GetObjectBody(), LNFormFieldValue::DataType, dataType));
}

LNSTATUS LNFormField::GetNumberFormat(uint32_t* format) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(LNReadFormFieldValue(*GetObjectBody(), LNFormFieldValue::NumberFormat, format));
}

LNSTATUS LNFormField::GetTimeFormat(uint32_t* format) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(LNReadFormFieldValue(*GetObjectBody(), LNFormFieldValue::TimeFormat, format));
}
