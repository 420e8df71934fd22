// "Open Data Source": the list of the library's data sources, from which the user picks one.
#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

class TfrmOpen : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOpen(QWidget* parent = nullptr);

    QLabel* lblSelect;
    QListWidget* lbDataSources;
    QPushButton* btnOpen;
    QPushButton* btnCancel;

    void OpenClick();

protected:
    void showEvent(QShowEvent* event) override;
    // Escape and the window's close button end the form as "Cancel" does.
    void reject() override;

private:
    void UpdateOpenButton();
};
