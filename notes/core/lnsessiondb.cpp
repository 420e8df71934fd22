// The session's databases: naming them, scanning directories, locating by identifier, deleting, and
// reading file figures.
#include "ln/lnassert.h"
#include "ln/lndbarray.h"
#include "ln/lnerrors.h"
#include "ln/lnsession.h"
#include "ln/lnsessiontext.h"
#include "nnotes/acl.h"
#include "nnotes/addin.h"
#include "nnotes/database.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

namespace {

// Closes a Notes database handle when it goes out of scope.
struct OpenHandle {
    nnotes::DBHANDLE handle = 0;
    ~OpenHandle() {
        if (handle != 0) nnotes::CloseDatabase(handle);
    }
};

} // namespace

LNSTATUS LNNotesSession::GetNetPath(const LNString& path, const LNString& server, char* buffer) const {
    LN_ASSERT(buffer, "session", 386);
    if (path.IsEmpty()) return LNReturnOrThrow(LNERR_INVALID_DB_PATH);
    return nnotes::BuildNetPath(PortFor(server), LNNotesText(server), LNNotesText(path), buffer);
}

void LNNotesSession::Hand(const LNDatabase& named, LNDatabase* db, unsigned line) {
    const LNSTATUS error = Objects.AddObject(named.GetDatabaseBody());
    LN_ASSERT(error == 0, "session", line);
    *db = named;
}

LNSTATUS LNNotesSession::GetDatabase(const LNString& path, LNDatabase* db, const LNString& server) {
    if (const LNSTATUS status = Check()) return status;
    if (db == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    LNDatabase named;
    if (const LNSTATUS status = named.Initialize(this, path, server)) return status;
    Hand(named, db, 1071);
    return LNNOERROR;
}

LNSTATUS LNNotesSession::GetDatabases(LNDatabaseArray* array, const LNString& server,
                                      const LNString& directory, uint32_t flags) {
    if (const LNSTATUS status = Check()) return status;
    if (array == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if ((flags & ~0x7u) != 0 || (flags & 0x3u) == 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNSTATUS status = LNNOERROR;
    auto* body = new LNDatabaseArrayBody(this, server, directory, flags, &status);
    if (status != LNNOERROR && status != LNWARN_NOT_FOUND) {
        delete body;
        return LNReturnOrThrow(status);
    }
    const LNSTATUS addobjerror = Objects.AddObject(body);
    if (addobjerror != 0) delete body;
    LN_ASSERT(addobjerror == 0, "session", 1207);
    array->AssignBody(body);
    return status;
}

LNSTATUS LNNotesSession::GetDatabaseById(const nnotes::Instant& id, LNDatabase* db, const LNString& server) {
    if (const LNSTATUS status = Check()) return status;
    if (db == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    char directory[nnotes::MAXPATH];
    nnotes::STATUS status = server.IsEmpty()
                                ? nnotes::GetDataDirectory(directory, sizeof directory, nullptr)
                                : nnotes::BuildNetPath(PortFor(server), LNNotesText(server), "", directory);
    OpenHandle open;
    if (status == nnotes::NOERROR) status = nnotes::OpenDatabase(directory, &open.handle);
    char found[nnotes::MAXPATH];
    if (status == nnotes::NOERROR) status = nnotes::LocateDatabaseById(open.handle, &id, found);
    if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    return GetDatabase(LNNotesString(found), db, server);
}

LNSTATUS LNNotesSession::DeleteDatabase(const LNString& path, const LNString& server) {
    if (const LNSTATUS status = Check()) return status;
    char netPath[nnotes::MAXPATH];
    if (const LNSTATUS status = GetNetPath(path, server, netPath)) return LNReturnOrThrow(status);
    return LNReturnOrThrowNotesStatus(nnotes::DeleteDatabase(netPath));
}

LNSTATUS LNNotesSession::DeleteDatabase(LNDatabase* db) {
    if (const LNSTATUS status = Check()) return status;
    if (db == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    LNDatabaseBody* body = db->GetDatabaseBody();
    if (body == nullptr) return LNReturnOrThrow(LNERR_UNINITIALIZED_OBJECT);
    // Only a database this session handed out: another session's (or one already deleted) keeps its file.
    if (!Objects.Contains(body)) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if (body->IsOpen()) body->Close();
    const nnotes::STATUS status = nnotes::DeleteDatabase(body->GetNetPathText());
    if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    // Handles copied from db keep the body; the session no longer deletes it for them.
    const LNSTATUS error = Objects.RemoveObject(body);
    LN_ASSERT(error == 0, "session", 926);
    db->ReleaseBody();
    return LNNOERROR;
}

LNSTATUS LNNotesSession::GetDatabaseFileInfo(const LNString& path, uint32_t* first, uint32_t* second) {
    if (const LNSTATUS status = Check()) return status;
    if (path.IsEmpty()) return LNReturnOrThrow(LNERR_NULL_STRING);
    uint32_t a = 0, b = 0;
    if (const nnotes::STATUS status = nnotes::GetDatabaseFileInfo(LNNotesText(path), 0, &a, &b))
        return LNReturnOrThrowNotesStatus(status);
    if (first != nullptr) *first = a;
    if (second != nullptr) *second = b;
    return LNNOERROR;
}

LNSTATUS LNNotesSession::GetDatabaseFileInfo(const LNDatabase& db, uint32_t* first, uint32_t* second) {
    if (const LNSTATUS status = Check()) return status;
    const LNDatabaseBody* body = db.GetDatabaseBody();
    if (body == nullptr) return LNReturnOrThrow(LNERR_UNINITIALIZED_OBJECT);
    if (body->IsRemote()) return LNReturnOrThrowNotesStatus(nnotes::ERR_DB_REMOTE);
    if (body->IsOpen()) return LNReturnOrThrowNotesStatus(nnotes::ERR_DB_IN_USE);
    return GetDatabaseFileInfo(LNNotesString((body->GetFilePathText())), first, second);
}

LNSTATUS LNNotesSession::GetLogDatabaseWord(uint16_t* out, const LNString& server) {
    if (const LNSTATUS status = Check()) return status;
    if (out == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if (server.IsEmpty() && LogDatabaseWord != 0) {
        *out = LogDatabaseWord;
        return LNNOERROR;
    }
    char netPath[nnotes::MAXPATH];
    nnotes::STATUS status =
        nnotes::BuildNetPath(PortFor(server), LNNotesText(server), nnotes::LOG_DATABASE, netPath);
    OpenHandle open;
    if (status == nnotes::NOERROR) status = nnotes::OpenDatabase(netPath, &open.handle);
    uint16_t word = 0;
    if (status == nnotes::NOERROR) status = nnotes::GetDatabaseVersion(open.handle, &word);
    if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    *out = word;
    if (server.IsEmpty()) LogDatabaseWord = word;
    return LNNOERROR;
}
