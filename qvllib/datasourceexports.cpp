// The exports that list the data-source table and describe the open data source.
#include "libstate.h"
#include "qvllib/qvllib.h"
#include "textout.h"

int DSGetCount(void) {
    return static_cast<int>(DataSourceTable.size());
}

int DSGetName(int index, char* buffer, int size) {
    if (index < 0 || static_cast<size_t>(index) >= DataSourceTable.size()) return 0;
    CopyOut(buffer, size, DataSourceTable[static_cast<size_t>(index)].DataSourceName);
    return 1;
}

int DSGetInfo(int type, char* buffer, int size) {
    if (CurrentSourceIndex < 0 || static_cast<size_t>(CurrentSourceIndex) >= DataSourceTable.size()) return 0;
    if (type != 1 && type != 2) return 0;
    const DataSourceRecord& record = DataSourceTable[static_cast<size_t>(CurrentSourceIndex)];
    CopyOut(buffer, size, type == 1 ? record.MergeHistField : record.PrimarySearchField);
    return 1;
}
