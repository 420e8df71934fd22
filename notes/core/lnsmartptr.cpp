#include "ln/lnclass.h"

namespace {

// Returns 1 when this was the last reference and the body is gone.
int DropReference(LNBody* body) {
    if (body->ReleaseReference() > 0) return 0;
    delete body;
    return 1;
}

} // namespace

LNSmartPtr::LNSmartPtr(LNBody* body) : Body(body) {
    if (Body != nullptr) Body->AddReference();
}

LNSmartPtr::LNSmartPtr(const LNSmartPtr& other) : Body(other.Body) {
    if (Body != nullptr) Body->AddReference();
}

LNSmartPtr& LNSmartPtr::operator=(const LNSmartPtr& other) {
    if (this != &other) AssignBody(other.Body);
    return *this;
}

LNSmartPtr::~LNSmartPtr() {
    try {
        ReleaseBody();
    } catch (LNSTATUS) {
        // A failed release has already shown its assertion box; a destructor must not throw.
    }
}

int LNSmartPtr::ReleaseBody() {
    if (Body == nullptr) return 0;
    LNBody* body = Body;
    Body = nullptr;
    return DropReference(body);
}

LNNotesSession* LNSmartPtr::GetSession() const {
    return Body != nullptr ? Body->GetSession() : nullptr;
}

LNSmartPtr& LNSmartPtr::AssignBody(LNBody* body) {
    if (body != nullptr) body->AddReference();
    LNBody* old = Body;
    Body = body;
    if (old != nullptr) DropReference(old);
    return *this;
}
