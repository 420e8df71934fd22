#include "lnrtcontainer.h"
#include "lnerrors.h"

LNRTContainer::LNRTContainer(const LNRTObject& object) {
    *this = object;
}

LNRTContainer& LNRTContainer::operator=(const LNRTObject& object) {
    AssignOfType(object, LNRTTYPE_CONTAINER);
    return *this;
}

LNSTATUS LNRTContainer::CopyObject(const LNRTObject& source, bool deep) {
    return CopyObjectOfType(source, LNRTTYPE_CONTAINER, deep);
}

LNRTContainerBody* LNRTContainer::GetContainerBody() const {
    return static_cast<LNRTContainerBody*>(GetObjectBody());
}

LNRTContainerBody* LNRTContainer::Ensure() {
    if (IsNull()) {
        // A free-standing container spans the whole range, so that it can number its children.
        auto* body = new LNRTContainerBody();
        body->SetIndexValue(LNRT_MIN_INDEX_VALUE);
        body->SetEndIndexValue(LNRT_MAX_INDEX_VALUE);
        SetObjectBody(body);
    }
    return GetContainerBody();
}

LNSTATUS LNRTContainer::Append(const LNString& text) {
    return LNReturnOrThrow(Ensure()->Append(text));
}

LNSTATUS LNRTContainer::Append(const LNRTObject& object) {
    return LNReturnOrThrow(Ensure()->Append(object));
}

LNSTATUS LNRTContainer::GetFirstChild(LNRTObject* out) const {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    return GetContainerBody()->GetFirstChild(out);
}

LNSTATUS LNRTContainer::GetLastChild(LNRTObject* out) const {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    return GetContainerBody()->GetLastChild(out);
}

LNSTATUS LNRTContainer::RemoveChild(LNRTObject* object) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetContainerBody()->RemoveChild(object));
}

uint32_t LNRTContainer::GetChildCount() const {
    if (IsNull()) throw LNERR_NOT_INITIALIZED;
    return GetContainerBody()->GetChildCount();
}
