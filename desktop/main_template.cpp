// "Create Merge Template": Word makes a new document with one merge field per column of the open view.
#include "forms.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "messages.h"
#include "modal.h"
#include "program_state.h"
#include "string_grid.h"

#include <QLineEdit>

#include <optional>

namespace {

void Call(word::AutomationObject& word, const std::string& method,
          const std::vector<word::Argument>& arguments = {}) {
    word.Invoke(method, arguments);
}

} // namespace

void TfrmMain::ConnectTemplateWord() {
    try {
        TemplateWordAttached = true;
        TemplateWord = word::GetActiveObject(word::kProgramId);
        Call(*TemplateWord, "AppMinimize", {word::Positional(1)});
    } catch (const word::AutomationError&) {
        TemplateWordAttached = false;
        TemplateWord.reset();
        TemplateWord = word::CreateObject(word::kProgramId);
        Call(*TemplateWord, "AppHide");
    }
}

void TfrmMain::CreateTemplateClick() {
    if (!DialogFoldersSet) {
        frmMerge->SaveDialog1.InitialDir = PersonalFolder;
        frmMerge->OpenDialog1.InitialDir.clear();
        DialogFoldersSet = true;
    }
    std::optional<HourglassCursor> hourglass;
    try {
        TemplateWord.reset();
        ConnectTemplateWord();
        Call(*TemplateWord, "FileNewDefault");
        QStringList names;
        for (int col = 1; col <= State().ColumnCount; ++col) {
            if (!gridAll->Cell(col, 0).isEmpty()) names << gridAll->Cell(col, 0);
        }
        if (SaveDialog.Execute(this)) {
            hourglass.emplace();
            Call(*TemplateWord, "MailMergeCreateHeaderSource",
                 {word::Named("FileName", "testmerge.tmp"),
                  word::Named("HeaderRecord", names.join(',').toStdString())});
            for (const QString& name : names) {
                Call(*TemplateWord, "InsertMergeField", {word::Named("MergeField", name.toStdString())});
            }
            Call(*TemplateWord, "FileSaveAs", {word::Positional(SaveDialog.FileName.toStdString())});
            Call(*TemplateWord, "FileClose", {word::Positional(2)});
            Call(*TemplateWord, "FileClose", {word::Positional(2)});
            frmMerge->edTemplate->setText(SaveDialog.FileName);
        }
        if (!TemplateWordAttached) Call(*TemplateWord, "FileExit", {word::Positional(2)});
    } catch (const word::AutomationError& error) {
        hourglass.reset();
        // A Word this command started runs hidden, so it is closed rather than left behind.
        if (TemplateWord && !TemplateWordAttached) {
            try {
                Call(*TemplateWord, "FileExit", {word::Positional(2)});
            } catch (const word::AutomationError&) {
                // Already gone.
            }
        }
        ShowError(TemplateWord ? QString::fromStdString(error.what()) : "Could not start Microsoft Word.");
    }
    hourglass.reset();
    SaveDialog.InitialDir.clear();
}
