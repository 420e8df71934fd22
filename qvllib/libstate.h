// The library's process-wide state. Every object is constructed empty when the library is loaded and
// destroyed, in reverse order, when it is unloaded; the exports are called from one thread, one at a time.
#pragma once

#include "datalibapp.h"
#include "datasourcerecord.h"
#include "ln/lndatabase.h"
#include "ln/lnsession.h"
#include "ln/lnvfentry.h"
#include "ln/lnviewfolder.h"

#include <cstdint>
#include <string>
#include <vector>

extern CDataLibApp TheLibApp;
extern LNNotesSession Session;

// qvlds.nsf, its view "DataSources" and the table read from it.
extern LNDatabase DataSourceDb;
extern LNViewFolder DataSourcesView;
extern std::vector<DataSourceRecord> DataSourceTable;

// The open data source and its row walk.
extern int32_t CurrentSourceIndex; // -1: none open
extern LNDatabase CurrentDb;
extern LNViewFolder CurrentView;
extern LNVFNavigator CurrentNavigator;
extern LNVFEntry CurrentEntry;
extern std::vector<std::string> CurrentColumnValues; // one per view column
extern std::vector<uint8_t> CurrentColumnPlain;      // the row walk's: which columns were plain summary text
extern bool CurrentViewCategorised;
extern std::string CurrentCategory; // of the last category row passed

// The walked keyword view.
extern LNViewFolder KeywordView;
extern LNVFNavigator KeywordNavigator;
extern LNVFEntry KeywordEntry;
extern bool KeywordViewOpen;

// The keyword view read by row index.
extern LNViewFolder LoadedKeywordView;
extern int32_t LoadedKeywordCount; // -1: nothing loaded
