#include "ln/lnrtcursor.h"
#include "ln/lnerrors.h"
#include "ln/lnrtelement.h"
#include "ln/lnstylizedtext.h"

namespace {

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

LNSTATUS LNRTCursor::Step(bool forward, bool* moved) {
    LNRTCursorBody* body = Valid();
    LNRTPosition pos = body->GetPosition();
    *moved = forward ? LNRTStepForward(&pos, body->Scope()) : LNRTStepBack(&pos, body->Scope());
    return *moved ? body->Place(pos) : LNNOERROR;
}

LNRTCursor& LNRTCursor::operator++() {
    bool moved = false;
    if (const LNSTATUS status = Step(true, &moved)) throw status;
    return *this;
}

LNRTCursor& LNRTCursor::operator--() {
    bool moved = false;
    if (const LNSTATUS status = Step(false, &moved)) throw status;
    return *this;
}

LNRTCursor& LNRTCursor::operator+=(uint32_t count) {
    return Move(true, count);
}

LNRTCursor& LNRTCursor::operator-=(uint32_t count) {
    return Move(false, count);
}

LNRTCursor& LNRTCursor::Move(bool forward, uint32_t count) {
    LNRTCursorBody* body = Valid();
    // Walked without registering, so only the final place counts against the run's handles.
    LNRTPosition pos = body->GetPosition();
    const LNRTContainerBody* scope = body->Scope();
    for (uint32_t i = 0; i < count; ++i)
        if (!(forward ? LNRTStepForward(&pos, scope) : LNRTStepBack(&pos, scope))) break;
    if (const LNSTATUS status = body->Place(pos)) throw status;
    return *this;
}

bool LNRTCursor::operator==(const LNRTCursor& other) const {
    const LNRTCursorBody* body = Valid();
    return LNRTSamePosition(body->GetPosition(), other.Valid()->GetPosition(), body->Scope());
}

bool LNRTCursor::operator<(const LNRTCursor& other) const {
    const LNRTCursorBody* body = Valid();
    return LNRTPositionBefore(body->GetPosition(), other.Valid()->GetPosition(), body->Scope());
}

int64_t LNRTCursor::operator-(const LNRTCursor& other) const {
    const LNRTCursorBody* body = Valid();
    const LNRTCursorBody* from = other.Valid();
    // Positions of two trees have no distance: a number cannot say so, so the status is thrown.
    if (body->GetStop().object->GetTopContainer() != from->GetStop().object->GetTopContainer())
        throw LNERR_INVALID_RTCURSOR;
    const LNRTContainerBody* scope = body->Scope();
    const LNRTPosition target = from->GetPosition();
    LNRTPosition pos = body->GetPosition();
    if (LNRTSamePosition(pos, target, scope)) return 0;
    const bool back = LNRTPositionBefore(target, pos, scope);
    int64_t count = 0;
    while (!LNRTSamePosition(pos, target, scope) &&
           (back ? LNRTStepBack(&pos, scope) : LNRTStepForward(&pos, scope)))
        count += back ? 1 : -1;
    return count;
}

LNSTATUS LNRTCursor::SetPosition(const LNRTCursor& other) {
    if (other.IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (!other.GetCursorBody()->IsValid()) throw LNERR_INVALID_RTCURSOR;
    LNRTCursorBody* copy = nullptr;
    try {
        copy = new LNRTCursorBody(*other.GetCursorBody());
    } catch (LNSTATUS status) {
        // A run that already holds 20 handles takes no further cursor.
        return LNReturnOrThrow(status);
    }
    AssignBody(copy);
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
    // A cursor just after a stop (not the end) inserts where the next stop is.
    const LNRTStop stop = LNRTNormalise(body->GetPosition(), body->Scope()).stop;
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
