// Opening and closing the library: the session, qvlds.nsf with its data-source table, and the log.
#include "datasourceopen.h"
#include "datasourcetable.h"
#include "errorreport.h"
#include "exportguard.h"
#include "libstate.h"
#include "qvllib/qvllib.h"
#include "throwallerrors.h"

#include <cstdio>
#include <string>

namespace {

// Each start adds the server's name to qvllog.txt in the current folder. A log that cannot be written must
// not keep the library from starting.
void AppendToLog(const std::string& server) {
    std::FILE* log = std::fopen("qvllog.txt", "ab");
    if (log == nullptr) return;
    std::fwrite(server.data(), 1, server.size(), log);
    std::fclose(log);
}

int OpenDataSourceDatabase(const std::string& server) {
    try {
        ThrowAllErrorsOn throwing;
        Session.GetDatabase(LNString("qvlds.nsf"), &DataSourceDb, LNString(server.c_str()));
        AppendToLog(server);
        DataSourceDb.Open();
        DataSourceDb.GetViewFolder(LNString("DataSources"), &DataSourcesView);
        // A start of a library that is open already closes the data source of the earlier start.
        LoadDataSources();
        return 1;
    } catch (LNSTATUS status) {
        // A failed start leaves no table behind, not even one of an earlier start, and its end of the session
        // takes the data source of that start with it.
        DataSourceTable.clear();
        Shielded(CloseDataSource);
        ReportNotesError(status, true);
        return 0;
    }
}

} // namespace

int LibOpen(void) {
    return Shielded(0, [] { return OpenDataSourceDatabase(TheLibApp.ReadServerName()); });
}

void LibClose(void) {
    Shielded([] {
        CurrentColumnValues.clear();
        try {
            CloseDataSource();
            DataSourcesView.Close();
            if (LoadedKeywordCount != -1) LoadedKeywordView.Close();
            DataSourceDb.Close();
            DataSourceTable.clear();
        } catch (LNSTATUS status) {
            ReportNotesError(status, true);
        }
        // The session's end closes the keyword views, so neither keyword slot may be walked after it.
        KeywordViewOpen = false;
        LoadedKeywordCount = -1;
        try {
            Session.Term();
        } catch (...) {
        }
    });
}
