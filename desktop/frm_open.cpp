#include "frm_open.h"

#include "dialog_buttons.h"
#include "forms.h"
#include "frm_main.h"
#include "frm_wait.h"
#include "grid_routines.h"
#include "library_text.h"
#include "modal.h"
#include "program_state.h"
#include "qvllib/qvllib.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfrmOpen::TfrmOpen(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Open Data Source");
    resize(300, 260);
    lblSelect = new QLabel("Select Data Source:");
    lbDataSources = new QListWidget;
    DialogButtons buttons = MakeDialogButtons("Open");
    btnOpen = buttons.ok;
    btnCancel = buttons.cancel;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSelect);
    layout->addWidget(lbDataSources);
    layout->addLayout(buttons.row);

    connect(lbDataSources, &QListWidget::itemSelectionChanged, this, &TfrmOpen::UpdateOpenButton);
    connect(btnOpen, &QPushButton::clicked, this, &TfrmOpen::OpenClick);
    connect(lbDataSources, &QListWidget::itemDoubleClicked, this, &TfrmOpen::OpenClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmOpen::reject);
}

void TfrmOpen::reject() {
    done(mrCancel);
}

void TfrmOpen::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverForm(this, frmMain);
    lbDataSources->clear();
    int count = DSGetCount();
    for (int i = 0; i < count; ++i) {
        lbDataSources->addItem(ReadWholeLibraryText([i](char* buf, int size) { DSGetName(i, buf, size); }));
    }
    UpdateOpenButton();
}

void TfrmOpen::UpdateOpenButton() {
    btnOpen->setEnabled(!lbDataSources->selectedItems().isEmpty());
}

void TfrmOpen::OpenClick() {
    QList<QListWidgetItem*> selected = lbDataSources->selectedItems();
    if (selected.isEmpty()) return;
    State().SelectedSourceName = selected.front()->text();
    done(mrOk);
    frmWait->ShowWaitMessage("Connecting to Notes Database");
}
