#include "database.h"
#include "process.h"
#include "store_handles.h"

namespace nnotes::store {
namespace {

HandleTable<Database>& Databases() {
    // Never destroyed: at exit its objects would free blocks of a memory registry that may be gone already.
    static auto* table = new HandleTable<Database>;
    return *table;
}

// Databases still open at TermProcess are closed; their handles stay dead.
void CloseAllDatabases() {
    Databases().RemoveAll();
}

} // namespace

DBHANDLE AddDatabase(std::shared_ptr<Database> db) {
    AtTermProcess(CloseAllDatabases);
    return Databases().Add(std::move(db));
}

std::shared_ptr<Database> FindDatabase(DBHANDLE handle) {
    return Databases().Find(handle);
}

std::shared_ptr<Database> RemoveDatabase(DBHANDLE handle) {
    return Databases().Remove(handle);
}

bool IsDatabaseOpen(const std::string& fsPath) {
    return Databases().Any([&](const Database& db) { return db.FilePath() == fsPath; });
}

STATUS DatabaseOf(DBHANDLE handle, std::shared_ptr<Database>& out) {
    if (STATUS s = RequireProcess()) return s;
    out = FindDatabase(handle);
    if (out == nullptr) return ERR_DB_HANDLE;
    return out->IsDirectory() ? ERR_DB_IS_DIRECTORY : NOERROR;
}

} // namespace nnotes::store
