// Access control lists: LNACL reads a database's list into memory, changes it and stores it back;
// LNACLEntry (over LNACLEntryBody) is one entry whose changes are written through to the in-memory list at
// once; LNACLEntryArray and LNACLRoleArray are snapshots for listing. Levels run from 0 (no access) to 6
// (manager). Role names are given plain ("Admin") and stored in brackets ("[Admin]").
#pragma once

#include "ln/lndatabase.h"
#include "ln/lnobjlist.h"
#include "ln/lnstring.h"
#include "nnotes/acl.h"
#include "nnotes/memblock.h"

#include <memory>
#include <string>
#include <vector>

class LNACL;
class LNACLEntryArray;
class LNACLRoleArray;

class LNACLRoleArray : public LNNotesClass {
public:
    LNACLRoleArray() = default;
    LNACLRoleArray(const LNACLRoleArray& other) = default;
    LNACLRoleArray& operator=(const LNACLRoleArray& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNACLROLEARRAY; }

    uint32_t GetCount() const { return static_cast<uint32_t>(Names.size()); }
    // Role i in its stored form ("[Admin]"); i not below GetCount throws LNERR_SUBSCRIPT_OUT_OF_RANGE.
    LNString operator[](uint32_t index) const;

private:
    friend class LNACL;
    friend class LNACLEntryBody;

    // The roles of the list; with privileges, only those that the privileges hold.
    LNSTATUS Build(nnotes::DHANDLE acl, const nnotes::ACL_PRIVILEGES* privileges);
    // The same from the list's slot names, read once for many entries (null: no roles).
    void Fill(const nnotes::ACL_PRIVILEGES* privileges, const std::string* slots);

    std::vector<std::string> Names;
};

class LNACLEntryBody : public LNBody {
public:
    // slots: the list's privilege slot names (nnotes::ACL_PRIVCOUNT of them), or null for an entry without
    // roles.
    LNACLEntryBody(nnotes::DHANDLE acl, const LNString& name, uint32_t level, uint16_t flags,
                   const nnotes::ACL_PRIVILEGES& privileges, const std::string* slots,
                   std::weak_ptr<int> list);
    ~LNACLEntryBody() override;
    LNACLEntryBody(const LNACLEntryBody&) = delete;
    LNACLEntryBody& operator=(const LNACLEntryBody&) = delete;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNACLENTRYBODY; }

private:
    friend class LNACLEntry;
    friend class LNACLEntryArray;
    friend class LNACL;

    static constexpr uint16_t kName = 1, kLevel = 2, kFlags = 8;

    LNSTATUS Require() const;
    // Writes the pending changes through to the list.
    LNSTATUS Save();
    LNSTATUS SetFlagBits(uint16_t set, uint16_t clear);
    enum class RoleAction { Query, Enable, Disable };
    LNSTATUS ChangeRole(const LNString& role, RoleAction action, bool* enabled);
    const char* NotesName() const;

    nnotes::DHANDLE Acl;
    std::weak_ptr<int> List; // the open state of the list the entry came from
    uint16_t Flags;
    uint32_t AccessLevel;
    LNString Name;
    LNString NewName;
    nnotes::ACL_PRIVILEGES Privileges;
    LNACLRoleArray Roles;
    uint16_t Pending = 0;
    uint32_t EntryType = 0;
};

class LNACLEntry : public LNSmartPtr {
public:
    LNACLEntry() = default;
    LNACLEntry(const LNACLEntry& other) = default;
    LNACLEntry& operator=(const LNACLEntry& other) = default;
    ~LNACLEntry() = default;
    LNACLEntry& AssignBody(LNACLEntryBody* body);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNACLENTRY; }

    LNString GetName() const;
    uint32_t GetAccessLevel() const;
    LNSTATUS SetName(const LNString& name);
    LNSTATUS SetAccessLevel(uint32_t level);

    bool GetEntryOption8000() const;
    bool GetEntryOption0001() const;
    bool GetEntryOption0100() const;
    bool GetEntryOption0008() const;
    bool GetEntryOption0010() const;
    bool GetEntryOption0080() const;
    bool GetEntryOption0004() const;
    LNSTATUS SetEntryOption8000(bool flag);
    LNSTATUS SetEntryOption0001(bool flag);
    LNSTATUS SetEntryOption0100(bool flag);
    LNSTATUS SetEntryOption0008(bool flag);
    LNSTATUS SetEntryOption0010(bool flag);
    LNSTATUS SetEntryOption0080(bool flag);
    LNSTATUS SetEntryOption0004(bool flag);

    bool IsEntryType0040() const;
    bool IsEntryType0020() const;
    bool IsEntryType0002() const;
    uint32_t GetEntryType() const;
    // 0, 1 or 2, else LNERR_INVALID_PARAMETER.
    LNSTATUS SetEntryType(uint32_t type);

    LNSTATUS GetRoles(LNACLRoleArray* roles) const;
    bool IsRoleEnabled(const LNString& role) const;
    LNSTATUS EnableRole(const LNString& role);
    LNSTATUS DisableRole(const LNString& role);
    LNSTATUS Save();

