#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnrichtext.h"
#include "ln/lnrtcontainer.h"
#include "ln/lnstylizedtext.h"
#include "lnrtunregistered.h"

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

LNRTObject::LNRTObject(LNRTObject&& other) noexcept : LNSmartPtr() {
    TakeOver(other);
}

LNRTObject& LNRTObject::operator=(LNRTObject&& other) noexcept {
    if (this == &other) return *this;
    // The other's reference is taken first, so that a body both hold lives through the change.
    LNRTObject held(std::move(other));
    SetObjectBody(nullptr);
    TakeOver(held);
    return *this;
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

void LNRTObject::TakeOver(LNRTObject& other) noexcept {
    AssignBody(other.GetBody());
    Offset = other.Offset;
    Unregistered = other.Unregistered;
    if (Offset != 0 && !Unregistered) RunOf(GetObjectBody())->RTCharArray.Replace(&other, this);
    other.Offset = 0;
    other.Unregistered = false;
    other.AssignBody(nullptr);
}

LNRTObject LNRTUnregisteredCharacter(LNRTObjectBody* run, uint32_t offset) {
    LN_ASSERT(run != nullptr && offset != 0 && run->IsType(LNRTTYPE_STYLIZED_TEXT), "lnrtobj", 312);
    LNRTObject handle(run);
    handle.Offset = offset;
    handle.Unregistered = true;
    return handle;
}

LNRTObjectBody* LNRTObject::GetObjectBody() const {
    return static_cast<LNRTObjectBody*>(GetBody());
}

LNRTObject& LNRTObject::SetObjectBody(LNRTObjectBody* body) {
    if (Offset != 0) {
        if (!Unregistered) RunOf(GetObjectBody())->RTCharArray.Remove(this);
        Offset = 0;
        Unregistered = false;
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
    if (Offset != 0 && !Unregistered && body == GetObjectBody()) {
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
    if (Offset != 0) return LNReturnOrThrow(LNERR_UNEXPECTED_CALLED);
    if (text == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return LNReturnOrThrow(GetObjectBody()->GetText(text));
}

bool LNRTObject::IsType(uint32_t type) const {
    LNRTObjectBody* body = Require();
    if (Offset != 0) return (LNRTTYPE_CHAR & type) == type;
    return body->IsType(type);
}

uint32_t LNRTObject::GetType() const {
    LNRTObjectBody* body = Require();
    return Offset != 0 ? LNRTTYPE_CHAR : body->GetType();
}

LNSTATUS LNRTObject::AppendChild(LNRTObject* child) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (Offset != 0) return LNReturnOrThrow(LNERR_ELEMENT_CHILD);
    if (child == nullptr || child->IsNull()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (child->HasOffset()) return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    return LNReturnOrThrow(GetObjectBody()->AppendChild(child));
}

LNSTATUS LNRTObject::CopyObject(const LNRTObject& source, bool deep) {
    if (source.IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (Offset != 0 || source.Offset != 0) return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    LNRTObjectBody* from = source.GetObjectBody();
    const LNRTObject copy(from->NewOfSameKind());
    if (const LNSTATUS status = copy.GetObjectBody()->Assign(from, deep)) return LNReturnOrThrow(status);
    return SetObjectBody(copy.GetObjectBody()), LNNOERROR;
}

namespace {

// Characters fit the types 3 (any element) and 0x13 (characters) and their parts.
bool CharacterFits(uint32_t type) {
    return (type & ~LNRTTYPE_ELEMENT) == 0 || (type & ~LNRTTYPE_CHAR) == 0;
}

LNSTATUS Found(LNRTObjectBody* body, LNRTObject* out) {
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    out->SetObjectBody(body);
    return body != nullptr ? LNNOERROR : LNWARN_NOT_FOUND;
}

LNSTATUS FoundCharacter(LNRTObjectBody* run, uint32_t offset, LNRTObject* out) {
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return LNReturnOrThrow(out->SetBodyAndOffset(run, offset));
}

} // namespace

LNSTATUS LNRTObject::GetContainerOfType(uint32_t type, LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    // A character's containers are its run's.
    return LNReturnOrThrow(GetObjectBody()->GetContainerOfType(type, out));
}

LNSTATUS LNRTObject::GetFirstOfType(uint32_t type, LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (Offset != 0) {
        if (CharacterFits(type)) return FoundCharacter(GetObjectBody(), Offset, out);
        out->SetObjectBody(nullptr);
        return LNWARN_NOT_FOUND;
    }
    return LNReturnOrThrow(GetObjectBody()->GetFirstOfType(type, out));
}

LNSTATUS LNRTObject::GetLastOfType(uint32_t type, LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (Offset != 0) return GetFirstOfType(type, out);
    return LNReturnOrThrow(GetObjectBody()->GetLastOfType(type, out));
}

LNSTATUS LNRTObject::FindFirstInChildren(uint32_t type, bool* found, LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (found == nullptr || out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (Offset != 0) return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    return LNReturnOrThrow(GetObjectBody()->FindFirstInChildren(type, found, out));
}

LNSTATUS LNRTObject::FindLastInChildren(uint32_t type, bool* found, LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (found == nullptr || out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (Offset != 0) return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    return LNReturnOrThrow(GetObjectBody()->FindLastInChildren(type, found, out));
}

LNSTATUS LNRTObject::FindFirstString(const LNString& text, uint32_t options, LNRTObject* position,
                                     bool* found) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetObjectBody()->FindFirstString(text, options, position, found));
}

LNSTATUS LNRTObject::FindLastString(const LNString& text, uint32_t options, LNRTObject* position,
                                    bool* found) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetObjectBody()->FindLastString(text, options, position, found));
}

uint32_t LNRTObject::GetIndexValue() const {
    return Require()->GetIndexValue();
}

uint32_t LNRTObject::GetEndIndexValue() const {
    return Require()->GetEndIndexValue();
}

uint32_t LNRTObject::GetRecordLength() const {
    LNRTObjectBody* body = Require();
    return Offset != 0 ? 0 : body->GetRecordLength();
}

uint16_t LNRTObject::GetSignature() const {
    return Require()->GetSignature();
}

bool LNRTObject::IsValid() const {
    if (IsNull() || !GetObjectBody()->IsValid()) return false;
    if (Offset == 0) return true;
    return GetObjectBody()->IsType(LNRTTYPE_STYLIZED_TEXT) &&
           Offset <= RunOf(GetObjectBody())->GetCharacterCount();
}

bool LNRTObject::IsDirty() const {
    return Require()->IsDirty();
}

LNSTATUS LNRTObject::SetDirty(bool dirty) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetObjectBody()->SetDirty(dirty));
}

LNSTATUS LNRTObject::WriteRecord(uint32_t* offset) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (Offset != 0) return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    if (offset == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return LNReturnOrThrow(GetObjectBody()->WriteRecord(offset));
}

LNSTATUS LNRTObject::GetNext(LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (Offset != 0) {
        if (Offset < RunOf(GetObjectBody())->GetCharacterCount())
            return FoundCharacter(GetObjectBody(), Offset + 1, out);
        return Found(nullptr, out);
    }
    return Found(GetObjectBody()->GetNextSibling(), out);
}

LNSTATUS LNRTObject::GetPrevious(LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (Offset != 0)
        return Offset > 1 ? FoundCharacter(GetObjectBody(), Offset - 1, out) : Found(nullptr, out);
    return Found(GetObjectBody()->GetPreviousSibling(), out);
}

LNSTATUS LNRTObject::GetParent(LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (Offset != 0) return Found(GetObjectBody(), out);
    return Found(GetObjectBody()->GetParent(), out);
}

LNSTATUS LNRTObject::GetLastSibling(LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (Offset != 0) return FoundCharacter(GetObjectBody(), RunOf(GetObjectBody())->GetCharacterCount(), out);
    return Found(GetObjectBody()->GetLastSibling(), out);
}

LNSTATUS LNRTObject::GetNextOfType(uint32_t type, LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNRTObjectBody* body = GetObjectBody();
    if (Offset != 0 && CharacterFits(type) && Offset < RunOf(body)->GetCharacterCount())
        return FoundCharacter(body, Offset + 1, out);
    // The object's own children first (a run's characters are not its children here).
    if (Offset == 0 && !body->IsType(LNRTTYPE_STYLIZED_TEXT)) {
        bool found = false;
        if (const LNSTATUS status = body->FindFirstInChildren(type, &found, out))
            return LNReturnOrThrow(status);
        if (found) return LNNOERROR;
    }
    for (LNRTObjectBody* at = body; at != nullptr; at = at->GetParent())
        for (LNRTObjectBody* next = at->GetNextSibling(); next != nullptr; next = next->GetNextSibling())
            if (next->GetFirstOfType(type, out) == LNNOERROR) return LNNOERROR;
    out->SetObjectBody(nullptr);
    return LNWARN_NOT_FOUND;
}

LNSTATUS LNRTObject::GetPreviousOfType(uint32_t type, LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNRTObjectBody* body = GetObjectBody();
    if (Offset > 1 && CharacterFits(type)) return FoundCharacter(body, Offset - 1, out);
    for (LNRTObjectBody* at = body; at != nullptr; at = at->GetParent())
        for (LNRTObjectBody* previous = at->GetPreviousSibling(); previous != nullptr;
             previous = previous->GetPreviousSibling())
            if (previous->GetLastOfType(type, out) == LNNOERROR) return LNNOERROR;
    out->SetObjectBody(nullptr);
    return LNWARN_NOT_FOUND;
}

LNSTATUS LNRTObject::GetTopContainer(LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return Found(GetObjectBody()->GetTopContainer(), out);
}

LNSTATUS LNRTObject::RenumberChildren() {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (Offset != 0) return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    return LNReturnOrThrow(GetObjectBody()->RenumberChildren());
}

LNSTATUS LNRTObject::InsertAfter(LNRTObject* object) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (Offset != 0 || (object != nullptr && object->HasOffset()))
        return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    return LNReturnOrThrow(GetObjectBody()->InsertAfter(object));
}

