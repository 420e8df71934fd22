// Opening and closing a data source, and selecting its rows.
#include "datasourceopen.h"
#include "exportguard.h"
#include "libstate.h"
#include "ln/lnerrors.h"
#include "qvllib/qvllib.h"

#include <cstring>

namespace {

// The index of the first record of that name (compared case-sensitively), -1 when none has it.
int32_t FindDataSource(const char* name) {
    for (size_t i = 0; i < DataSourceTable.size(); ++i)
        if (std::strcmp(DataSourceTable[i].DataSourceName, name) == 0) return static_cast<int32_t>(i);
    return -1;
}

// The new data source is opened beside the open one, which is replaced only once the new one stands: a
// failed open leaves the open data source, its rows and its database as they were.
int OpenDataSource(int32_t index) {
    const DataSourceRecord& record = DataSourceTable[static_cast<size_t>(index)];
    LNDatabase db;
    Session.GetDatabase(LNString(record.DatabaseName), &db, LNString(record.ServerName));
    if (db.Open() != LNNOERROR) return -1;
    LNViewFolder view;
    db.GetViewFolder(LNString(record.ViewName), &view);
    if (view.Open(0) != LNNOERROR) return -1;

    // The replaced data source is closed before its handles let go of it, so that no view or row body is
    // the last to release a database that is still open.
    CloseDataSource();
    CurrentDb = db;
    CurrentView = view;
    CurrentViewCategorised = view.IsCategorized();
    CurrentColumnValues.assign(view.GetColumnCount(), std::string());
    // The walk starts on the collection the view opened with: a second one of the same view, built a moment
    // later, would cost the open as much again and hold nothing the first does not.
    CurrentNavigator = view.GetViewFolderBody()->GetNavigator();
    GotoFirst();
    CurrentSourceIndex = index;
    return static_cast<int>(CurrentColumnValues.size());
}

} // namespace

int DSOpen(const char* name) {
    return Shielded(-1, [name] {
        const int32_t index = name != nullptr ? FindDataSource(name) : -1;
        return index < 0 ? -1 : OpenDataSource(index);
    });
}

namespace {

// Once no data source is open there is no row to read or walk: the walk's handles let go of the closed view
// and the row read last is forgotten.
void ForgetWalk() {
    CurrentNavigator = LNVFNavigator();
    CurrentEntry = LNVFEntry();
    CurrentColumnValues.clear();
    CurrentColumnPlain.clear();
    CurrentViewCategorised = false;
    CurrentCategory.clear();
}

} // namespace

void CloseDataSource() {
    if (CurrentSourceIndex == -1) return;
    CurrentSourceIndex = -1;
    try {
        CurrentView.Close();
        CurrentDb.Close();
    } catch (...) {
        ForgetWalk();
        throw;
    }
    ForgetWalk();
}

void DSClose(void) {
    Shielded(CloseDataSource);
}

int Search(const char* query) {
    return Shielded(0, [query] {
        if (query == nullptr) {
            CurrentView.GetEntries(&CurrentNavigator);
            return GotoFirst();
        }
        // The search fills a navigator of its own, which replaces the walk's only once it stands: a query
        // that does not parse, or a database without a full-text index, leaves the walk where it was. A
        // query that matches nothing stands too: its walk has no rows.
        LNVFNavigator found;
        const LNSTATUS status = CurrentView.FTSearch(LNString(query), &found);
        if (status != LNNOERROR && status != LNWARN_NOT_FOUND) return 0;
        CurrentNavigator = found;
        return GotoFirst();
    });
}
