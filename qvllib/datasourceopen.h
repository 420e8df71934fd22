// Closing the open data source from inside the library, where a thrown status belongs to the caller.
#pragma once

// Closes the open data source's view and database and forgets its walk and current row; nothing when none
// is open.
void CloseDataSource();
