// LNDatabaseArray: the Notes databases found in one directory of a server or of the local workstation.
// Each entry is handed out as a new, unopened LNDatabase that the session keeps in its object list.
#pragma once

#include "ln/lndatabase.h"
#include "nnotes/database.h"
#include "nnotes/status.h"

// Flags of a directory scan (the session's GetDatabases): bit 0 databases, bit 1 templates, bit 2 the
// folders below too.
constexpr uint32_t LNDBARRAY_DATABASES = 1, LNDBARRAY_TEMPLATES = 2, LNDBARRAY_SUBDIRECTORIES = 4;

class LNDatabaseArrayBody : public LNBody {
public:
    // Scans directory on server; *status gets 0, LNWARN_NOT_FOUND when no database was found, or the
    // Notes status of a failing call (the body then stays empty).
    LNDatabaseArrayBody(LNNotesSession* session, const LNString& server, const LNString& directory,
                        uint32_t flags, LNSTATUS* status);
    ~LNDatabaseArrayBody() override;
    LNDatabaseArrayBody(const LNDatabaseArrayBody&) = delete;
    LNDatabaseArrayBody& operator=(const LNDatabaseArrayBody&) = delete;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATABASEARRAYBODY; }
    // Frees the entries; always 0.
    LNSTATUS Close() override;

    // The file-type argument of the directory search for flags.
    static uint16_t FileTypeOf(uint32_t flags);

private:
    friend class LNDatabaseArray;

    struct Entry {
        Entry* Next;
        char Path[1];
    };
    static nnotes::STATUS AddEntry(void* context, const nnotes::SearchMatch* match,
                                   const nnotes::SearchSummary* summary);
    void FreeEntries();

    uint32_t Count = 0;
    Entry* EntryList = nullptr;
    Entry** Entries = nullptr;
    LNString ServerName;
};

class LNDatabaseArray : public LNSmartPtr {
public:
    LNDatabaseArray() = default;
    LNDatabaseArray(const LNDatabaseArray& other) = default;
    LNDatabaseArray& operator=(const LNDatabaseArray& other) = default;
    ~LNDatabaseArray() = default;
    LNDatabaseArray& AssignBody(LNDatabaseArrayBody* body);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATABASEARRAY; }

    // A new unopened database for entry index, registered with the session. Throws LNERR_NOT_INITIALIZED
    // for an empty handle, LNERR_SUBSCRIPT_OUT_OF_RANGE for an index not below GetCount.
    LNDatabase operator[](uint32_t index) const;
    uint32_t GetCount() const;
};
