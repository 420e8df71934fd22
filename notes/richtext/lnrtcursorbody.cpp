#include "ln/lnerrors.h"
#include "ln/lnrtcursor.h"
#include "ln/lnstylizedtext.h"

LNRTCursorBody::LNRTCursorBody() {
    throw LNERR_INAPPROPRIATE_FOR_OBJECT;
}

LNRTCursorBody::LNRTCursorBody(const LNRTStop& stop, bool after) {
    if (stop.object == nullptr) throw LNERR_CORRUPTED;
    // A run is stood on at one of its characters, counted from 1.
    if (stop.offset == 0 && stop.object->IsType(LNRTTYPE_STYLIZED_TEXT)) throw LNERR_INVALID_PARAMETER;
    if (const LNSTATUS status = Place(stop, after)) throw status;
}

LNRTCursorBody::LNRTCursorBody(const LNRTCursorBody& other)
    : LNBody(other), SearchOptions(other.SearchOptions), Container(other.Container) {
    if (!other.IsValid()) throw LNERR_INVALID_RTCURSOR;
    if (const LNSTATUS status = Place(other.GetStop(), other.IsAfter())) throw status;
}

LNRTCursorBody::~LNRTCursorBody() {
    Container = LNRTContainer();
    Clear();
    SearchOptions = 0;
}

LNSTATUS LNRTCursorBody::Assign(const LNRTCursorBody* other) {
    if (other == nullptr || other == this) return LNERR_INVALID_PARAMETER;
    if (const LNSTATUS status = Place(other->GetStop(), other->IsAfter())) return status;
    Container = other->Container;
    SearchOptions = other->SearchOptions;
    return LNNOERROR;
}

LNSTATUS LNRTCursorBody::Place(const LNRTStop& stop, bool after) {
    if (stop.offset > 0) {
        if (const LNSTATUS status = Element.SetBodyAndOffset(stop.object, stop.offset)) return status;
    } else {
        Element.SetObjectBody(stop.object);
    }
    After = after ? 1 : 0;
    return LNNOERROR;
}

void LNRTCursorBody::Clear() {
    Element.SetObjectBody(nullptr);
    After = 0;
}

const LNRTContainerBody* LNRTCursorBody::Scope() const {
    if (!Container.IsNull()) return Container.GetContainerBody();
    LNRTObjectBody* element = Element.GetObjectBody();
    if (element == nullptr) return nullptr;
    return element->GetTopContainer();
}

bool LNRTCursorBody::IsValid() const {
    const LNRTObjectBody* element = Element.GetObjectBody();
    if (element == nullptr || !element->IsValid()) return false;
    const uint32_t offset = Element.GetCharacterOffset();
    if (offset > 0 && offset > static_cast<const LNStylizedTextBody*>(element)->GetCharacterCount())
        return false;
    return Container.IsNull() || element->IsInside(Container.GetContainerBody());
}
