#include "lnrtcursor.h"
#include "lnerrors.h"
#include "lnrtelement.h"
#include "lnstylizedtext.h"

namespace {

bool SameStop(const LNRTStop& a, const LNRTStop& b) {
    return a.object == b.object && a.offset == b.offset;
}

// Whether stop a lies wholly before stop b.
bool StopBefore(const LNRTStop& a, const LNRTStop& b) {
    if (a.object == b.object) return a.offset < b.offset;
    return a.object->CheckIndexValues(b.object);
}

constexpr uint16_t kBreakSignatures[] = {0xFFA2, 0xAA, 0xFFA8, 0xA5};
constexpr uint16_t kParagraphSignatures[] = {0x81, 0xFF82, 0x83};

bool OneOf(uint16_t signature, const uint16_t* begin, const uint16_t* end) {
    for (const uint16_t* at = begin; at != end; ++at)
        if (*at == signature) return true;
    return false;
}

} // namespace

LNRTCursor::LNRTCursor(const LNRTObject& object, bool after) {
    if (!object.IsValid()) throw LNERR_INVALID_RICHTEXT;
    const LNRTStop stop =
        after ? LNRTLastStop(object.GetObjectBody()) : LNRTFirstStop(object.GetObjectBody());
    AssignBody(new LNRTCursorBody(stop, after));
}

LNRTCursor::LNRTCursor(const LNRTStop& stop, bool after) {
    AssignBody(new LNRTCursorBody(stop, after));
}

LNRTCursor& LNRTCursor::operator=(const LNRTCursor& other) {
    LNSmartPtr::operator=(other);
    return *this;
}

LNRTCursorBody* LNRTCursor::Valid() const {
    if (IsNull()) throw LNERR_NOT_INITIALIZED;
    if (!GetCursorBody()->IsValid()) throw LNERR_INVALID_RTCURSOR;
    return GetCursorBody();
}

bool LNRTCursor::Next() {
    LNRTCursorBody* body = Valid();
    const LNRTStop next = LNRTNextStop(body->GetStop(), body->Scope());
    if (next.object == nullptr) {
        // The end is one step past the last stop.
        if (body->IsAfter()) return false;
        body->Place(body->GetStop(), true);
        return true;
    }
    body->Place(next, false);
    return true;
}

bool LNRTCursor::Previous() {
    LNRTCursorBody* body = Valid();
    if (body->IsAfter()) {
        body->Place(body->GetStop(), false);
        return true;
    }
    const LNRTStop previous = LNRTPreviousStop(body->GetStop(), body->Scope());
    if (previous.object == nullptr) return false;
    body->Place(previous, false);
    return true;
}

LNRTCursor& LNRTCursor::operator++() {
    Next();
    return *this;
}

LNRTCursor& LNRTCursor::operator--() {
    Previous();
    return *this;
}

LNRTCursor& LNRTCursor::operator+=(uint32_t count) {
    Valid();
    for (uint32_t i = 0; i < count && Next(); ++i) {
    }
    return *this;
}

LNRTCursor& LNRTCursor::operator-=(uint32_t count) {
    Valid();
    for (uint32_t i = 0; i < count && Previous(); ++i) {
    }
    return *this;
}

LNRTStop LNRTCursor::Normalised(bool* after) const {
    const LNRTCursorBody* body = Valid();
    *after = body->IsAfter();
    if (!*after) return body->GetStop();
    const LNRTStop next = LNRTNextStop(body->GetStop(), body->Scope());
    if (next.object == nullptr) return body->GetStop();
    *after = false;
    return next;
}

bool LNRTCursor::operator==(const LNRTCursor& other) const {
    bool after = false;
    bool otherAfter = false;
    const LNRTStop stop = Normalised(&after);
    const LNRTStop otherStop = other.Normalised(&otherAfter);
    return after == otherAfter && SameStop(stop, otherStop);
}

bool LNRTCursor::operator<(const LNRTCursor& other) const {
    bool after = false;
    bool otherAfter = false;
    const LNRTStop stop = Normalised(&after);
    const LNRTStop otherStop = other.Normalised(&otherAfter);
    if (SameStop(stop, otherStop)) return !after && otherAfter;
    return StopBefore(stop, otherStop);
}

int64_t LNRTCursor::operator-(const LNRTCursor& other) const {
    Valid();
    other.Valid();
    if (*this == other) return 0;
    LNRTCursor walker;
    walker.SetPosition(*this);
    int64_t count = 0;
    if (other < *this) {
        while (!(walker == other) && walker.Previous())
            ++count;
    } else {
        while (!(walker == other) && walker.Next())
            --count;
    }
    return count;
}

LNSTATUS LNRTCursor::SetPosition(const LNRTCursor& other) {
    if (other.IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    AssignBody(new LNRTCursorBody(*other.GetCursorBody()));
    return LNNOERROR;
}

uint32_t LNRTCursor::GetOffset() const {
    const LNRTCursorBody* body = Valid();
    const uint32_t offset = body->GetStop().offset;
    return offset == 0 ? 0 : offset + (body->IsAfter() ? 1 : 0);
}

LNSTATUS LNRTCursor::GetObject(LNRTObject* object) const {
    if (object == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    object->SetObjectBody(Valid()->GetStop().object);
    return LNNOERROR;
}

bool LNRTCursor::IsAtStart() const {
    const LNRTCursorBody* body = Valid();
    return !body->IsAfter() && LNRTPreviousStop(body->GetStop(), body->Scope()).object == nullptr;
}

bool LNRTCursor::IsAtEnd() const {
    const LNRTCursorBody* body = Valid();
    return body->IsAfter() && LNRTNextStop(body->GetStop(), body->Scope()).object == nullptr;
}

bool LNRTCursor::CanInsert(uint32_t type) const {
    const LNRTCursorBody* body = Valid();
    if (IsAtStart() || IsAtEnd()) return true;
    const bool text = (type & LNRTTYPE_STYLIZED_TEXT) == LNRTTYPE_STYLIZED_TEXT;
    const LNRTStop stop = body->GetStop();
    if (text && stop.object->IsType(LNRTTYPE_STYLIZED_TEXT)) return true;
    const LNRTStop before = LNRTPreviousStop(stop, body->Scope());
    if (before.object == nullptr) return false;
    if (text && before.offset > 0) return true;
    const LNRTContainerBody* container = stop.object->GetParent();
    if (container != nullptr && container->GetParent() != nullptr) return false;
    if (before.offset > 0 || !before.object->IsType(LNRTTYPE_COMPOSITE_DATA)) return false;
    const uint16_t signature = before.object->GetSignature();
    if (OneOf(signature, std::begin(kBreakSignatures), std::end(kBreakSignatures))) return true;
    return text && OneOf(signature, std::begin(kParagraphSignatures), std::end(kParagraphSignatures));
}

LNSTATUS LNRTCursor::SetContainer(const LNRTContainer& container) {
    LNRTCursorBody* body = Valid();
    if (!container.IsValid()) throw LNERR_INVALID_RTCURSOR;
    if (!body->GetStop().object->IsInside(container.GetContainerBody()))
        return LNReturnOrThrow(LNERR_NOT_IN_CONTAINER);
    body->SetContainer(container);
    return LNNOERROR;
}

void LNRTCursor::ClearContainer() {
    Valid()->SetContainer(LNRTContainer());
}
