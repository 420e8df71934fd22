// nsfadmin index: builds or brings up to date a database's full-text index.
#include "failure.h"
#include "nnotes/fulltext.h"
#include "nsfadmin/nsfadmin.h"
#include "open_database.h"

namespace nsfadmin {

std::string Index(const std::string& database, const std::string& server) {
    return Run([&] {
        StoreSession session;
        OpenedDatabase db(database, server);
        Check(nnotes::FTIndex(db.Handle(), 0, nullptr, nullptr), db.Name() + ": full-text index");
    });
}

} // namespace nsfadmin
