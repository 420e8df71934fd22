// Reading an open collection's entries from its view and database.
#pragma once

#include "views/collection_handle.h"

namespace nnotes::views {

// Makes c's entries from the view note c.viewId of c.viewDb and the documents of c.dataDb: from the stored
// index when the view lives in the documents' file (made again first when it is not current), else in
// memory. With onlyWhenChanged, entries that are still current are kept as they are.
STATUS LoadCollection(Collection& c, bool onlyWhenChanged);

} // namespace nnotes::views
