// Opening, closing, creating, copying and deleting database files.
#include "database.h"
#include "database_schema.h"
#include "netpath.h"
#include "note_identity.h"
#include "process.h"
#include "viewindex_store.h"

#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace nnotes {
namespace {

enum class PathKind { Missing, Directory, Database, Foreign };

PathKind KindOf(const std::string& fsPath) {
    struct stat st;
    if (::stat(fsPath.c_str(), &st) != 0) return PathKind::Missing;
    if (S_ISDIR(st.st_mode)) return PathKind::Directory;
    return store::LooksLikeDatabase(fsPath) ? PathKind::Database : PathKind::Foreign;
}

// Resolves a network path given by a caller.
STATUS Resolve(const char* netpath, std::string& fsPath) {
    if (STATUS s = RequireProcess()) return s;
    if (netpath == nullptr) return ERR_MISSING_ARGUMENT;
    if (strnlen(netpath, MAXPATH) >= MAXPATH) return ERR_NETPATH_TOO_LONG;
    return netpath::ResolveNetPath(netpath, fsPath);
}

// A database file that may be removed: ours, and not open in this process.
STATUS Removable(const std::string& fsPath) {
    switch (KindOf(fsPath)) {
    case PathKind::Missing:
        return ERR_NOEXIST;
    case PathKind::Directory:
        return ERR_DB_IS_DIRECTORY;
    case PathKind::Foreign:
        return ERR_NOT_A_DATABASE;
    case PathKind::Database:
        break;
    }
    return store::IsDatabaseOpen(fsPath) ? ERR_DB_IN_USE : NOERROR;
}

void RemoveFiles(const std::string& fsPath) {
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(fsPath + suffix, ec);
}

STATUS OpenResolved(const std::string& fsPath, const std::string& netpath, DBHANDLE* db) {
    std::shared_ptr<store::Database> opened;
    if (STATUS s = store::Database::Open(fsPath, netpath, opened)) return s;
    const DBHANDLE handle = store::AddDatabase(std::move(opened));
    if (handle == 0) return ERR_NO_MORE_HANDLES;
    *db = handle;
    return NOERROR;
}

// Copies the notes of noteClassMask and the information of the database at source into the empty file
// open in sql, all in one transaction.
STATUS CopyContents(store::Connection& sql, const std::string& source, uint16_t noteClassMask) {
    using store::Statement;
    if (STATUS s = store::CreateSchema(sql)) return s;
    if (STATUS s = sql.Exec("PRAGMA synchronous=FULL")) return s;
    STATUS s;
    Statement* attach = sql.Prepare("ATTACH DATABASE ? AS source", &s);
    if (attach == nullptr) return s;
    if (STATUS s = attach->Bind(1, source).Run()) return s;
    {
        store::Transaction t(sql);
        if (STATUS s = t.Begun()) return s;
        Statement* notes =
            sql.Prepare("INSERT INTO main.notes SELECT * FROM source.notes WHERE class & ?", &s);
        if (notes == nullptr) return s;
        if (STATUS s = notes->Bind(1, noteClassMask).Run()) return s;
        if (STATUS s = sql.Exec("INSERT INTO main.items SELECT * FROM source.items"
                                " WHERE note IN (SELECT id FROM main.notes);"
                                "INSERT INTO main.info SELECT * FROM source.info;"
                                // Ids of the source's deleted notes stay used in the copy too.
                                "UPDATE main.sqlite_sequence SET seq=max(seq, coalesce((SELECT seq FROM"
                                " source.sqlite_sequence WHERE name='notes'), 0)) WHERE name='notes';"
                                "INSERT INTO main.sqlite_sequence(name, seq) SELECT name, seq FROM"
                                " source.sqlite_sequence WHERE name='notes' AND NOT EXISTS"
                                " (SELECT 1 FROM main.sqlite_sequence WHERE name='notes');"))
            return s;
        if (STATUS s = views::CopyIndexes(sql, noteClassMask)) return s;
        // The copy is a database of its own: it gets an identifier of its own.
        Instant id;
        if (STATUS s = store::UniqueNow(&id)) return s;
        Statement* newId = sql.Prepare("UPDATE main.info SET value=? WHERE key=?", &s);
        if (newId == nullptr) return s;
        if (STATUS s = newId->BindBlob(1, &id, sizeof id).Bind(2, store::kInfoId).Run()) return s;
        if (STATUS s = t.Commit()) return s;
    }
    return sql.Exec("DETACH DATABASE source");
}

} // namespace

