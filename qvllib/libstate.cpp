#include "libstate.h"

// One translation unit, so that the objects are built in this order and destroyed in the reverse one: the
// handles go before the session that their bodies belong to.
CDataLibApp TheLibApp;
LNNotesSession Session;

LNDatabase DataSourceDb;
LNViewFolder DataSourcesView;
std::vector<DataSourceRecord> DataSourceTable;

int32_t CurrentSourceIndex = -1;
LNDatabase CurrentDb;
LNViewFolder CurrentView;
LNVFNavigator CurrentNavigator;
LNVFEntry CurrentEntry;
std::vector<std::string> CurrentColumnValues;
std::vector<uint8_t> CurrentColumnPlain;
bool CurrentViewCategorised = false;
std::string CurrentCategory;

LNViewFolder KeywordView;
LNVFNavigator KeywordNavigator;
LNVFEntry KeywordEntry;
bool KeywordViewOpen = false;

LNViewFolder LoadedKeywordView;
int32_t LoadedKeywordCount = -1;
