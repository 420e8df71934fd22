#include "lndeletion.h"

#include "ln/lnclass.h"

bool LNCloseForDeletion(LNNotesClass* object) {
    if (!object->IsBody()) return true;
    auto* body = static_cast<LNBody*>(object);
    if (body->GetRefCount() == 0) return true;
    body->AddReference();
    try {
        body->Close();
    } catch (LNSTATUS) {
        // Close's status is not looked at here either; the object goes all the same.
    }
    return body->ReleaseReference() == 0;
}
