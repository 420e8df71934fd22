// LNDatabase: the handle of one Notes database; LNDatabaseBody holds its network path (and the port,
// server and file path parts of it), the Notes handle while it is open, and the objects opened from it.
// A database is named first (the session's GetDatabase, a database array) and opened in a separate step;
// closing it deletes everything opened from it.
#pragma once

#include "ln/lnerrors.h"
#include "ln/lnobjlist.h"
#include "ln/lnstring.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/settings.h"
#include "nnotes/timedate.h"

#include <memory>

class LNACL;
class LNAgent;
class LNAgentArray;
class LNDatetime;
class LNDocument;
class LNDocumentArray;
class LNForm;
class LNFormArray;
class LNFTIndexStatistics;
class LNFTSearchOptions;
class LNNote;
class LNNoteArray;
class LNSearchOptions;
class LNText;
class LNViewFolder;
class LNViewFolderArray;

// Open options: kOpenSessionDefault stands for the session's default options word; with kOpenUpdateFlag4
// note deletions and saves add update flag 4.
constexpr uint32_t LNDBOPENOPTION_SESSION_DEFAULT = 0x20000;
constexpr uint32_t LNDBOPENOPTION_UPDATE_FLAG4 = 0x10000;

// Note classes that the database hands out by class.
constexpr uint16_t LNNOTECLASS_DOCUMENT = 1, LNNOTECLASS_FORM = 4, LNNOTECLASS_VIEW = 8,
                   LNNOTECLASS_AGENT = 512;

class LNDatabaseBody : public LNBody {
public:
    // Names (session, path, server) without opening it: an empty path gives LNERR_INVALID_DB_PATH; the
    // status of joining and splitting the network path goes to *status.
    LNDatabaseBody(LNNotesSession* session, const LNString& path, const LNString& server, LNSTATUS* status);
    // Adopts a Notes handle that is open on netPath.
    LNDatabaseBody(LNNotesSession* session, const char* netPath, nnotes::DBHANDLE handle, LNSTATUS* status);
    ~LNDatabaseBody() override;
    LNDatabaseBody(const LNDatabaseBody&) = delete;
    LNDatabaseBody& operator=(const LNDatabaseBody&) = delete;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATABASEBODY; }
    // LNWARN_NOT_OPEN when not open; else deletes what was opened from it, closes its ACL and the handle.
    LNSTATUS Close() override;
    // LNWARN_ALREADY_OPEN when open; LNDBOPENOPTION_SESSION_DEFAULT takes the session's options.
    LNSTATUS Open(uint32_t options);

    bool IsOpen() const { return Handle != 0; }
    bool IsRemote() const { return Server[0] != '\0'; }
    // Both throw LNERR_DATABASE_NOT_OPEN when not open.
    nnotes::DBHANDLE GetHandle() const;
    bool UsesUpdateFlag4() const;
    // LNERR_DATABASE_NOT_OPEN (unfiltered) when not open, else 0.
    LNSTATUS CheckOpen() const { return IsOpen() ? LNNOERROR : LNERR_DATABASE_NOT_OPEN; }
    // The update flags of a note deletion or save of this database.
    uint16_t UpdateFlags() const { return (BodyFlags & kUsesUpdateFlag4) != 0 ? 4 : 0; }
    uint32_t GetOpenOptions() const { return OpenOptions; }

    const char* GetNetPathText() const { return NetPath; }
    const char* GetFilePathText() const { return FilePath; }
    const char* GetServerText() const { return Server; }
    const char* GetPortText() const { return Port; }

    // The id of the design note of noteClass named name; a failure is its Notes status (unfiltered).
    LNSTATUS FindDesignNote(const LNString& name, uint16_t noteClass, nnotes::NOTEID* id) const;
    // The note table of a class as an ID table registered with this database; LNWARN_NOT_FOUND (and a null
    // *table) when the class has no notes.
    LNSTATUS GetNoteTable(uint16_t noteClass, class LNIDTable** table);

    LNSTATUS AddObject(LNNotesClass* object);
    // Takes object off the list without deleting it; an object that is not listed is left alone. A body
    // that holds this database leaves before it lets go of it, so that closing the database on that last
    // release never reaches the body again.
    void ForgetObject(LNNotesClass* object);

