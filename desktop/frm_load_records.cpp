#include "frm_load_records.h"

#include "forms.h"
#include "frm_main.h"
#include "grid_routines.h"
#include "library_text.h"
#include "messages.h"
#include "modal.h"
#include "os/os.h"
#include "program_state.h"
#include "qvllib/qvllib.h"
#include "string_grid.h"

#include <QDateTime>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr double kSecondsPerDay = 86400.0;

double Now() {
    return QDateTime::currentMSecsSinceEpoch() / 1000.0 / kSecondsPerDay;
}

QString ColumnValue(int column) {
    return ReadWholeLibraryText([column](char* buf, int size) { GetData(column, buf, size); });
}

} // namespace

QString ElapsedText(long long seconds) {
    return QString("Elapsed time %1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

TfrmLoadRecords::TfrmLoadRecords(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Please Wait");
    setFixedSize(260, 130);
    lblLoaded = new QLabel;
    lblElapsed = new QLabel;
    lblLoaded->setAlignment(Qt::AlignCenter);
    lblElapsed->setAlignment(Qt::AlignCenter);
    btnCancel = new QPushButton("Cancel");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Loading Records from view..."));
    layout->addWidget(lblLoaded);
    layout->addWidget(lblElapsed);
    layout->addWidget(btnCancel, 0, Qt::AlignCenter);
    Timer1 = new QTimer(this);
    Timer1->setInterval(250);
    Timer2 = new QTimer(this);
    Timer2->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TfrmLoadRecords::Timer1Tick);
    connect(Timer2, &QTimer::timeout, this, &TfrmLoadRecords::Timer2Tick);
    connect(btnCancel, &QPushButton::clicked, this, [this] { CancelRequested = true; });
}

void TfrmLoadRecords::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverForm(this, frmMain);
    StartTime = 0;
    lblLoaded->clear();
    lblElapsed->clear();
    // A cancel asked for before the first record is read counts as one asked for during the walk.
    CancelRequested = false;
    Timer1->start();
}

void TfrmLoadRecords::hideEvent(QHideEvent* event) {
    Timer1->stop();
    Timer2->stop();
    QDialog::hideEvent(event);
}

// Escape and the window's close button ask to stop, as "Cancel" does, instead of hiding a running loop.
void TfrmLoadRecords::reject() {
    CancelRequested = true;
}

void TfrmLoadRecords::Timer1Tick() {
    Timer1->stop();
    RetrieveLoop();
}

void TfrmLoadRecords::Timer2Tick() {
    if (StartTime == 0) return;
    auto seconds = static_cast<long long>((Now() - StartTime) * kSecondsPerDay);
    lblElapsed->setText(ElapsedText(seconds));
    lblLoaded->setText("Records Loaded: " + QString::number(LoadedCount));
}

void TfrmLoadRecords::RetrieveLoop() {
    repaint();
    StartTime = Now();
    Timer2->start();
    bool more = GotoFirst() != 0;
    LoadedCount = 0;
    VisitedCount = 0;
    const int T0 = Grid->Tag;
    const int N = State().ColumnCount;
    bool keep = true;
    StoppedByUser = false;
    int idx = 0;
    bool inChosen = false;
    bool skipCategory = false;

    if (!AllCategories) {
        for (QString& category : ChosenCategories) {
            if (category == kNotCategorised) category.clear();
        }
    }
    while (more) {
        ++VisitedCount;
        if (Grid->RowCount() - T0 - LoadedCount < 20) Grid->SetRowCount(Grid->RowCount() + 1000);
        QString cat = ColumnValue(0);
        bool store = false;
        if (AllCategories) {
            store = true;
            skipCategory = false;
        } else if (idx < ChosenCategories.size() && cat == ChosenCategories[idx]) {
            store = true;
            skipCategory = false;
            inChosen = true;
        } else if (idx == ChosenCategories.size() - 1 && inChosen) {
            break;
        } else {
            qsizetype found = ChosenCategories.indexOf(cat, idx);
            if (found >= 0) {
                idx = static_cast<int>(found);
                store = true;
                skipCategory = false;
                inChosen = true;
            } else {
                skipCategory = true;
                inChosen = false;
            }
        }
        if (store) {
            int r = T0 + LoadedCount + 1;
            Grid->SetCell(1, r, cat);
            for (int k = 2; k <= N; ++k)
                Grid->SetCell(k, r, ColumnValue(k - 1).replace(QChar(10), QChar(' ')));
            Grid->SetCell(N + 1, r, QString::number(GetNoteID()));
            ++LoadedCount;
        }
        ProcessMessages();
        if (CancelRequested) {
            int answer = ConfirmYesNoCancel("Do you want to keep the records retrieved so far?");
            if (answer == os::IDCANCEL) {
                CancelRequested = false;
            } else {
                StoppedByUser = true;
                keep = answer == os::IDYES;
                break;
            }
        }
        more = (skipCategory ? GotoNextCategory() : GotoNext()) != 0;
    }
    if (keep) {
        int n = T0 + LoadedCount;
        Grid->SetRowCount(n == 0 ? 2 : n + 1);
        Grid->Tag = n;
    } else {
        ClearGrid(*Grid);
    }
    frmMain->btnSelectAll->setEnabled(keep);
    frmMain->btnMerge->setEnabled(keep);
    done(mrCancel);
}
