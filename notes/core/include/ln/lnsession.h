// LNNotesSession: the entry object of the Notes object layer. A program makes one, initialises it (which
// starts the API and the Notes client library), obtains databases from it, and terminates it, which deletes
// every object still registered with it. It also answers questions about the workstation's Notes
// environment.
//
// The session is an ordinary object (static or local), not one of the object heap.
#pragma once

#include "ln/lnapi.h"
#include "ln/lnobjlist.h"
#include "ln/lnstring.h"
#include "nnotes/timedate.h"

class LNCreateDatabaseOptions;
class LNDatabaseBody;
class LNDatabase;
class LNDatabaseArray;
class LNDatetime;
class LNInternational;
class LNLogEntry;
class LNMailMessage;
class LNServerAddin;
class LNText;

class LNNotesSession : public LNNotesClass {
public:
    LNNotesSession();
    ~LNNotesSession() override;
    LNNotesSession(const LNNotesSession&) = delete;
    LNNotesSession& operator=(const LNNotesSession&) = delete;

    static void* operator new(std::size_t size);
    static void operator delete(void* object) noexcept;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNNOTESSESSION; }

    LNSTATUS Init(uint32_t version = LNAPI_VERSION, int argc = 0, char** argv = nullptr);
    LNSTATUS InitThread();
    LNSTATUS Term();
    LNSTATUS TermThread();
    bool IsInitialized() const { return (Flags & (kProcess | kThread)) != 0; }

    // Databases.
    LNSTATUS GetDatabase(const LNString& path, LNDatabase* db, const LNString& server = LNString());
    LNSTATUS GetDatabases(LNDatabaseArray* array, const LNString& server, const LNString& directory,
                          uint32_t flags);
    LNSTATUS GetDatabaseById(const nnotes::Instant& id, LNDatabase* db, const LNString& server = LNString());
    // Joins the port (for a server), server and path into buffer (nnotes::MAXPATH bytes).
    LNSTATUS GetNetPath(const LNString& path, const LNString& server, char* buffer) const;
    LNSTATUS CreateDatabase(const LNString& path, const LNString& server,
                            const LNCreateDatabaseOptions& options, LNDatabase* db = nullptr);
    LNSTATUS CopyDatabase(const LNDatabase& source, const LNString& path, const LNString& server,
                          const LNCreateDatabaseOptions& options, LNDatabase* db = nullptr,
                          bool replica = false);
    LNSTATUS CreateDatabaseFromTemplate(const LNString& templatePath, const LNString& path,
                                        const LNString& server, const LNCreateDatabaseOptions& options,
                                        LNDatabase* db = nullptr);
    LNSTATUS CreateDatabaseFromTemplate(const LNDatabase& templateDb, const LNString& path,
                                        const LNString& server, const LNCreateDatabaseOptions& options,
                                        LNDatabase* db = nullptr);
    LNSTATUS DeleteDatabase(const LNString& path, const LNString& server = LNString());
    LNSTATUS DeleteDatabase(LNDatabase* db);
    LNSTATUS GetDatabaseFileInfo(const LNString& path, uint32_t* first, uint32_t* second);
    LNSTATUS GetDatabaseFileInfo(const LNDatabase& db, uint32_t* first, uint32_t* second);
    uint32_t GetDefaultOpenOptions() const;
    LNSTATUS SetDefaultOpenOptions(uint32_t options);

    // Workstation and environment. The value getters fill *out when it is given and return the value; they
    // throw LNERR_SESSION_NOT_INITIALIZED.
    LNSTATUS GetServerNames(LNText* names);
    LNString GetUserName(LNString* out = nullptr);
    LNString GetDataDirectory(LNString* out = nullptr);
    LNString GetEnvironmentString(const LNString& name, LNString* out = nullptr);
    int32_t GetEnvironmentLong(const LNString& name);
    LNSTATUS SetEnvironmentString(const LNString& name, const LNString& value);
    LNSTATUS SetEnvironmentLong(const LNString& name, int32_t value);
    uint32_t GetMailSystem();
    LNDatetime GetCurrentDatetime(LNDatetime* out = nullptr);
    LNInternational GetInternational(LNInternational* out = nullptr);
    LNSTATUS GetLogDatabaseWord(uint16_t* out, const LNString& server = LNString());
    LNSTATUS GetMailDatabase(LNDatabase* db);
    LNSTATUS SetPort(const LNString& port);
    LNSTATUS AddServerAddin(const LNString& taskName, const LNString& statusText, LNServerAddin* addin);

    // Log entries.
    LNSTATUS OpenLogEntry(LNLogEntry* entry, const LNString& name);
    LNSTATUS CloseLogEntry(LNLogEntry* entry);
    LNSTATUS DiscardLogEntry(LNLogEntry* entry);

    LNSTATUS CreateMailMessage(LNMailMessage* message);

    // Registers an object that the session deletes at Term.
    LNSTATUS AddObject(LNNotesClass* object);

private:
    friend class LNServerAddin;
    friend class LNDatabaseArrayBody;

    static constexpr uint16_t kProcess = 1, kThread = 2;
    static constexpr uint32_t kMailSystemUnread = 9999;

    // Throws LNERR_SESSION_NOT_INITIALIZED unless initialised.
    void Require() const;
    // LNERR_SESSION_NOT_INITIALIZED through LNReturnOrThrow unless initialised, else 0.
    LNSTATUS Check() const;
    // The port's Notes text for a server path, else null.
    const char* PortFor(const LNString& server) const;
    bool IsConfiguredPort(const LNString& port) const;
    LNSTATUS CopyDatabase(const LNString& sourcePath, const LNString& sourceServer, const LNString& path,
                          const LNString& server, const LNCreateDatabaseOptions& options, LNDatabase* db,
                          bool replica);
    // Registers the body of named and points db at it; a failed registration is an assertion.
    void Hand(const LNDatabase& named, LNDatabase* db, unsigned line);
    // Opens the new database at (path, server) and stores its first access list; LNERR_ACL_IN_NEW_DB when
    // that fails.
    LNSTATUS AddDefaultACL(const LNString& path, const LNString& server, LNDatabaseBody** body);
    LNSTATUS CreateFromTemplate(LNDatabase& templateDb, const LNString& path, const LNString& server,
                                const LNCreateDatabaseOptions& options, LNDatabase* db);

    uint32_t DefaultOpenOptions = 0;
    char* DataDirectory = nullptr;
    uint16_t Flags = 0;
    uint32_t MailSystem = kMailSystemUnread;
    uint16_t LogDatabaseWord = 0;
    LNString PortName;
    LNObjectList Objects;
    LNServerAddin* ServerAddin = nullptr;
    char* UserName = nullptr;
};
