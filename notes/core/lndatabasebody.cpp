#include "ln/lnacl.h"
#include "ln/lnassert.h"
#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "ln/lnidtable.h"
#include "ln/lnsession.h"
#include "ln/lnsessiontext.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"

#include <cstring>

LNDatabaseBody::LNDatabaseBody(LNNotesSession* session, const LNString& path, const LNString& server,
                               LNSTATUS* status)
    : LNBody(session) {
    LN_ASSERT(session, "lndb", 1950);
    if (path.IsEmpty()) {
        *status = LNERR_INVALID_DB_PATH;
        return;
    }
    *status = session->GetNetPath(path, server, NetPath);
    if (*status == LNNOERROR) *status = Split();
}

LNDatabaseBody::LNDatabaseBody(LNNotesSession* session, const char* netPath, nnotes::DBHANDLE handle,
                               LNSTATUS* status)
    : LNBody(session) {
    LN_ASSERT(session, "lndb", 1990);
    const size_t length = strnlen(netPath, sizeof NetPath);
    if (length == sizeof NetPath) {
        *status = nnotes::ERR_NETPATH_TOO_LONG;
        return;
    }
    std::memcpy(NetPath, netPath, length);
    *status = Split();
    if (*status == LNNOERROR) Handle = handle;
}

LNDatabaseBody::~LNDatabaseBody() {
    try {
        Close();
    } catch (LNSTATUS) {
        // ThrowAllErrors may make a failed close throw; a destructor must not.
    }
}

LNSTATUS LNDatabaseBody::Split() {
    return nnotes::SplitNetPath(NetPath, Port, Server, FilePath);
}

LNSTATUS LNDatabaseBody::Open(uint32_t options) {
    if (IsOpen()) return LNWARN_ALREADY_OPEN;
    LNNotesSession* session = GetSession();
    if (session == nullptr) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    if (options == LNDBOPENOPTION_SESSION_DEFAULT) options = session->GetDefaultOpenOptions();
    nnotes::DBHANDLE handle = 0;
    if (const nnotes::STATUS status = nnotes::OpenDatabase(NetPath, &handle))
        return LNReturnOrThrowNotesStatus(status);
    Handle = handle;
    if ((options & LNDBOPENOPTION_UPDATE_FLAG4) != 0)
        BodyFlags |= kUsesUpdateFlag4;
    else
        BodyFlags &= ~kUsesUpdateFlag4;
    OpenOptions = options;
    return LNNOERROR;
}

LNSTATUS LNDatabaseBody::Close() {
    if (!IsOpen()) return LNWARN_NOT_OPEN;
    const nnotes::DBHANDLE handle = Handle;
    Handle = 0;
    Objects.DeleteAllObjects();
    LNSTATUS aclStatus = LNNOERROR;
    // The list closes for every copy of it, not only for the one the database handed out.
    if (const std::shared_ptr<int> held = AclHolders.lock()) *held = 0;
    AclHolders.reset();
    if (AclObject != nullptr) {
        LNACL* acl = AclObject;
        AclObject = nullptr;
        aclStatus = acl->Close();
    }
    if (const nnotes::STATUS status = nnotes::CloseDatabase(handle))
        return LNReturnOrThrowNotesStatus(status);
    return LNIsError(aclStatus) ? LNReturnOrThrow(aclStatus) : LNNOERROR;
}

nnotes::DBHANDLE LNDatabaseBody::GetHandle() const {
    if (!IsOpen()) throw LNERR_DATABASE_NOT_OPEN;
    return Handle;
}

bool LNDatabaseBody::UsesUpdateFlag4() const {
    if (!IsOpen()) throw LNERR_DATABASE_NOT_OPEN;
    return (BodyFlags & kUsesUpdateFlag4) != 0;
}

LNSTATUS LNDatabaseBody::FindDesignNote(const LNString& name, uint16_t noteClass, nnotes::NOTEID* id) const {
    if (!IsOpen()) return LNERR_DATABASE_NOT_OPEN;
    return nnotes::FindDesignNote(Handle, LNNotesText(name), noteClass, id);
}

LNSTATUS LNDatabaseBody::GetNoteTable(uint16_t noteClass, LNIDTable** table) {
    *table = nullptr;
    if (!IsOpen()) return LNReturnOrThrow(LNERR_DATABASE_NOT_OPEN);
    nnotes::DHANDLE handle = nnotes::NULLHANDLE;
    const nnotes::STATUS status = nnotes::GetModifiedNoteTable(Handle, noteClass, nullptr, nullptr, &handle);
    if (nnotes::ERR(status) == nnotes::ERR_NO_MODIFIED_NOTES) return LNWARN_NOT_FOUND;
    if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    auto* ids = new LNIDTable(handle);
    if (const LNSTATUS added = AddObject(ids)) {
        delete ids;
        return added;
    }
    *table = ids;
    return LNNOERROR;
}

LNSTATUS LNDatabaseBody::AddObject(LNNotesClass* object) {
    return Objects.AddObject(object);
}

void LNDatabaseBody::ForgetObject(LNNotesClass* object) {
    try {
        Objects.RemoveObject(object);
    } catch (LNSTATUS) {
        // Not listed (ThrowAllErrors on): nothing to leave.
    }
}
