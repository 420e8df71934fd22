#include "lnassert.h"
#include "lnerrors.h"
#include "lnrtcontainer.h"
#include "lnstylizedtext.h"

namespace {

LNStylizedTextBody* RunOf(LNRTObjectBody* body) {
    return static_cast<LNStylizedTextBody*>(body);
}

} // namespace

LNRTObject::LNRTObject(LNRTObjectBody* body) : LNSmartPtr(body) {}

LNRTObject::LNRTObject(LNRTObjectBody* body, uint32_t offset) {
    if (body != nullptr && offset == 0) throw LNERR_CORRUPTED;
    if (const LNSTATUS status = SetBodyAndOffset(body, offset)) throw status;
}

LNRTObject::LNRTObject(const LNRTObject& other) : LNSmartPtr() {
    *this = other;
}

LNRTObject::~LNRTObject() {
    SetObjectBody(nullptr);
}

LNRTObject& LNRTObject::operator=(const LNRTObject& other) {
    if (this == &other) return *this;
    if (other.Offset == 0) return SetObjectBody(other.GetObjectBody());
    if (const LNSTATUS status = SetBodyAndOffset(other.GetObjectBody(), other.Offset)) throw status;
    return *this;
}

LNRTObjectBody* LNRTObject::GetObjectBody() const {
    return static_cast<LNRTObjectBody*>(GetBody());
}

LNRTObject& LNRTObject::SetObjectBody(LNRTObjectBody* body) {
    if (Offset != 0) {
        RunOf(GetObjectBody())->RTCharArray.Remove(this);
        Offset = 0;
    }
    AssignBody(body);
    return *this;
}

void LNRTObject::SetCharacterOffset(uint32_t offset) {
    if ((Offset == 0) != (offset == 0)) throw LNERR_CORRUPTED;
    Offset = offset;
}

LNSTATUS LNRTObject::SetBodyAndOffset(LNRTObjectBody* body, uint32_t offset) {
    if (body == nullptr) {
        SetObjectBody(nullptr);
        return LNNOERROR;
    }
    if (offset == 0) throw LNERR_CORRUPTED;
    LN_ASSERT(body->IsType(LNRTTYPE_STYLIZED_TEXT), "lnrtobj", 310);
    if (Offset != 0 && body == GetObjectBody()) {
        Offset = offset;
        return LNNOERROR;
    }
    // Registered with the new run first: a full run refuses, and the handle stays as it was.
    if (const LNSTATUS status = RunOf(body)->RTCharArray.Add(this)) return status;
    SetObjectBody(body);
    Offset = offset;
    return LNNOERROR;
}

void LNRTObject::MoveCharacter(LNRTObjectBody* body, uint32_t offset) {
    AssignBody(body);
    Offset = offset;
}

LNRTObjectBody* LNRTObject::Require() const {
    if (IsNull()) throw LNERR_NOT_INITIALIZED;
    return GetObjectBody();
}

void LNRTObject::AssignOfType(const LNRTObject& object, uint32_t type) {
    if (!object.IsNull() && !object.IsType(type)) throw LNERR_CONVERSION;
    SetObjectBody(object.GetObjectBody());
}

LNSTATUS LNRTObject::CopyObjectOfType(const LNRTObject& source, uint32_t type, bool deep) {
    if (source.IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (!source.IsType(type)) return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    return LNRTObject::CopyObject(source, deep);
}

LNSTATUS LNRTObject::GetText(LNString* text) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (text == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return LNReturnOrThrow(GetObjectBody()->GetText(text));
}

bool LNRTObject::IsType(uint32_t type) const {
    return Require()->IsType(type);
}

uint32_t LNRTObject::GetType() const {
    return Require()->GetType();
}

LNSTATUS LNRTObject::AppendChild(LNRTObject* child) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetObjectBody()->AppendChild(child));
}

LNSTATUS LNRTObject::CopyObject(const LNRTObject& source, bool deep) {
    if (source.IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    LNRTObjectBody* from = source.GetObjectBody();
    const LNRTObject copy(from->NewOfSameKind());
    if (const LNSTATUS status = copy.GetObjectBody()->Assign(from, deep)) return LNReturnOrThrow(status);
    return SetObjectBody(copy.GetObjectBody()), LNNOERROR;
}

uint32_t LNRTObject::GetIndexValue() const {
    return Require()->GetIndexValue();
}

uint32_t LNRTObject::GetEndIndexValue() const {
    return Require()->GetEndIndexValue();
}

uint32_t LNRTObject::GetRecordLength() const {
    return Require()->GetRecordLength();
}

uint16_t LNRTObject::GetSignature() const {
    return Require()->GetSignature();
}

bool LNRTObject::IsValid() const {
    return !IsNull() && GetObjectBody()->IsValid();
}

bool LNRTObject::IsDirty() const {
    return Require()->IsDirty();
}

namespace {

LNSTATUS Found(LNRTObjectBody* body, LNRTObject* out) {
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    out->SetObjectBody(body);
    return body != nullptr ? LNNOERROR : LNWARN_NOT_FOUND;
}

} // namespace

LNSTATUS LNRTObject::GetNext(LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return Found(GetObjectBody()->GetNextSibling(), out);
}

LNSTATUS LNRTObject::GetPrevious(LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return Found(GetObjectBody()->GetPreviousSibling(), out);
}

LNSTATUS LNRTObject::GetParent(LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return Found(GetObjectBody()->GetParent(), out);
}

LNSTATUS LNRTObject::InsertAfter(LNRTObject* object) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetObjectBody()->InsertAfter(object));
}

LNSTATUS LNRTObject::InsertBefore(LNRTObject* object) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetObjectBody()->InsertBefore(object));
}

LNSTATUS LNRTObject::Detach() {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetObjectBody()->Detach());
}

bool LNRTObject::IsBefore(const LNRTObject& other) const {
    return Require()->CheckIndexValues(other.GetObjectBody());
}
