// Opening, closing, creating, copying and deleting database files.
#include "files/database_files.h"
#include "files/netpath.h"
#include "process/process.h"
#include "store/database.h"
#include "store/database_schema.h"
#include "store/note_identity.h"
#include "views/viewindex_store.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace nnotes {
namespace {

enum class PathKind { Missing, Directory, Database, Foreign };

STATUS KindOf(const std::string& fsPath, PathKind& kind) {
    struct stat st;
    if (::stat(fsPath.c_str(), &st) != 0) {
        kind = PathKind::Missing;
        return errno == ENOENT ? NOERROR : store::StatusOfErrno(errno);
    }
    if (S_ISDIR(st.st_mode)) {
        kind = PathKind::Directory;
        return NOERROR;
    }
    const STATUS s = store::CheckDatabaseHead(fsPath);
    kind = s == NOERROR ? PathKind::Database : PathKind::Foreign;
    return s == ERR_NOT_A_DATABASE ? NOERROR : s;
}

// Resolves a network path given by a caller.
STATUS Resolve(const char* netpath, std::string& fsPath) {
    if (STATUS s = RequireProcess()) return s;
    if (netpath == nullptr) return ERR_MISSING_ARGUMENT;
    if (strnlen(netpath, MAXPATH) >= MAXPATH) return ERR_NETPATH_TOO_LONG;
    return netpath::ResolveNetPath(netpath, fsPath);
}

// A path that names one of our database files (whether a process holds it is found out when it is taken).
STATUS IsDatabaseFile(const std::string& fsPath) {
    PathKind kind;
    if (STATUS s = KindOf(fsPath, kind)) return s;
    switch (kind) {
    case PathKind::Missing:
        return ERR_NOEXIST;
    case PathKind::Directory:
        return ERR_DB_IS_DIRECTORY;
    case PathKind::Foreign:
        return ERR_NOT_A_DATABASE;
    case PathKind::Database:
        break;
    }
    return NOERROR;
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
    // The source is read once, front to back: mapped, every page of it would stay resident to the end.
    if (STATUS s = sql.Exec("PRAGMA source.mmap_size=0")) return s;
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
    PathKind kind;
    if (STATUS s = KindOf(fsPath, kind)) return s;
    if (kind == PathKind::Missing) return store::CreateDatabaseFile(fsPath, false);
    if (!force) return ERR_DB_EXISTS;
    if (STATUS s = IsDatabaseFile(fsPath)) return s;
    return store::CreateDatabaseFile(fsPath, true);
}

STATUS CopyDatabase(const char* source, const char* destination, uint16_t noteClassMask, uint32_t, uint32_t,
                    DBHANDLE* db) {
    std::string sourcePath, destinationPath;
    if (STATUS s = Resolve(source, sourcePath)) return s;
    if (STATUS s = Resolve(destination, destinationPath)) return s;
    // Refuses a source that is not one of our databases, and holds it while it is read.
    std::shared_ptr<store::Database> held;
    if (STATUS s = store::Database::Open(sourcePath, source, held)) return s;
    if (held->IsDirectory()) return ERR_DB_IS_DIRECTORY;
    PathKind target;
    if (STATUS s = KindOf(destinationPath, target)) return s;
    if (target == PathKind::Directory) return ERR_DB_IS_DIRECTORY;
    if (target == PathKind::Foreign) return ERR_NOT_A_DATABASE; // a file not ours is never replaced

    // Written beside the destination and renamed over it: the destination is replaced whole or not at all.
    store::TempDatabaseFile temp;
    if (STATUS s = temp.Make(destinationPath, "copying")) return s;
    {
        store::Connection sql;
        if (STATUS s = sql.Open(temp.Path(), true)) return s;
        if (STATUS s = CopyContents(sql, sourcePath, noteClassMask)) return s;
    }
    if (STATUS s = temp.PlaceOver(destinationPath)) return s;
    return db == nullptr ? NOERROR : OpenResolved(destinationPath, destination, db);
}

STATUS DeleteDatabase(const char* netpath) {
    std::string fsPath;
    if (STATUS s = Resolve(netpath, fsPath)) return s;
    if (STATUS s = IsDatabaseFile(fsPath)) return s;
    return store::DeleteDatabaseFile(fsPath);
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
