// The merge command and the merge data file.
#include "forms.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "frm_merge_progress.h"
#include "merge_data_file.h"
#include "messages.h"
#include "modal.h"
#include "program_state.h"
#include "string_grid.h"

#include <QFile>
#include <QLineEdit>

void TfrmMain::MergeClick() {
    if (!DialogFoldersSet) {
        frmMerge->OpenDialog1.InitialDir = PersonalFolder;
        frmMerge->SaveDialog1.InitialDir = PersonalFolder;
        DialogFoldersSet = true;
    }
    if (gridSel->Tag <= 0) {
        Inform("At least one record must be selected for merging.");
        return;
    }
    if (frmMerge->edTemplate->text().isEmpty()) frmMerge->edTemplate->setText("wordmergetemplate.doc");
    if (ShowModal(*frmMerge) != mrOk) return;
    if (ConfirmOkCancel(QString("There are %1 rows. Continue with merge?").arg(gridSel->Tag))) {
        ShowModal(*frmMergeProgress);
    }
}

bool TfrmMain::SaveSelectionToFile(const QString& fileName, bool allRows) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QByteArray text = MergeDataText(*gridSel, State().ColumnCount, allRows);
    return file.write(text) == text.size() && file.flush();
}
