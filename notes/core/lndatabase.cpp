#include "ln/lndatabase.h"
#include "ln/lnacl.h"
#include "ln/lnerrors.h"
#include "ln/lnsessiontext.h"
#include "ln/lnstringtext.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/nls.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

#include <cstring>

namespace {} // namespace

LNDatabase& LNDatabase::AssignBody(LNDatabaseBody* body) {
    LNSmartPtr::AssignBody(body);
    return *this;
}

LNDatabaseBody* LNDatabase::Require() const {
    LNDatabaseBody* body = GetDatabaseBody();
    if (body == nullptr) throw LNERR_NOT_INITIALIZED;
    return body;
}

LNDatabaseBody* LNDatabase::RequireOpen() const {
    LNDatabaseBody* body = Require();
    if (!body->IsOpen()) throw LNERR_DATABASE_NOT_OPEN;
    return body;
}

LNSTATUS LNDatabase::Opened(LNDatabaseBody** body) const {
    *body = GetDatabaseBody();
    if (*body == nullptr) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return (*body)->IsOpen() ? LNNOERROR : LNReturnOrThrow(LNERR_DATABASE_NOT_OPEN);
}

LNSTATUS LNDatabase::Initialize(LNNotesSession* session, const LNString& path, const LNString& server) {
    LNSTATUS status = LNNOERROR;
    auto* body = new LNDatabaseBody(session, path, server, &status);
    if (status != LNNOERROR) {
        delete body;
        return LNReturnOrThrow(status);
    }
    AssignBody(body);
    return LNNOERROR;
}

LNSTATUS LNDatabase::Open(uint32_t options) {
    LNDatabaseBody* body = GetDatabaseBody();
    return body != nullptr ? body->Open(options) : LNReturnOrThrow(LNERR_NOT_INITIALIZED);
}

LNSTATUS LNDatabase::Close() {
    LNDatabaseBody* body = GetDatabaseBody();
    return body != nullptr ? body->Close() : LNWARN_NOT_OPEN;
}

bool LNDatabase::IsOpen() const {
    const LNDatabaseBody* body = GetDatabaseBody();
    return body != nullptr && body->IsOpen();
}

bool LNDatabase::IsRemote() const {
    return Require()->IsRemote();
}

nnotes::DBHANDLE LNDatabase::GetHandle() const {
    return Require()->GetHandle();
}

bool LNDatabase::UsesUpdateFlag4() const {
    return Require()->UsesUpdateFlag4();
}

uint32_t LNDatabase::GetOpenOptions() const {
    return Require()->GetOpenOptions();
}

LNString LNDatabase::GetFilepath() const {
    return LNNotesString(Require()->GetFilePathText());
}

LNString LNDatabase::GetServer() const {
    return LNNotesString(Require()->GetServerText());
}

LNString LNDatabase::GetPort() const {
    return LNNotesString(Require()->GetPortText());
}

LNString LNDatabase::GetFileName() const {
    const LNDatabaseBody* body = RequireOpen();
    const char* path = body->GetFilePathText();
    const nnotes::NLSInfo* info = lntext::NotesInfo();
    const char* name = path;
    const char* rest = path;
    size_t left = std::strlen(path);
    const char* found = nullptr;
    while (left > 0 && nnotes::NLSFindCharacter(rest, static_cast<uint16_t>(left), "/\\:", 3, &found, info) ==
                           nnotes::NOERROR) {
        const char* step = found;
        uint16_t stepped = 0;
        nnotes::NLSStepCharacter(&step, static_cast<uint16_t>(left - (found - rest)), &stepped, info);
        left -= static_cast<size_t>(step - rest);
        rest = name = step;
    }
    return LNNotesString(name);
}

bool LNDatabase::DesignExists(const LNString& name, uint16_t noteClass) const {
    const LNDatabaseBody* body = RequireOpen();
    if (name.IsEmpty()) return false;
    nnotes::NOTEID id = 0;
    return body->FindDesignNote(name, noteClass, &id) == LNNOERROR;
}

bool LNDatabase::FormExists(const LNString& name) const {
    return DesignExists(name, LNNOTECLASS_FORM);
}

bool LNDatabase::ViewFolderExists(const LNString& name) const {
    return DesignExists(name, LNNOTECLASS_VIEW);
}

bool LNDatabase::AgentExists(const LNString& name) const {
    return DesignExists(name, LNNOTECLASS_AGENT);
}

LNSTATUS LNDatabase::DeleteDesign(const LNString& name, uint16_t noteClass) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (name.IsEmpty()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    nnotes::NOTEID id = 0;
    if (const LNSTATUS status = body->FindDesignNote(name, noteClass, &id)) return LNReturnOrThrow(status);
    return DeleteNote(id);
}

LNSTATUS LNDatabase::DeleteForm(const LNString& name) {
    return DeleteDesign(name, LNNOTECLASS_FORM);
}

LNSTATUS LNDatabase::DeleteViewFolder(const LNString& name) {
    return DeleteDesign(name, LNNOTECLASS_VIEW);
}

LNSTATUS LNDatabase::DeleteAgent(const LNString& name) {
    return DeleteDesign(name, LNNOTECLASS_AGENT);
}

LNSTATUS LNDatabase::DeleteNote(nnotes::NOTEID id) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    return LNReturnOrThrowNotesStatus(nnotes::DeleteNote(body->GetHandle(), id, body->UpdateFlags()));
}

LNSTATUS LNDatabase::GetACL(LNACL* acl) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (acl == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    // Copies of the list count: the database has one list while any of them holds it open.
    const std::shared_ptr<int> held = body->AclHolders.lock();
    if (body->AclObject != nullptr || (held != nullptr && *held != 0))
        return LNReturnOrThrow(LNERR_ONE_ACL_ONLY);
    if (const LNSTATUS status = acl->Open(this)) return status;
    body->AclObject = acl;
    body->AclHolders = acl->Holders;
    return LNNOERROR;
}

LNSTATUS LNDatabase::AddObject(LNNotesClass* object) {
    LNDatabaseBody* body = GetDatabaseBody();
    if (body == nullptr) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return body->AddObject(object);
}
