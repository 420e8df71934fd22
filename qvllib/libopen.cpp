// Opening and closing the library: the session, qvlds.nsf with its data-source table, and the log.
#include "datasourceopen.h"
#include "datasourcetable.h"
#include "errorreport.h"
#include "exportguard.h"
#include "libstate.h"
#include "qvllib/qvllib.h"
#include "throwallerrors.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// Each start adds the server's name to qvllog.txt in the current folder, in one appending write. A log that
// cannot be written must not keep the library from starting, nor hold it up: a pipe put in the log's place
// that nobody reads is passed by, where opening it to write would wait for a reader for ever.
void AppendToLog(const std::string& server) {
    const int log = ::open("qvllog.txt", O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (log < 0) return;
    for (size_t done = 0; done < server.size();) {
        const ssize_t n = ::write(log, server.data() + done, server.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(log);
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
