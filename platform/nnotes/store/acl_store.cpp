// An access list in its database: one value of the info table, so that copies of the file carry it.
#include "store/acl_format.h"
#include "store/database.h"

namespace nnotes {
namespace {

constexpr const char* kInfoAcl = "acl";

} // namespace

STATUS ReadACL(DBHANDLE db, DHANDLE* handle) {
    return store::WithDatabase(db, [&](store::Database& database) -> STATUS {
        if (handle == nullptr) return ERR_MISSING_ARGUMENT;
        STATUS s;
        store::Statement* q = database.Sql().Prepare("SELECT value FROM info WHERE key=?", &s);
        if (q == nullptr) return s;
        q->Bind(1, kInfoAcl);
        const int rc = q->Step();
        acl::List list = acl::DefaultList(ACL_LEVEL_MANAGER);
        if (rc == SQLITE_ROW)
            s = acl::Decode(q->Blob(0), list);
        else if (rc != SQLITE_DONE)
            s = store::StatusOf(rc);
        q->Reset();
        return s != NOERROR ? s : acl::NewListBlock(list, handle);
    });
}

STATUS StoreACL(DBHANDLE db, DHANDLE handle) {
    acl::List list;
    if (STATUS s = acl::ReadListBlock(handle, list)) return s;
    const std::string bytes = acl::Encode(list);
    return store::WithDatabase(
        db, [&](store::Database& database) { return database.WriteInfoAlone(kInfoAcl, bytes); });
}

} // namespace nnotes
