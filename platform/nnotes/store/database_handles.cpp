#include "process/process.h"
#include "store/database.h"
#include "store/store_handles.h"

namespace nnotes::store {
DBHANDLE AddDatabase(std::shared_ptr<Database> db) {
    return AddToProcessTable(std::move(db));
}

std::shared_ptr<Database> FindDatabase(DBHANDLE handle) {
    return ProcessTable<Database>().Find(handle);
}

std::shared_ptr<Database> RemoveDatabase(DBHANDLE handle) {
    return ProcessTable<Database>().Remove(handle);
}

STATUS DatabaseOf(DBHANDLE handle, std::shared_ptr<Database>& out) {
    if (STATUS s = RequireProcess()) return s;
    out = FindDatabase(handle);
    if (out == nullptr) return ERR_DB_HANDLE;
    return out->IsDirectory() ? ERR_DB_IS_DIRECTORY : NOERROR;
}

STATUS NoteStatusOf(DBHANDLE handle, STATUS s) {
    if (!Database::IsDamage(s)) return s;
    std::shared_ptr<Database> db = FindDatabase(handle);
    if (db == nullptr || db->IsDirectory()) return s;
    std::lock_guard<std::recursive_mutex> guard(db->Lock());
    return db->Noted(s);
}

} // namespace nnotes::store
