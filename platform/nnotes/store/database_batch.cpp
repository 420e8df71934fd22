// Batches: many changes through one handle made durable by one commit.
#include "store/database.h"

namespace nnotes {

STATUS BeginBatch(DBHANDLE handle) {
    return store::WithDatabase(handle, [](store::Database& db) { return db.Sql().BeginBatch(); });
}

STATUS CommitBatch(DBHANDLE handle) {
    return store::WithDatabase(handle, [](store::Database& db) { return db.Sql().CommitBatch(); });
}

} // namespace nnotes
