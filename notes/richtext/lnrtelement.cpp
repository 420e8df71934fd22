#include "lnrtelement.h"
#include "lnerrors.h"

LNRTElement::LNRTElement(const LNRTObject& object) {
    *this = object;
}

LNRTElement& LNRTElement::operator=(const LNRTObject& object) {
    if (!object.IsNull() && !object.IsType(LNRTTYPE_ELEMENT)) throw LNERR_CONVERSION;
    SetObjectBody(object.GetObjectBody());
    return *this;
}

LNSTATUS LNRTElement::CopyObject(const LNRTObject& source, bool deep) {
    if (source.IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (!source.IsType(LNRTTYPE_ELEMENT)) return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    return LNRTObject::CopyObject(source, deep);
}

LNCompositeData::LNCompositeData(const LNRTObject& object) {
    *this = object;
}

LNCompositeData& LNCompositeData::operator=(const LNRTObject& object) {
    if (!object.IsNull() && !object.IsType(LNRTTYPE_COMPOSITE_DATA)) throw LNERR_CONVERSION;
    SetObjectBody(object.GetObjectBody());
    return *this;
}

LNSTATUS LNCompositeData::CopyObject(const LNRTObject& source, bool deep) {
    if (source.IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (!source.IsType(LNRTTYPE_COMPOSITE_DATA)) return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    return LNRTObject::CopyObject(source, deep);
}

LNRTObjectBody* LNCompositeData::Ensure() {
    if (IsNull()) SetObjectBody(new LNRTElementBody(LNRTTYPE_COMPOSITE_DATA));
    return GetObjectBody();
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
    nnotes::ODSFieldRecord field{};
    uint32_t fixed = 0;
    if (const LNSTATUS status = LNReadFormField(*GetObjectBody(), &field, &fixed))
        return LNReturnOrThrow(status);
    *fontId = field.FontID;
    return LNNOERROR;
}

LNSTATUS LNFormField::GetDataType(uint32_t* dataType) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    nnotes::ODSFieldRecord field{};
    uint32_t fixed = 0;
    if (const LNSTATUS status = LNReadFormField(*GetObjectBody(), &field, &fixed))
        return LNReturnOrThrow(status);
    *dataType = field.DataType;
    return LNNOERROR;
}
