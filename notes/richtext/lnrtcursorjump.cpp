// Cursor jumps by object type: to the next or previous object of a type, and to the ends of the object of a
// type that holds the cursor.
#include "ln/lnerrors.h"
#include "ln/lnrtcursor.h"

namespace {

// The object of type that holds stop (itself included), below scope; null when none.
LNRTObjectBody* OfTypeAround(const LNRTStop& stop, uint32_t type, const LNRTContainerBody* scope) {
    for (LNRTObjectBody* at = stop.object; at != nullptr && at != scope; at = at->GetParent())
        if (at->IsType(type)) return at;
    return nullptr;
}

bool Holds(const LNRTObjectBody* object, const LNRTObjectBody* element) {
    if (object == element) return true;
    return object->IsType(LNRTTYPE_CONTAINER) &&
           element->IsInside(static_cast<const LNRTContainerBody*>(object));
}

} // namespace

LNSTATUS LNRTCursor::GotoObject(uint32_t type, bool forward, LNRTObject* out) {
    LNRTCursorBody* body = Valid();
    const LNRTContainerBody* scope = body->Scope();
    const LNRTStop from = body->GetStop();
    for (LNRTStop stop = forward ? LNRTNextStop(from, scope) : LNRTPreviousStop(from, scope);
         stop.object != nullptr;) {
        LNRTObjectBody* found = OfTypeAround(stop, type, scope);
        if (found != nullptr && !Holds(found, from.object)) {
            if (const LNSTATUS status = body->Place(LNRTFirstStop(found), forward && body->IsAfter()))
                return LNReturnOrThrow(status);
            if (out != nullptr) out->SetObjectBody(found);
            return LNNOERROR;
        }
        // The characters of one run share their objects: step over the rest of the run at once.
        if (stop.offset > 0) stop = forward ? LNRTLastStop(stop.object) : LNRTStop{stop.object, 1};
        stop = forward ? LNRTNextStop(stop, scope) : LNRTPreviousStop(stop, scope);
    }
    return LNWARN_NOT_FOUND;
}

LNSTATUS LNRTCursor::GotoNextObject(uint32_t type, LNRTObject* out) {
    return GotoObject(type, true, out);
}

LNSTATUS LNRTCursor::GotoPreviousObject(uint32_t type, LNRTObject* out) {
    return GotoObject(type, false, out);
}

LNSTATUS LNRTCursor::GotoEnclosing(uint32_t type, bool end) {
    LNRTCursorBody* body = Valid();
    const LNRTStop from = body->GetStop();
    LNRTObjectBody* found = nullptr;
    for (LNRTObjectBody* at = from.object; at != nullptr && found == nullptr; at = at->GetParent())
        if (at->IsType(type)) found = at;
    if (found == nullptr) return LNWARN_NOT_FOUND;
    const LNRTContainerBody* scope = body->Scope();
    if (found != scope && scope != nullptr && !found->IsInside(scope))
        return LNReturnOrThrow(LNERR_NOT_IN_CONTAINER);
    const LNRTStop target = end ? LNRTLastStop(found) : LNRTFirstStop(found);
    if (target.object == nullptr) return LNReturnOrThrow(LNERR_NOT_IN_CONTAINER);
    return LNReturnOrThrow(body->Place(target, end));
}

LNSTATUS LNRTCursor::GotoStartOf(uint32_t type) {
    return GotoEnclosing(type, false);
}

LNSTATUS LNRTCursor::GotoEndOf(uint32_t type) {
    return GotoEnclosing(type, true);
}
