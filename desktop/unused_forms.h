// Forms that are created at start but that no command shows: they exist at run time and nothing more.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
    QLabel* lblName;

protected:
    void showEvent(QShowEvent* event) override;
};

class TfrmExit : public QDialog {
    Q_OBJECT
public:
    explicit TfrmExit(QWidget* parent = nullptr);
};

class TfrmSortRecord : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSortRecord(QWidget* parent = nullptr);
    QPushButton* btnCancel;
    QTimer* Timer1;
    void Timer1Tick();
};

class TfrmDataSource : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDataSource(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};