LNSTATUS LNRTObject::InsertBefore(LNRTObject* object) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (Offset != 0 || (object != nullptr && object->HasOffset()))
        return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    return LNReturnOrThrow(GetObjectBody()->InsertBefore(object));
}

LNSTATUS LNRTObject::Detach() {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (Offset != 0) return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    return LNReturnOrThrow(GetObjectBody()->Detach());
}

bool LNRTObject::IsMember() const {
    LNRTObjectBody* body = Require();
    return Offset != 0 || body->GetParent() != nullptr;
}

bool LNRTObject::IsAncestorOf(const LNRTObject& object) const {
    LNRTObjectBody* body = Require();
    if (object.IsNull() || Offset != 0) return false;
    // A run holds its characters.
    if (object.HasOffset() && object.GetObjectBody() == body) return true;
    return body->IsType(LNRTTYPE_CONTAINER) &&
           object.GetObjectBody()->IsInside(static_cast<LNRTContainerBody*>(body));
}

bool LNRTObject::IsBefore(const LNRTObject& other) const {
    LNRTObjectBody* body = Require();
    if (Offset != 0 && other.Offset != 0 && body == other.GetObjectBody()) return Offset < other.Offset;
    return body->CheckIndexValues(other.GetObjectBody());
}

void LNRTObject::SetIndexValue(uint32_t value) {
    LNRTObjectBody* body = Require();
    if (Offset != 0) throw LNERR_INAPPROPRIATE_FOR_OBJECT;
    body->SetIndexValue(value);
}

void LNRTObject::SetEndIndexValue(uint32_t value) {
    LNRTObjectBody* body = Require();
    if (Offset != 0) throw LNERR_INAPPROPRIATE_FOR_OBJECT;
    body->SetEndIndexValue(value);
}

LNSTATUS LNRTObject::GetRichText(LNRichText* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    LNRichTextBody* richText = GetObjectBody()->GetRichText();
    out->SetItemBody(richText != nullptr ? richText->GetNoteBody() : nullptr, richText);
    return LNNOERROR;
}