STATUS OpenDatabase(const char* netpath, DBHANDLE* db) {
    std::string fsPath;
    if (STATUS s = Resolve(netpath, fsPath)) return s;
    if (db == nullptr) return ERR_MISSING_ARGUMENT;
    return OpenResolved(fsPath, netpath, db);
}

STATUS CloseDatabase(DBHANDLE db) {
    if (STATUS s = RequireProcess()) return s;
    return store::RemoveDatabase(db) ? NOERROR : ERR_DB_HANDLE;
}

STATUS CreateDatabase(const char* netpath, uint16_t, bool force, uint16_t, uint8_t, uint32_t) {
    std::string fsPath;
    if (STATUS s = Resolve(netpath, fsPath)) return s;
    if (KindOf(fsPath) != PathKind::Missing) {
        if (!force) return ERR_DB_EXISTS;
        if (STATUS s = Removable(fsPath)) return s;
        RemoveFiles(fsPath);
    }
    return store::CreateDatabaseFile(fsPath);
}

STATUS CopyDatabase(const char* source, const char* destination, uint16_t noteClassMask, uint32_t, uint32_t,
                    DBHANDLE* db) {
    std::string sourcePath, destinationPath;
    if (STATUS s = Resolve(source, sourcePath)) return s;
    if (STATUS s = Resolve(destination, destinationPath)) return s;
    std::shared_ptr<store::Database> checked; // refuses a source that is not one of our databases
    if (STATUS s = store::Database::Open(sourcePath, source, checked)) return s;
    if (checked->IsDirectory()) return ERR_DB_IS_DIRECTORY;
    const PathKind target = KindOf(destinationPath);
    if (target == PathKind::Directory) return ERR_DB_IS_DIRECTORY;
    if (target != PathKind::Missing && store::IsDatabaseOpen(destinationPath)) return ERR_DB_IN_USE;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(destinationPath).parent_path(), ec);

    // Written beside the destination and renamed over it: the destination is replaced whole or not at all.
    const std::string temp = destinationPath + ".copying-" + std::to_string(store::RandomBits());
    STATUS s;
    {
        store::Connection sql;
        s = sql.Open(temp, true);
        if (s == NOERROR) s = CopyContents(sql, sourcePath, noteClassMask);
    }
    if (s == NOERROR && std::rename(temp.c_str(), destinationPath.c_str()) != 0) s = ERR_DB_CREATE;
    if (s != NOERROR) {
        RemoveFiles(temp);
        return s;
    }
    return db == nullptr ? NOERROR : OpenResolved(destinationPath, destination, db);
}

STATUS DeleteDatabase(const char* netpath) {
    std::string fsPath;
    if (STATUS s = Resolve(netpath, fsPath)) return s;
    if (STATUS s = Removable(fsPath)) return s;
    RemoveFiles(fsPath);
    return NOERROR;
}

STATUS GetDatabaseFileInfo(const char* netpath, uint32_t, uint32_t* used, uint32_t* unused) {
    std::string fsPath;
    if (STATUS s = Resolve(netpath, fsPath)) return s;
    std::shared_ptr<store::Database> db;
    if (STATUS s = store::Database::Open(fsPath, netpath, db)) return s;
    if (db->IsDirectory()) return ERR_DB_IS_DIRECTORY;
    return store::SpaceOf(*db, used, unused);
}

STATUS GetDatabaseSpace(DBHANDLE handle, uint32_t* used, uint32_t* unused) {
    return store::WithDatabase(handle, [&](store::Database& db) { return store::SpaceOf(db, used, unused); });
}

} // namespace nnotes