private:
    friend class LNDatabase;
    friend class LNACL;

    static constexpr uint16_t kUsesUpdateFlag4 = 4;

    LNSTATUS Split();

    LNACL* AclObject = nullptr;
    std::weak_ptr<int> AclHolders; // the open state shared by AclObject and its copies
    nnotes::Instant DatabaseId = {};
    nnotes::DBHANDLE Handle = 0;
    uint16_t BodyFlags = 0;
    char FilePath[nnotes::MAXPATH] = {};
    uint16_t FTIndexOptions = 256;
    char NetPath[nnotes::MAXPATH] = {};
    LNObjectList Objects;
    uint32_t OpenOptions = 0;
    char Port[nnotes::MAXPORTNAME] = {};
    uint32_t OptionsCache[2] = {};
    char Server[nnotes::MAXPATH] = {};
};

class LNDatabase : public LNSmartPtr {
public:
    LNDatabase() = default;
    LNDatabase(const LNDatabase& other) = default;
    LNDatabase& operator=(const LNDatabase& other) = default;
    ~LNDatabase() = default;
    LNDatabase& AssignBody(LNDatabaseBody* body);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATABASE; }

    // Names (path, server) with a new body, not opened.
    LNSTATUS Initialize(LNNotesSession* session, const LNString& path, const LNString& server);

    LNSTATUS Open(uint32_t options = LNDBOPENOPTION_SESSION_DEFAULT);
    LNSTATUS Close();
    bool IsOpen() const;
    bool IsRemote() const;
    nnotes::DBHANDLE GetHandle() const;
    bool UsesUpdateFlag4() const;
    uint32_t GetOpenOptions() const;

    LNString GetFilepath() const;
    LNString GetServer() const;
    LNString GetPort() const;
    // The file name after the last "/", "\" or ":" of the file path.
    LNString GetFileName() const;

    // Design notes by name.
    bool FormExists(const LNString& name) const;
    bool ViewFolderExists(const LNString& name) const;
    bool AgentExists(const LNString& name) const;
    LNSTATUS GetForm(const LNString& name, LNForm* form) const;
    LNSTATUS GetViewFolder(const LNString& name, LNViewFolder* view) const;
    LNSTATUS GetAgent(const LNString& name, LNAgent* agent) const;
    LNSTATUS DeleteForm(const LNString& name);
    LNSTATUS DeleteViewFolder(const LNString& name);
    LNSTATUS DeleteAgent(const LNString& name);
    LNSTATUS DeleteForm(LNForm* form);
    LNSTATUS DeleteViewFolder(LNViewFolder* view);
    LNSTATUS DeleteAgent(LNAgent* agent);
    LNSTATUS GetForms(LNFormArray* forms);
    LNSTATUS GetViewFolders(LNViewFolderArray* views);
    LNSTATUS GetAgents(LNAgentArray* agents);

    // Notes.
    LNSTATUS GetDocuments(LNDocumentArray* documents);
    LNSTATUS GetDocument(nnotes::NOTEID id, LNDocument* document) const;
    LNSTATUS GetNote(nnotes::NOTEID id, LNNote* note) const;
    LNSTATUS CreateDocument(LNDocument* document);
    LNSTATUS GetSpecialNote(uint16_t noteClass, LNNote* note);
    LNSTATUS CopyNote(const LNNote& source, LNNote* copy);
    LNSTATUS DeleteNote(LNNote* note);
    LNSTATUS DeleteNote(nnotes::NOTEID id);

    // Searches.
    LNSTATUS Search(const LNString& formula, LNNoteArray* result, LNSearchOptions* options = nullptr);
    LNSTATUS FTSearch(const LNString& query, LNDocumentArray* result);
    LNSTATUS FTSearch(const LNString& query, LNDocumentArray* result, const LNFTSearchOptions& options);
    LNSTATUS FTSearch(const LNString& query, LNDocumentArray* result, const LNFTSearchOptions& options,
                      const LNNoteArray& restrict);

    // Full-text index.
    LNSTATUS CreateFTIndex(uint16_t options, const LNString& stopFile,
                           LNFTIndexStatistics* statistics = nullptr);
    LNSTATUS UpdateFTIndex(LNFTIndexStatistics* statistics = nullptr);
    LNSTATUS DeleteFTIndex();
    LNSTATUS GetFTIndexOptions(uint16_t* options);
    LNSTATUS GetLastFTIndexTime(LNDatetime* datetime);
    bool IsFTIndexed();

    // Information fields; the getters throw.
    LNString GetTitle() const;
    LNText GetCategories() const;
    LNString GetDesignTemplateName() const;
    LNString GetInheritTemplateName() const;
    LNSTATUS SetTitle(const LNString& title);
    LNSTATUS SetCategories(const LNText& categories);
    LNSTATUS SetDesignTemplateName(const LNString& name);
    LNSTATUS SetInheritTemplateName(const LNString& name);

    // Option bits of the database's option word.
    bool GetOption0004() const;
    bool GetOption0020() const;
    bool GetOption0040() const;
    bool GetOption0080() const;
    bool GetOption0100() const;
    bool GetOption0200() const;
    bool GetOption0400() const;
    bool GetOption1000() const;
    uint32_t GetOptionFieldC000() const;
    LNSTATUS SetOption0004(bool flag);
    LNSTATUS SetOption0020(bool flag);
    LNSTATUS SetOption0040(bool flag);
    LNSTATUS SetOption0080(bool flag);
    LNSTATUS SetOption0100(bool flag);
    LNSTATUS SetOption0200(bool flag);
    LNSTATUS SetOption0400(bool flag);
    LNSTATUS SetOption1000(bool flag);
    LNSTATUS SetOptionFieldC000(uint32_t value);
    LNSTATUS SetOptions(uint32_t options);
    LNSTATUS SetOptionBit200(bool flag);
    // Both option words.
    void GetOptions(uint32_t* first, uint32_t* second) const;

    // Other readers; they throw.
    LNDatetime GetDatabaseId() const;
    LNDatetime GetLastModified() const;
    LNDatetime GetFirstModifiedTime() const;
    LNDatetime GetSecondModifiedTime() const;
    uint32_t GetSize() const;
    double GetPercentUsed() const;
    uint16_t GetInfoWord() const;
    bool HasTitleItem() const;
    LNSTATUS SetTitleItem(bool flag);
    // Bit 0x0200 of the second option word.
    bool GetQueryFlag0200() const;

    LNSTATUS GetACL(LNACL* acl);

    LNSTATUS AddObject(LNNotesClass* object);

    LNDatabaseBody* GetDatabaseBody() const { return static_cast<LNDatabaseBody*>(GetBody()); }

private:
    // The body, or LNERR_NOT_INITIALIZED thrown.
    LNDatabaseBody* Require() const;
    // The body when open, else LNERR_NOT_INITIALIZED or LNERR_DATABASE_NOT_OPEN thrown.
    LNDatabaseBody* RequireOpen() const;
    // The body when open; else LNERR_NOT_INITIALIZED or LNERR_DATABASE_NOT_OPEN through LNReturnOrThrow.
    LNSTATUS Opened(LNDatabaseBody** body) const;
    LNSTATUS ReadOptions(uint32_t* word) const;
    LNSTATUS SetOptionBit(uint32_t bit, bool set);
    bool GetOptionBit(uint32_t bit) const;
    LNString GetInfo(uint16_t field) const;
    LNSTATUS SetInfo(uint16_t field, const LNString& text);
    LNSTATUS DeleteDesign(const LNString& name, uint16_t noteClass);
    // restrict null: the whole database.
    LNSTATUS Search(const LNString& query, LNDocumentArray* result, const LNFTSearchOptions& options,
                    const LNNoteArray* restrict);
    bool DesignExists(const LNString& name, uint16_t noteClass) const;
};
