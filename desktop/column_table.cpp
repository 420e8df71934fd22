#include "column_table.h"

#include "library_text.h"
#include "qvllib/qvllib.h"

void LoadColumnTable() {
    ProgramState& state = State();
    state.ColumnTable.assign(static_cast<size_t>(std::max(state.ColumnCount, 0)) + 1, ColumnInfo{});
    state.ColumnTable[0].KeywordState = 1;
    for (int i = 1; i <= state.ColumnCount; ++i) {
        state.ColumnTable[i].Name =
            ReadWholeLibraryText([i](char* buf, int size) { GetHeader(i - 1, buf, size); });
    }
    state.CategoryListState = 0;
    state.CategoryList.clear();
    state.OfferedCategories.clear();
}

void UnderscoreSpaces(ColumnInfo& entry) {
    entry.Name.replace(QLatin1Char(' '), QLatin1Char('_'));
}
