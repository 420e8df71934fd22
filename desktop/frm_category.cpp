#include "frm_category.h"

#include "category_item_delegate.h"
#include "category_text.h"
#include "dialog_buttons.h"
#include "forms.h"
#include "frm_main.h"
#include "grid_routines.h"
#include "messages.h"
#include "modal.h"
#include "string_grid.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TfrmCategory::TfrmCategory(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Category Selection");
    resize(320, 340);
    auto* group = new QGroupBox("&Categories");
    rbAllCategories = new QRadioButton("&All Categories");
    rbSelectedCategories = new QRadioButton("&Selected categories");
    rbAllCategories->setChecked(true);
    lbCategories = new QListWidget;
    lbCategories->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbCategories->setItemDelegate(new CategoryItemDelegate(lbCategories));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(rbAllCategories);
    groupLayout->addWidget(rbSelectedCategories);
    groupLayout->addWidget(lbCategories);
    chkIgnoreDuplicates = new QCheckBox("&Ignore duplicate documents");
    DialogButtons buttons = MakeDialogButtons("OK");
    btnOk = buttons.ok;
    btnCancel = buttons.cancel;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(chkIgnoreDuplicates);
    layout->addLayout(buttons.row);

    connect(lbCategories, &QListWidget::itemSelectionChanged, this, &TfrmCategory::ListClicked);
    connect(btnOk, &QPushButton::clicked, this, &TfrmCategory::OkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmCategory::CancelClick);
}

void TfrmCategory::reject() {
    CancelClick();
}

void TfrmCategory::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverForm(this, frmMain);
    chkIgnoreDuplicates->setChecked(IgnoreDuplicates);
    lbCategories->clear();
    bool nothingRetrieved = RetrievedCategories.isEmpty();
    for (const QString& category : OfferedCategories) {
        if (nothingRetrieved || !RetrievedCategories.contains(category))
            AddCategoryItem(*lbCategories, category);
    }
    if (nothingRetrieved) {
        rbAllCategories->setChecked(true);
    } else {
        rbSelectedCategories->setChecked(true);
    }
    rbAllCategories->setEnabled(nothingRetrieved);
    chkIgnoreDuplicates->setEnabled(nothingRetrieved);
}

// With categories already retrieved, "all" is no longer a choice: falling back to it would read the
// retrieved categories a second time into the grid.
void TfrmCategory::ListClicked() {
    if (lbCategories->selectedItems().isEmpty() && rbAllCategories->isEnabled()) {
        rbAllCategories->setChecked(true);
    } else {
        rbSelectedCategories->setChecked(true);
    }
}

void TfrmCategory::OkClick() {
    if (rbAllCategories->isChecked()) {
        AllChosen = true;
        ChosenCategories.clear();
    } else {
        QStringList chosen;
        for (int i = 0; i < lbCategories->count(); ++i) {
            if (lbCategories->item(i)->isSelected())
                chosen << lbCategories->item(i)->data(Qt::UserRole).toString();
        }
        if (chosen.isEmpty()) {
            Inform("Please select one or more categories?");
            return;
        }
        AllChosen = false;
        ChosenCategories = chosen;
    }
    IgnoreDuplicates = chkIgnoreDuplicates->isChecked();
    done(mrOk);
}

// Nothing is retrieved: the buttons and counts follow the records the grids still hold, none after an open.
void TfrmCategory::CancelClick() {
    const bool records = frmMain->gridAll->Tag > 0;
    frmMain->btnSelectAll->setEnabled(records);
    frmMain->btnMerge->setEnabled(records);
    frmMain->UpdateCountLabels();
    done(mrCancel);
}
