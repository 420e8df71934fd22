// The non-modal "Please Wait" form that tells the user what the program is busy with.
#pragma once

#include <QDialog>

class QLabel;

class TfrmWait : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWait(QWidget* parent = nullptr);

    QLabel* lblMessage;

    // Shows text without making the form modal and paints it at once.
    void ShowWaitMessage(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
};
