// Opening a data source: the one-time library start, the choice of a source, the column table and grid
// layouts, and the categories of a categorised view.
#include "category_text.h"
#include "column_table.h"
#include "forms.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "frm_open.h"
#include "frm_wait.h"
#include "grid_routines.h"
#include "library_text.h"
#include "messages.h"
#include "modal.h"
#include "program_state.h"
#include "qvllib/qvllib.h"
#include "string_grid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

void TfrmMain::OpenAndLoadCategories() {
    frmWait->ShowWaitMessage("Opening Data Source");
    bool opened = OpenDataSource();
    frmWait->hide();
    if (opened) LoadCategoryCombo();
}

bool TfrmMain::OpenDataSource() {
    ProgramState& state = State();
    if (!state.LibraryOpened) {
        if (LibOpen() == 0) return false;
        state.LibraryOpened = true;
    }
    frmWait->hide();
    if (ShowModal(*frmOpen) != mrOk) return false;
    QByteArray name = state.SelectedSourceName.toUtf8();
    const int columns = DSOpen(name.constData());
    if (columns > 0) {
        state.ColumnCount = columns;
        EnableRecordCommands(true);
        LoadColumnTable();
        SetupGridColumns(*gridSel, *gridselHeader);
        SetupGridColumns(*gridAll, *gridallheader);
        // The counts belong to the grids just emptied, not to the previous source.
        UpdateCountLabels();
        StatusPanel0->setText("Data Source: " + state.SelectedSourceName);
        ForgetPreviousSource();
        return true;
    }
    ShowError("The data source \"" + state.SelectedSourceName + "\" could not be opened.");
    EnableRecordCommands(false);
    // A source that does not open leaves the one open before open in the library, and the grids keep its
    // rows laid out for its columns. A view without columns did replace it: the rows shown are no longer of
    // the open source, and merging them would write history into another database.
    if (columns == 0) {
        state.ColumnCount = 0;
        ForgetOpenSource();
    }
    return false;
}

// The window without a source, as after a start: no columns, no rows, no categories.
void TfrmMain::ForgetOpenSource() {
    ProgramState& state = State();
    LoadColumnTable();
    gridSel->SetRowCount(0);
    gridAll->SetRowCount(0);
    state.RetrievedCategories.clear();
    state.AllCategoriesRetrieved = true;
    state.RetrievalInterrupted = false;
    state.IgnoreDuplicates = false;
    SetupGridColumns(*gridSel, *gridselHeader);
    SetupGridColumns(*gridAll, *gridallheader);
    UpdateCountLabels();
    cbCategories->clear();
    lblGotoCategory->hide();
    cbCategories->hide();
    btnSelectAll->setEnabled(false);
    btnMerge->setEnabled(false);
    StatusPanel0->setText("Data Source: None");
    ForgetPreviousSource();
}

// What the last retrieval said belongs to the grids it filled, and a template chosen for the previous source
// holds that source's merge fields: the new source starts with no status and the default template, in the
// folder the merge form's dialogs start in.
void TfrmMain::ForgetPreviousSource() {
    SetStatusMessage(QString());
    frmMerge->edTemplate->clear();
    frmMerge->OpenDialog1.FileName.clear();
    DialogFoldersSet = false;
}

void TfrmMain::LoadCategoryCombo() {
    ProgramState& state = State();
    state.RetrievalInterrupted = false;
    state.AllCategoriesRetrieved = true;
    state.IgnoreDuplicates = false;
    state.OfferedCategories.clear();
    state.RetrievedCategories.clear();
    if (IsCategorised() != 0) {
        cbCategories->clear();
        cbCategories->setCurrentIndex(-1);
        lblGotoCategory->show();
        cbCategories->show();
        QStringList categories;
        if (LoadCategories(categories)) {
            state.OfferedCategories = categories;
            state.AllCategoriesRetrieved = false;
            for (const QString& category : categories)
                AddCategoryItem(*cbCategories, category);
            cbCategories->setCurrentIndex(-1);
            cbCategories->setEnabled(true);
        } else {
            cbCategories->setEnabled(false);
        }
    } else {
        lblGotoCategory->hide();
        cbCategories->hide();
    }
    RetrieveRecords();
}

bool TfrmMain::LoadCategories(QStringList& list) {
    ProgramState& state = State();
    if (state.CategoryListState == 1) return false;
    if (state.CategoryListState == 2) {
        list = state.CategoryList;
        return true;
    }
    state.CategoryList.clear();
    HourglassCursor hourglass;
    SteppedText buffer;
    if (CategoryGetFirst(buffer.Data(), buffer.Size()) == 0) {
        state.CategoryListState = 1;
        return false;
    }
    frmWait->ShowWaitMessage("Loading categories...");
    do {
        QString category = buffer.Take();
        state.CategoryList.append(category.isEmpty() ? kNotCategorised : category);
    } while (CategoryGetNext(buffer.Data(), buffer.Size()) != 0);
    frmWait->hide();
    state.CategoryListState = 2;
    list = state.CategoryList;
    return true;
}

void TfrmMain::CategoryChosen(int index) {
    if (index < 0) return;
    ProgramState& state = State();
    QString category = StoredCategory(*cbCategories, index);
    if (!state.AllCategoriesRetrieved && !state.RetrievedCategories.contains(category)) {
        if (Confirm("Category \"" + DisplayForm(category) + "\" has not been loaded.\n\n" +
                    "Do you want to load records now?")) {
            RetrieveRecords();
        }
        return;
    }
    if (category == kNotCategorised) category.clear();
    for (int row = 1; row <= gridAll->Tag; ++row) {
        if (gridAll->Cell(1, row) == category) {
            gridAll->SetTopRow(row == 1 ? row : row - 1);
            gridAll->SetCurrentRow(row);
            return;
        }
    }
    ScrollGridToEnd(*gridAll, 7);
}
