#include "lnerrors.h"
#include "lnrtcursor.h"
#include "lnstylizedtext.h"

LNRTCursorBody::LNRTCursorBody(const LNRTStop& stop, bool after) {
    if (stop.object == nullptr) throw LNERR_CORRUPTED;
    Place(stop, after);
}

LNRTCursorBody::LNRTCursorBody(const LNRTCursorBody& other)
    : LNBody(other), SearchOptions(other.SearchOptions), Container(other.Container) {
    if (!other.IsValid()) throw LNERR_INVALID_RTCURSOR;
    Place(other.GetStop(), other.IsAfter());
}

LNRTCursorBody::~LNRTCursorBody() {
    Container = LNRTContainer();
    Clear();
    SearchOptions = 0;
}

void LNRTCursorBody::Place(const LNRTStop& stop, bool after) {
    // Register first: a run that is full refuses the cursor, which then stays where it was.
    if (stop.offset > 0 && (stop.object != Element.GetObjectBody() || Offset == 0))
        static_cast<LNStylizedTextBody*>(stop.object)->RegisterCursor(this);
    if (Offset > 0 && Element.GetObjectBody() != stop.object)
        static_cast<LNStylizedTextBody*>(Element.GetObjectBody())->UnregisterCursor(this);
    Element.SetObjectBody(stop.object);
    Offset = stop.offset;
    After = after ? 1 : 0;
}

void LNRTCursorBody::Clear() {
    if (Offset > 0) static_cast<LNStylizedTextBody*>(Element.GetObjectBody())->UnregisterCursor(this);
    Element.SetObjectBody(nullptr);
    Offset = 0;
    After = 0;
}

void LNRTCursorBody::MoveTo(LNStylizedTextBody* run, uint32_t offset) {
    Element.SetObjectBody(run);
    Offset = offset;
}

const LNRTContainerBody* LNRTCursorBody::Scope() const {
    if (!Container.IsNull()) return Container.GetContainerBody();
    const LNRTObjectBody* element = Element.GetObjectBody();
    if (element == nullptr) return nullptr;
    if (element->GetParent() == nullptr && element->IsType(LNRTTYPE_CONTAINER) && Offset == 0)
        return static_cast<const LNRTContainerBody*>(element);
    return element->GetParent();
}

bool LNRTCursorBody::IsValid() const {
    const LNRTObjectBody* element = Element.GetObjectBody();
    if (element == nullptr || !element->IsValid()) return false;
    if (Offset > 0 && Offset > static_cast<const LNStylizedTextBody*>(element)->GetCharacterCount())
        return false;
    return Container.IsNull() || element->IsInside(Container.GetContainerBody());
}
