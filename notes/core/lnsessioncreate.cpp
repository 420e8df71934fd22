// Making databases: new, copied, or from a design template.
#include "ln/lncreatedboptions.h"
#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "ln/lnsession.h"
#include "ln/lnsessiontext.h"
#include "nnotes/acl.h"
#include "nnotes/database.h"
#include "nnotes/memblock.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"

namespace {

// Entries every new database grants to the servers of the domains.
constexpr const char* kServerGroups[] = {"LocalDomainServers", "OtherDomainServers"};
constexpr uint16_t kServerGroupFlags = 66;

// Frees a Notes memory block when it goes out of scope.
struct Block {
    nnotes::DHANDLE handle = nnotes::NULLHANDLE;
    ~Block() {
        if (handle != nnotes::NULLHANDLE) nnotes::FreeBlock(handle);
    }
};

} // namespace

LNSTATUS LNNotesSession::AddDefaultACL(const LNString& path, const LNString& server, LNDatabaseBody** body) {
    Block acl;
    nnotes::STATUS notes = nnotes::CreateACL(&acl.handle);
    for (const char* group : kServerGroups)
        if (notes == nnotes::NOERROR)
            notes =
                nnotes::AddACLEntry(acl.handle, group, nnotes::ACL_LEVEL_MANAGER, nullptr, kServerGroupFlags);
    if (notes != nnotes::NOERROR) return LNERR_ACL_IN_NEW_DB;
    LNSTATUS status = LNNOERROR;
    auto* opened = new LNDatabaseBody(this, path, server, &status);
    if (status == LNNOERROR) status = opened->Open(LNDBOPENOPTION_SESSION_DEFAULT);
    if (status == LNNOERROR && nnotes::StoreACL(opened->GetHandle(), acl.handle) != nnotes::NOERROR)
        status = LNERR_ACL_IN_NEW_DB;
    if (status != LNNOERROR) {
        delete opened;
        return LNERR_ACL_IN_NEW_DB;
    }
    *body = opened;
    return LNNOERROR;
}

LNSTATUS LNNotesSession::CreateDatabase(const LNString& path, const LNString& server,
                                        const LNCreateDatabaseOptions& options, LNDatabase* db) {
    if (const LNSTATUS status = Check()) return status;
    char netPath[nnotes::MAXPATH];
    if (const LNSTATUS status = GetNetPath(path, server, netPath)) return LNReturnOrThrow(status);
    if (const nnotes::STATUS status =
            nnotes::CreateDatabase(netPath, 0, options.IsForce(), options.GetFlags16(),
                                   static_cast<uint8_t>(options.GetLevel()), options.GetSizeLimitBytes()))
        return LNReturnOrThrowNotesStatus(status);
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = AddDefaultACL(path, server, &body)) {
        // A half-made database would only refuse the retry as existing.
        nnotes::DeleteDatabase(netPath);
        return LNReturnOrThrow(status);
    }
    LNDatabase made;
    made.AssignBody(body);
    if (server.IsEmpty() && options.CreatesFTIndex())
        if (const LNSTATUS status = made.CreateFTIndex(256, LNString())) return status;
    if (db == nullptr) return LNNOERROR;
    Hand(made, db, 1520);
    return LNNOERROR;
}

