// Building the merge selection: highlighted rows, all rows, rows found by a search, and removing them.
#include "forms.h"
#include "frm_filter.h"
#include "frm_main.h"
#include "frm_wait.h"
#include "grid_routines.h"
#include "library_text.h"
#include "messages.h"
#include "modal.h"
#include "program_state.h"
#include "qvllib/qvllib.h"
#include "record_match.h"
#include "record_rows.h"
#include "string_grid.h"

void TfrmMain::AddHighlightedClick() {
    auto [top, bottom] = gridAll->HighlightedRows();
    bool added = false;
    SelectedIds ids(*gridSel);
    for (int row = std::max(top, 1); row <= std::min(bottom, gridAll->Tag); ++row) {
        added = CopyRowToSelection(*gridSel, *gridAll, row, &ids) || added;
    }
    if (added) {
        ScrollGridToEnd(*gridSel, 7);
        UpdateCountLabels();
    }
}

void TfrmMain::AddAllClick() {
    if (!Confirm("Add all retrieved records?")) return;
    frmWait->ShowWaitMessage("Adding all retrieved records...");
    ClearGrid(*gridSel);
    AddAllRows(*gridSel, *gridAll, State().IgnoreDuplicates);
    UpdateCountLabels();
    frmWait->hide();
}

void TfrmMain::ClearHighlightedClick() {
    DeleteHighlightedRows(*gridSel);
    UpdateCountLabels();
}

void TfrmMain::ClearAllClick() {
    if (!Confirm("Clear selected records?")) return;
    ClearGrid(*gridSel);
    UpdateCountLabels();
}

void TfrmMain::SearchAddClick() {
    if (ShowModal(*frmFilter) != mrOk) return;
    const SearchCondition& c = frmFilter->Condition;
    int n = AddMatchingRecords(c.FieldIndex, c.MatchKind, c.CaseSensitive, c.MatchValue, c.MatchPositive);
    if (n <= 0) {
        Inform("No records were added.");
    } else if (n == 1) {
        Inform("1 record was added.");
    } else {
        Inform(QString::number(n) + " records were added");
    }
    UpdateCountLabels();
}

int TfrmMain::AddMatchingRecords(int fieldIndex, int matchKind, bool caseSensitive, QString matchValue,
                                 bool matchPositive) {
    HourglassCursor hourglass;
    SearchCondition condition{fieldIndex, matchKind, matchPositive,
                              caseSensitive ? matchValue : UpperAscii(matchValue), caseSensitive};
    int count = 0;
    SelectedIds ids(*gridSel);
    for (int row = 1; row <= gridAll->Tag; ++row) {
        if (MatchRow(condition, *gridAll, row, State().ColumnCount) &&
            CopyRowToSelection(*gridSel, *gridAll, row, &ids)) {
            ++count;
        }
    }
    return count;
}

bool TfrmMain::LoadKeywordValues(int columnIndex, QStringList& list) {
    auto& table = State().ColumnTable;
    if (columnIndex <= 0 || columnIndex >= static_cast<int>(table.size())) return false;
    ColumnInfo& entry = table[columnIndex];
    if (entry.KeywordState == 1) return false;
    if (entry.KeywordState == 2) {
        list = entry.KeywordValues;
        return true;
    }
    frmWait->ShowWaitMessage("Loading " + entry.Name + " values...");
    QByteArray name = entry.Name.toUtf8();
    if (KWOpen(name.constData()) == 0) {
        frmWait->hide();
        entry.KeywordState = 1;
        return false;
    }
    HourglassCursor hourglass;
    entry.KeywordState = 2;
    entry.KeywordValues.clear();
    SteppedText buffer;
    for (int more = KWGetFirst(buffer.Data(), buffer.Size()); more != 0;
         more = KWGetNext(buffer.Data(), buffer.Size())) {
        entry.KeywordValues.append(buffer.Take());
    }
    KWClose();
    frmWait->hide();
    list = entry.KeywordValues;
    return true;
}
