// "Please Wait" while records are read from the view into a grid: progress, elapsed time and cancel.
#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;
class QTimer;
class StringGrid;

class TfrmLoadRecords : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLoadRecords(QWidget* parent = nullptr);

    QLabel* lblLoaded;
    QLabel* lblElapsed;
    QPushButton* btnCancel;
    QTimer* Timer1;
    QTimer* Timer2;

    StringGrid* Grid = nullptr;
    bool AllCategories = true;
    QStringList ChosenCategories;
    // When the current retrieval started, in days; 0 = none.
    double StartTime = 0;
    int LoadedCount = 0;
    int VisitedCount = 0;
    bool CancelRequested = false;
    bool StoppedByUser = false;

    void Timer1Tick();
    void Timer2Tick();
    void RetrieveLoop();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void reject() override;
};

// "Elapsed time " and a duration in seconds as hours, two-digit minutes and two-digit seconds.
QString ElapsedText(long long seconds);