LNSTATUS LNNotesSession::CopyDatabase(const LNString& sourcePath, const LNString& sourceServer,
                                      const LNString& path, const LNString& server,
                                      const LNCreateDatabaseOptions& options, LNDatabase* db, bool replica) {
    if (const LNSTATUS status = Check()) return status;
    char source[nnotes::MAXPATH], destination[nnotes::MAXPATH];
    if (const LNSTATUS status = GetNetPath(sourcePath, sourceServer, source)) return LNReturnOrThrow(status);
    if (const LNSTATUS status = GetNetPath(path, server, destination)) return LNReturnOrThrow(status);
    // Making the file first refuses a destination that exists already, unless the copy is forced.
    if (!options.IsForce()) {
        if (const nnotes::STATUS status = nnotes::CreateDatabase(destination, 0, false, 0, 0, 0))
            return LNReturnOrThrowNotesStatus(status);
        nnotes::DeleteDatabase(destination);
    }
    const uint16_t noteClasses = options.IsDesignOnly() ? 0x7FFE : 0x7FFF;
    const uint32_t flags = options.GetFlags32() | (replica ? 1u : 0u);
    nnotes::DBHANDLE handle = 0;
    if (const nnotes::STATUS status =
            nnotes::CopyDatabase(source, destination, noteClasses, options.GetSizeLimit(), flags, &handle))
        return LNReturnOrThrowNotesStatus(status);
    if (db == nullptr) return LNReturnOrThrowNotesStatus(nnotes::CloseDatabase(handle));
    LNSTATUS status = LNNOERROR;
    LNDatabase copied;
    copied.AssignBody(new LNDatabaseBody(this, destination, handle, &status));
    if (status != LNNOERROR) {
        nnotes::CloseDatabase(handle);
        return LNReturnOrThrow(status);
    }
    Hand(copied, db, 1630);
    return LNNOERROR;
}

// The source's server counts too: a database on a server is copied from there, not from a local file that
// happens to have the same path.
LNSTATUS LNNotesSession::CopyDatabase(const LNDatabase& source, const LNString& path, const LNString& server,
                                      const LNCreateDatabaseOptions& options, LNDatabase* db, bool replica) {
    if (const LNSTATUS status = Check()) return status;
    if (source.IsNull()) return LNReturnOrThrow(LNERR_UNINITIALIZED_OBJECT);
    return CopyDatabase(source.GetFilepath(), source.GetServer(), path, server, options, db, replica);
}

LNSTATUS LNNotesSession::CreateDatabaseFromTemplate(const LNDatabase& templateDb, const LNString& path,
                                                    const LNString& server,
                                                    const LNCreateDatabaseOptions& options, LNDatabase* db) {
    if (const LNSTATUS status = Check()) return status;
    if (templateDb.IsNull()) return LNReturnOrThrow(LNERR_UNINITIALIZED_OBJECT);
    LNDatabase named;
    if (const LNSTATUS status = named.Initialize(this, templateDb.GetFilepath(), templateDb.GetServer()))
        return status;
    return CreateFromTemplate(named, path, server, options, db);
}

LNSTATUS LNNotesSession::CreateDatabaseFromTemplate(const LNString& templatePath, const LNString& path,
                                                    const LNString& server,
                                                    const LNCreateDatabaseOptions& options, LNDatabase* db) {
    if (const LNSTATUS status = Check()) return status;
    LNDatabase named;
    if (const LNSTATUS status = named.Initialize(this, templatePath, LNString())) return status;
    return CreateFromTemplate(named, path, server, options, db);
}

LNSTATUS LNNotesSession::CreateFromTemplate(LNDatabase& templateDb, const LNString& path,
                                            const LNString& server, const LNCreateDatabaseOptions& options,
                                            LNDatabase* db) {
    LNString designName;
    if (options.IsFromTemplate()) {
        if (const LNSTATUS status = templateDb.Open()) return status;
        try {
            designName = templateDb.GetDesignTemplateName();
        } catch (LNSTATUS status) {
            templateDb.Close();
            return LNReturnOrThrow(status);
        }
        templateDb.Close();
        if (designName.IsEmpty()) return LNReturnOrThrow(LNERR_NOT_TEMPLATE);
    }
    LNCreateDatabaseOptions copyOptions(options);
    copyOptions.SetCopyOption10(true).SetDesignOnly(true);
    LNDatabase made;
    if (const LNSTATUS status = CopyDatabase(templateDb.GetFilepath(), templateDb.GetServer(), path, server,
                                             copyOptions, &made, false))
        return status;
    if (options.IsFromTemplate())
        if (const LNSTATUS status = made.SetInheritTemplateName(designName)) {
            made.Close();
            return status;
        }
    if (db != nullptr)
        *db = made;
    else
        made.Close();
    return LNNOERROR;
}
