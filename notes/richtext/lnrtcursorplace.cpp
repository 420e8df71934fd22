// Cursors placed by object, and what a cursor tells about where it stands.
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnrtcursor.h"
#include "ln/lnstylizedtext.h"

namespace {

// A cursor of its own at cursor's position; operators throw what they cannot do.
LNRTCursor CopyOf(const LNRTCursor& cursor) {
    LNRTCursor copy;
    if (const LNSTATUS status = copy.SetPosition(cursor)) throw status;
    return copy;
}

} // namespace

LNRTCursor LNRTCursor::operator++(int) {
    LNRTCursor old = CopyOf(*this);
    ++*this;
    return old;
}

LNRTCursor LNRTCursor::operator--(int) {
    LNRTCursor old = CopyOf(*this);
    --*this;
    return old;
}

LNRTCursor LNRTCursor::operator+(uint32_t n) const {
    LNRTCursor moved = CopyOf(*this);
    moved += n;
    // Steps asked for past the end are a caller's mistake, reported as such rather than as a failed check.
    if (n != 0 && moved == *this) throw LNERR_OUT_OF_RANGE;
    return moved;
}

LNRTCursor LNRTCursor::operator-(uint32_t n) const {
    LNRTCursor moved = CopyOf(*this);
    moved -= n;
    if (n != 0 && moved == *this) throw LNERR_OUT_OF_RANGE;
    return moved;
}

namespace {

LNRTStop StopOf(const LNRTObject& object, bool last) {
    if (object.HasOffset()) return LNRTStop{object.GetObjectBody(), object.GetCharacterOffset()};
    return last ? LNRTLastStop(object.GetObjectBody()) : LNRTFirstStop(object.GetObjectBody());
}

} // namespace

LNSTATUS LNRTCursor::SetPosition(const LNRTObject& object) {
    if (object.IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    const LNRTStop stop = StopOf(object, false);
    if (stop.object == nullptr) return LNWARN_NOT_FOUND;
    if (IsNull()) {
        try {
            AssignBody(new LNRTCursorBody(stop, false));
        } catch (LNSTATUS status) {
            return LNReturnOrThrow(status);
        }
        return LNNOERROR;
    }
    return LNReturnOrThrow(GetCursorBody()->Place(stop, false));
}

LNSTATUS LNRTCursor::GetParent(LNRTObject* out) const {
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return Valid()->GetElement().GetParent(out);
}

LNSTATUS LNRTCursor::GetContainerOfType(uint32_t type, LNRTObject* out) const {
    return Valid()->GetElement().GetContainerOfType(type, out);
}

LNSTATUS LNRTCursor::GetFontStyle(LNFontStyle* style) const {
    if (style == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    const LNRTCursorBody* body = Valid();
    LNRTStop stop = body->GetStop();
    while (stop.object != nullptr && stop.offset == 0)
        stop = LNRTNextStop(stop, body->Scope());
    if (stop.object == nullptr) return LNWARN_NOT_FOUND;
    *style = static_cast<LNStylizedTextBody*>(stop.object)->GetFontStyle();
    return LNNOERROR;
}

LNSTATUS LNRTCursor::GotoObject(const LNRTObject& object, bool end) {
    if (!object.IsValid()) throw LNERR_INVALID_RICHTEXT;
    if (IsNull())
        if (const LNSTATUS status = SetPosition(object); status != LNNOERROR || !end) return status;
    LNRTCursorBody* body = Valid();
    const LNRTContainerBody* scope = body->Scope();
    LNRTObjectBody* target = object.GetObjectBody();
    if (scope != nullptr && target != scope && !target->IsInside(scope))
        return LNReturnOrThrow(LNERR_NOT_IN_CONTAINER);
    const LNRTStop stop = StopOf(object, end);
    if (stop.object == nullptr) return LNReturnOrThrow(LNERR_NOT_IN_CONTAINER);
    return LNReturnOrThrow(body->Place(stop, end));
}

LNSTATUS LNRTCursor::GotoStartOfObject(const LNRTObject& object) {
    return GotoObject(object, false);
}

LNSTATUS LNRTCursor::GotoEndOfObject(const LNRTObject& object) {
    return GotoObject(object, true);
}

bool LNRTCursor::IsInContainer(const LNRTContainer& container) const {
    LN_ASSERT(!container.IsNull(), "lnrtcurs", 880);
    return Valid()->GetStop().object->IsInside(container.GetContainerBody());
}

bool LNRTCursor::IsValidFor(const LNRTObject& object) const {
    if (!IsValid() || object.IsNull()) return false;
    const LNRTObjectBody* element = GetCursorBody()->GetStop().object;
    const LNRTObjectBody* holder = object.GetObjectBody();
    return element == holder || (holder->IsType(LNRTTYPE_CONTAINER) &&
                                 element->IsInside(static_cast<const LNRTContainerBody*>(holder)));
}
