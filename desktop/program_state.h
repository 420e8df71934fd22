// The program-wide state of the open data source and its retrieval. The program has one thread, so these
// are plain values without locking.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// What the program knows of one grid column: its name and, once asked for, its keyword values.
struct ColumnInfo {
    QString Name;
    // 0 keyword values not loaded yet, 1 the column has none (or loading failed), 2 loaded.
    int KeywordState = 0;
    QStringList KeywordValues;
};

struct ProgramState {
    // DSOpen's result for the open data source: the number of view columns (<= 0 after a failed open).
    int ColumnCount = 0;
    QString SelectedSourceName;
    bool LibraryOpened = false;
    // Entry 0 stands for the grids' fixed column; entry i for view column i - 1 and grid column i.
    std::vector<ColumnInfo> ColumnTable;
    QStringList CategoryList;
    // 0 not loaded, 1 the view has no categories (or none could be read), 2 loaded.
    int CategoryListState = 0;
    QStringList OfferedCategories;
    QStringList RetrievedCategories;
    bool AllCategoriesRetrieved = true;
    bool RetrievalInterrupted = false;
    bool IgnoreDuplicates = false;
};

// The one state of the running program.
ProgramState& State();

// The text a category gets in lists when the view delivers an empty one.
inline const QString kNotCategorised = QStringLiteral("(Not Categorised)");
