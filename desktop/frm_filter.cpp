#include "frm_filter.h"

#include "dialog_buttons.h"
#include "forms.h"
#include "frm_main.h"
#include "grid_routines.h"
#include "library_text.h"
#include "modal.h"
#include "program_state.h"
#include "qvllib/qvllib.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TfrmFilter::TfrmFilter(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Add Records Where...");
    cbFields = new QComboBox;
    cbOperator = new QComboBox;
    cbOperator->addItems({"is equal to", "is not equal to", "starts with", "does not start with", "contains",
                          "does not contain"});
    edValue = new QLineEdit;
    cbValue = new QComboBox;
    cbValue->hide();
    cbFields->setMinimumWidth(150);
    cbOperator->setMinimumWidth(150);
    edValue->setMinimumWidth(170);
    cbValue->setMinimumWidth(170);
    cbCaseSensitive = new QCheckBox("Do a &case sensitive search");
    DialogButtons buttons = MakeDialogButtons("OK");
    btnOk = buttons.ok;
    btnCancel = buttons.cancel;
    auto* lblFields = new QLabel("&Field:");
    lblFields->setBuddy(cbFields);
    auto* lblOperator = new QLabel("C&ondition:");
    lblOperator->setBuddy(cbOperator);
    lblValue = new QLabel("&Value:");
    lblValue->setBuddy(edValue);
    auto* layout = new QGridLayout(this);
    layout->addWidget(lblFields, 0, 0);
    layout->addWidget(lblOperator, 0, 1);
    layout->addWidget(lblValue, 0, 2);
    layout->addWidget(cbFields, 1, 0);
    layout->addWidget(cbOperator, 1, 1);
    layout->addWidget(edValue, 1, 2);
    layout->addWidget(cbValue, 1, 2);
    layout->addWidget(cbCaseSensitive, 2, 0, 1, 3);
    layout->addLayout(buttons.row, 3, 0, 1, 3);

    SelectAllOnEnter(*edValue);
    connect(cbFields, &QComboBox::activated, this, &TfrmFilter::FieldChosen);
    connect(cbOperator, &QComboBox::currentIndexChanged, this, &TfrmFilter::UpdateOk);
    connect(cbValue, &QComboBox::currentIndexChanged, this, &TfrmFilter::UpdateOk);
    connect(edValue, &QLineEdit::textChanged, this, &TfrmFilter::UpdateOk);
    connect(btnOk, &QPushButton::clicked, this, &TfrmFilter::OkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmFilter::reject);
}

void TfrmFilter::reject() {
    done(mrCancel);
}

void TfrmFilter::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverForm(this, frmMain);
    cbFields->clear();
    cbFields->addItem("Any Field");
    for (int i = 0; i < State().ColumnCount; ++i) {
        cbFields->addItem(ReadWholeLibraryText([i](char* buf, int size) { GetHeader(i, buf, size); }));
    }
    cbFields->setCurrentIndex(-1);
    cbOperator->setCurrentIndex(-1);
    // No field is chosen yet, so there is no value either: the keyword values of the last field would be
    // taken for this one.
    edValue->clear();
    cbValue->clear();
    UpdateOk();
}

void TfrmFilter::FieldChosen(int index) {
    QStringList values;
    if (frmMain->LoadKeywordValues(index, values)) {
        cbValue->clear();
        cbValue->addItems(values);
        cbValue->setCurrentIndex(-1);
        edValue->hide();
        cbValue->show();
        lblValue->setBuddy(cbValue);
    } else {
        cbValue->hide();
        edValue->show();
        lblValue->setBuddy(edValue);
    }
    UpdateOk();
}

void TfrmFilter::UpdateOk() {
    bool valueGiven = cbValue->isHidden() ? !edValue->text().isEmpty() : cbValue->currentIndex() >= 0;
    btnOk->setEnabled(cbFields->currentIndex() >= 0 && cbOperator->currentIndex() >= 0 && valueGiven);
}

void TfrmFilter::OkClick() {
    int op = cbOperator->currentIndex();
    Condition.FieldIndex = cbFields->currentIndex();
    Condition.MatchKind = op / 2;
    Condition.MatchPositive = op % 2 == 0;
    Condition.MatchValue = cbValue->isHidden() ? edValue->text() : cbValue->currentText();
    Condition.CaseSensitive = cbCaseSensitive->isChecked();
    done(mrOk);
}
