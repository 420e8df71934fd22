#include "frm_merge_progress.h"

#include "forms.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "grid_routines.h"
#include "messages.h"
#include "modal.h"
#include "os/os.h"
#include "program_state.h"
#include "qvllib/qvllib.h"
#include "string_grid.h"

#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

bool MergeWordAttached = false;

namespace {

const char* const kStepCaptions[] = {"Starting Word",
                                     "Saving selected records",
                                     "Opening merge document",
                                     "Creating merge document",
                                     "Saving merge document",
                                     "Writing back to Notes",
                                     "Finished"};
constexpr int kWriteBackStep = 6;

} // namespace

TfrmMergeProgress::TfrmMergeProgress(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Mail Merge Progress");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(300, 240);
    auto* layout = new QVBoxLayout(this);
    for (size_t i = 0; i < lblSteps.size(); ++i) {
        lblSteps[i] = new QLabel(kStepCaptions[i]);
        layout->addWidget(lblSteps[i]);
    }
    btnClose = new QPushButton("&Close");
    btnClose->setDefault(true);
    layout->addWidget(btnClose, 0, Qt::AlignCenter);
    Timer1 = new QTimer(this);
    Timer1->setInterval(250);
    connect(Timer1, &QTimer::timeout, this, &TfrmMergeProgress::Timer1Tick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmMergeProgress::CloseClick);
}

void TfrmMergeProgress::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverForm(this, frmMain);
    for (int step = 1; step <= 7; ++step)
        MarkStep(step, false);
    btnClose->show();
    btnClose->setText("&Cancel");
    Timer1->start();
}

void TfrmMergeProgress::hideEvent(QHideEvent* event) {
    Timer1->stop();
    QDialog::hideEvent(event);
}

// Escape works as the button does, which is also the form's cancel button.
void TfrmMergeProgress::reject() {
    CloseClick();
}

void TfrmMergeProgress::CloseClick() {
    if (btnClose->text() == "&Cancel") {
        // "No" goes on with the merge, and the form stays to show its steps.
        if (!Confirm("Do you wish to cancel merge ?")) return;
        KeepRunning = false;
    }
    done(mrCancel);
}

void TfrmMergeProgress::MarkStep(int step, bool marked) {
    QLabel* label = lblSteps[step - 1];
    QFont font = label->font();
    font.setBold(marked);
    label->setFont(font);
    label->repaint();
}

void TfrmMergeProgress::Call(const std::string& method, const std::vector<word::Argument>& arguments) {
    if (!WordObject) throw word::AutomationError("Microsoft Word is not running.");
    WordObject->Invoke(method, arguments);
}

void TfrmMergeProgress::CloseStartedWord() {
    if (!MergeWordAttached) Call("AppClose");
}

void TfrmMergeProgress::Timer1Tick() {
    KeepRunning = true;
    Timer1->stop();
    try {
        if (!StartWord()) {
            done(mrCancel);
            return;
        }
        if (!SaveMergeData()) {
            CloseStartedWord();
            btnClose->setText("&Close");
            return;
        }
        RunMerge(*frmMain->gridSel, frmMain->gridSel->RowCount() - 1, State().ColumnCount);
    } catch (const std::exception& error) {
        ShowError(QString::fromStdString(error.what()));
        // The merge is over: there is nothing left to cancel.
        btnClose->setText("&Close");
    }
}

bool TfrmMergeProgress::StartWord() {
    MarkStep(1, true);
    auto connect = [this](bool attach) {
        MergeWordAttached = attach;
        try {
            if (attach) {
                WordObject = word::GetActiveObject(word::kProgramId);
                Call("AppMinimize", {word::Positional(1)});
            } else {
                WordObject = word::CreateObject(word::kProgramId);
                Call("AppHide");
            }
            return true;
        } catch (const word::AutomationError&) {
            return false;
        }
    };
    if (!connect(true) && !connect(false)) {
        ShowError("Could not start Microsoft Word.");
        return false;
    }
    MarkStep(1, false);
    Call("AppMinimize", {word::Positional(1)});
    return true;
}

