// "Add Records Where...": the search condition of "Search and Add", with keyword values offered from the
// data source's lookups.
#pragma once

#include "record_match.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmFilter : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFilter(QWidget* parent = nullptr);

    QComboBox* cbFields;
    QComboBox* cbOperator;
    QLineEdit* edValue;
    QComboBox* cbValue;
    QCheckBox* cbCaseSensitive;
    // Names the value box that is shown.
    QLabel* lblValue;
    QPushButton* btnOk;
    QPushButton* btnCancel;

    // The condition handed out after OK (the value as typed or chosen).
    SearchCondition Condition;

    void FieldChosen(int index);
    void OkClick();

protected:
    void showEvent(QShowEvent* event) override;
    // Escape and the window's close button end the form as "Cancel" does.
    void reject() override;

private:
    void UpdateOk();
};
