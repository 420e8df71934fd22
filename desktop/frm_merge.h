// "Merge to Word": the template, the output file and the description recorded in the merged documents.
#pragma once

#include "file_dialog.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TfrmMerge : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMerge(QWidget* parent = nullptr);

    QLineEdit* edTemplate;
    QLineEdit* edOutput;
    QLineEdit* edName;
    QLabel* lblName;
    QPushButton* btnBrowseTemplate;
    QPushButton* btnBrowseOutput;
    QPushButton* btnRun;
    QPushButton* btnCancel;
    FileDialog OpenDialog1;
    FileDialog SaveDialog1;

    // The open data source's merge-history item; empty when it has none.
    QString MergeHistField;

    // The files as Word is given them.
    QString TemplatePath() const;
    QString OutputPath() const;

    void BrowseTemplateClick();
    void BrowseOutputClick();
    void RunClick();

protected:
    void showEvent(QShowEvent* event) override;
    // Escape and the window's close button end the form as "Cancel" does.
    void reject() override;

private:
    void UpdateRunButton();

    // The output file the save dialog of this showing has already asked to replace.
    QString replaceConfirmed_;
};