bool TfrmMergeProgress::SaveMergeData() {
    ProcessMessages();
    if (!KeepRunning) return true;
    MarkStep(2, true);
    TempFileName = QString::fromStdString(os::CreateTempFile("mm"));
    bool saved = false;
    {
        HourglassCursor hourglass;
        saved = !TempFileName.isEmpty() && frmMain->SaveSelectionToFile(TempFileName, true);
    }
    if (!saved) {
        ShowError("The merge data file could not be written in " +
                  QString::fromStdString(os::TempDirectory()) + ".");
        return false;
    }
    MarkStep(2, false);
    return true;
}

void TfrmMergeProgress::RunMerge(StringGrid& grid, int rows, int columns) {
    repaint();
    ProcessMessages();
    if (!KeepRunning) {
        CloseStartedWord();
        return;
    }
    std::optional<HourglassCursor> hourglass(std::in_place);
    MarkStep(3, true);
    try {
        Call("FileOpen", {word::Named("name", frmMerge->TemplatePath().toStdString())});
        Call("MailMergeOpenDataSource", {word::Named("Name", TempFileName.toStdString())});
        Call("MailMerge", {word::Named("Destination", 0)});
        MarkStep(3, false);
        ProcessMessages();
        auto stopped = [this] {
            if (KeepRunning) return false;
            if (!MergeWordAttached) {
                Call("FileClose", {word::Positional(2)});
                Call("AppClose");
            }
            return true;
        };
        if (stopped()) return;
        MarkStep(4, true);
        if (MergeWordAttached) Call("AppActivate", {word::Positional("Microsoft Word"), word::Positional(1)});
        ProcessMessages();
        if (stopped()) return;
        Call("MailMergeToDoc");
        MarkStep(4, false);
        MarkStep(5, true);
        Call("FileSaveAs", {word::Named("Name", frmMerge->OutputPath().toStdString())});
        Call("FileClose", {word::Positional(2)});
        Call("FileClose", {word::Positional(2)});
        CloseStartedWord();
    } catch (const std::exception& error) {
        ShowError(QString::fromStdString(error.what()));
        hourglass.reset();
        btnClose->show();
        btnClose->setText("&Close");
        try {
            CloseStartedWord();
        } catch (const word::AutomationError&) {
            // Word is already gone; there is nothing left to close.
        }
        return;
    }
    MarkStep(5, false);
    bool written = WriteBack(grid, rows, columns);
    hourglass.reset();
    if (written) MarkStep(7, true);
    btnClose->setText("&Close");
}

bool TfrmMergeProgress::WriteBack(StringGrid& grid, int rows, int columns) {
    QString description = frmMerge->edName->text();
    QString item = frmMerge->MergeHistField;
    if (description.isEmpty() || item.isEmpty()) return true;
    QLabel* label = lblSteps[kWriteBackStep - 1];
    MarkStep(kWriteBackStep, true);
    label->setText("Writing back to Notes");
    QByteArray itemText = item.toUtf8(), value = description.toUtf8();
    bool written = true;
    for (int r = 1; r <= rows; ++r) {
        bool isNumber = false;
        QString cell = grid.Cell(columns + 1, r);
        int noteId = cell.toInt(&isNumber);
        if (!isNumber) {
            ShowError("'" + cell + "' is not a valid integer value");
            written = false;
            break;
        }
        UpdateDocument(itemText.constData(), value.constData(), noteId);
        if (r % 29 == 0) {
            label->setText(QString("Writing back to Notes (%1 of %2)").arg(r).arg(rows));
            label->repaint();
        }
    }
    MarkStep(kWriteBackStep, false);
    label->setText("Writing back to Notes");
    return written;
}