private:
    // Throws when there is no body or its list is closed.
    LNACLEntryBody* Body() const;
    // The same as a status (through the throw-or-return rule).
    LNSTATUS Checked(LNACLEntryBody** body) const;
    bool Flag(uint16_t bit) const;
    LNSTATUS SetFlag(uint16_t bit, bool set);
};

class LNACLEntryArray : public LNNotesClass {
public:
    LNACLEntryArray() = default;
    // A copy shares the entries with the original; entries that handles still hold survive the array.
    LNACLEntryArray(const LNACLEntryArray& other) = default;
    LNACLEntryArray& operator=(const LNACLEntryArray& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNACLENTRYARRAY; }

    uint32_t GetCount() const { return static_cast<uint32_t>(Entries.size()); }
    // i not below GetCount throws LNERR_SUBSCRIPT_OUT_OF_RANGE.
    LNACLEntry operator[](uint32_t index) const;
    // Saves every entry's pending changes; the first failure is returned.
    LNSTATUS SaveAll();

private:
    friend class LNACL;

    std::vector<LNACLEntry> Entries;
};

class LNACL : public LNNotesClass {
public:
    LNACL() = default;
    // Copies share the in-memory list; the last copy to close frees it.
    LNACL(const LNACL& other);
    LNACL& operator=(const LNACL& other);
    ~LNACL() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNACL; }

    LNSTATUS Open(LNDatabase* database);
    LNSTATUS Close() override;
    // Closing the database closes the list for every copy.
    bool IsOpen() const { return Acl != nnotes::NULLHANDLE && Holders != nullptr && *Holders != 0; }

    LNSTATUS CreateEntry(const LNString& name, uint32_t level, LNACLEntry* entry = nullptr);
    LNSTATUS CreateEntry(const LNACLEntry& from, LNACLEntry* entry = nullptr);
    LNSTATUS DeleteEntry(const LNString& name);
    LNSTATUS DeleteEntry(const LNACLEntry& entry);
    LNSTATUS DeleteAllEntries();
    LNSTATUS GetEntry(const LNString& name, LNACLEntry* entry);
    LNSTATUS GetEntries(LNACLEntryArray* entries, uint32_t minimumLevel = 0);
    uint32_t GetAccessLevel(const LNString& name);
    uint32_t GetDefaultAccessLevel();
    LNSTATUS SetAccessLevel(const LNString& name, uint32_t level);
    LNSTATUS SetDefaultAccessLevel(uint32_t level);

    LNSTATUS CreateRole(const LNString& name);
    LNSTATUS GetRoles(LNACLRoleArray* roles);
    bool RoleExists(const LNString& name);

    LNSTATUS GetAdminServer(LNString* server);
    LNSTATUS SetAdminServer(const LNString& server);
    LNSTATUS SetAdminServer();
    bool GetACLFlag();
    LNSTATUS SetACLFlag(bool flag);

    LNSTATUS Save();

private:
    LNSTATUS Check() const;
    void Require() const;
    // A fresh snapshot of the entries of at least minimumLevel.
    LNSTATUS Enumerate(uint32_t minimumLevel, LNACLEntryArray* entries) const;
    // The entry of exactly that name; LNERR_NO_MATCH (unfiltered) when there is none.
    LNSTATUS FindEntry(const LNString& name, LNACLEntry* entry) const;

    nnotes::DHANDLE Acl = nnotes::NULLHANDLE;
    bool DefaultLevelValid = false;
    // Holding the database keeps its body alive for copies that outlive the handle they were read through.
    LNDatabase Database;
    uint32_t DefaultLevel = 0;
    // Holders of Acl among the copies: the last one frees it. The value is 1 while the list is open and 0
    // once its database has closed it; entries and the database watch it without holding it.
    std::shared_ptr<int> Holders;

    friend class LNDatabase;
    friend class LNDatabaseBody;
};
