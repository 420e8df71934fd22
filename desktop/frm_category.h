// "Category Selection": all categories or some of them for the next retrieval.
#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QListWidget;
class QPushButton;
class QRadioButton;

class TfrmCategory : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCategory(QWidget* parent = nullptr);

    QRadioButton* rbAllCategories;
    QRadioButton* rbSelectedCategories;
    QListWidget* lbCategories;
    QCheckBox* chkIgnoreDuplicates;
    QPushButton* btnOk;
    QPushButton* btnCancel;

    // Given before each showing.
    QStringList OfferedCategories;
    QStringList RetrievedCategories;
    // Given before showing, and the user's choice after OK.
    bool IgnoreDuplicates = false;
    // The choice: all categories, or these in list order.
    bool AllChosen = false;
    QStringList ChosenCategories;

    void OkClick();
    void CancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    // Escape and the window's close button end the form as "Cancel" does.
    void reject() override;

private:
    void ListClicked();
};
