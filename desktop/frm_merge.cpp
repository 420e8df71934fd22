#include "frm_merge.h"

#include "dialog_buttons.h"
#include "forms.h"
#include "frm_main.h"
#include "grid_routines.h"
#include "library_text.h"
#include "merge_names.h"
#include "messages.h"
#include "modal.h"
#include "qvllib/qvllib.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// The kinds of document the word processor merges: its own name for them, DOCX and RTF.
const char* const kWordFilter = "Word Document|*.doc;*.docx;*.rtf|All Files|*.*";
} // namespace

TfrmMerge::TfrmMerge(QWidget* parent)
    : QDialog(parent), OpenDialog1(FileDialog::Kind::Open, "doc", kWordFilter),
      SaveDialog1(FileDialog::Kind::Save, "doc", kWordFilter) {
    setWindowTitle("Merge to Word");
    resize(460, 160);
    edTemplate = new QLineEdit;
    edOutput = new QLineEdit;
    edName = new QLineEdit;
    lblName = new QLabel("&Description:");
    lblName->setBuddy(edName);
    auto* lblTemplate = new QLabel("&Template File:");
    lblTemplate->setBuddy(edTemplate);
    auto* lblOutput = new QLabel("&Output File:");
    lblOutput->setBuddy(edOutput);
    btnBrowseTemplate = new QPushButton("&Browse...");
    btnBrowseOutput = new QPushButton("B&rowse...");
    DialogButtons buttons = MakeDialogButtons("&Merge");
    btnRun = buttons.ok;
    btnCancel = buttons.cancel;
    auto* layout = new QGridLayout(this);
    layout->addWidget(lblTemplate, 0, 0);
    layout->addWidget(edTemplate, 0, 1);
    layout->addWidget(btnBrowseTemplate, 0, 2);
    layout->addWidget(lblOutput, 1, 0);
    layout->addWidget(edOutput, 1, 1);
    layout->addWidget(btnBrowseOutput, 1, 2);
    layout->addWidget(lblName, 2, 0);
    layout->addWidget(edName, 2, 1, 1, 2);
    layout->addLayout(buttons.row, 3, 0, 1, 3);

    for (QLineEdit* edit : {edTemplate, edOutput, edName})
        SelectAllOnEnter(*edit);
    connect(edTemplate, &QLineEdit::textChanged, this, &TfrmMerge::UpdateRunButton);
    connect(edOutput, &QLineEdit::textChanged, this, &TfrmMerge::UpdateRunButton);
    connect(btnBrowseTemplate, &QPushButton::clicked, this, &TfrmMerge::BrowseTemplateClick);
    connect(btnBrowseOutput, &QPushButton::clicked, this, &TfrmMerge::BrowseOutputClick);
    connect(btnRun, &QPushButton::clicked, this, &TfrmMerge::RunClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmMerge::reject);
}

void TfrmMerge::reject() {
    done(mrCancel);
}

void TfrmMerge::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverForm(this, frmMain);
    replaceConfirmed_.clear();
    MergeHistField = ReadWholeLibraryText([](char* buf, int size) { DSGetInfo(1, buf, size); });
    lblName->setEnabled(!MergeHistField.isEmpty());
    edName->setEnabled(!MergeHistField.isEmpty());
    UpdateRunButton();
    if (OpenDialog1.FileName.isEmpty()) OpenDialog1.FileName = edTemplate->text();
    if (edOutput->text().isEmpty()) {
        QString name = DefaultOutputName(TodayShortDate());
        edOutput->setText(name);
        SaveDialog1.FileName = name;
    }
}

void TfrmMerge::UpdateRunButton() {
    btnRun->setEnabled(!edTemplate->text().isEmpty() && !edOutput->text().isEmpty());
}

// Word gets the names the boxes show, so that a typed, browsed or newly created template is the one merged.
// A bare name lies in the documents folder: the folders the dialogs start in change whenever a dialog has
// run, even a cancelled one, and the same text must name the same file either way.
QString TfrmMerge::TemplatePath() const {
    return DialogPath(frmMain->PersonalFolder, edTemplate->text());
}

QString TfrmMerge::OutputPath() const {
    return DialogPath(frmMain->PersonalFolder, edOutput->text());
}

void TfrmMerge::BrowseTemplateClick() {
    if (OpenDialog1.Execute(this)) edTemplate->setText(OpenDialog1.FileName);
    OpenDialog1.InitialDir.clear();
}

void TfrmMerge::BrowseOutputClick() {
    SaveDialog1.InitialDir.clear();
    if (SaveDialog1.Execute(this)) {
        edOutput->setText(SaveDialog1.FileName);
        replaceConfirmed_ = OutputPath();
    }
    SaveDialog1.InitialDir.clear();
}

void TfrmMerge::RunClick() {
    if (edTemplate->text().isEmpty() || edOutput->text().isEmpty()) {
        ShowError("You must supply a template file and an output file");
        return;
    }
    // Every merge of a day has the same default name: replacing the file would lose an earlier merge, whose
    // documents already record it in their history.
    const QString output = OutputPath();
    if (output != replaceConfirmed_ && QFileInfo::exists(output) &&
        !Confirm("The output file \"" + output + "\" already exists. Do you wish to replace it ?")) {
        return;
    }
    done(mrOk);
}
