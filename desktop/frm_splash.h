// The splash form: shown at start, it hands over to the first data-source open when it first closes; the
// about command shows it again.
#pragma once

#include <QDialog>

class QLabel;
class QTimer;

class TfrmSplash : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget* parent = nullptr);

    QLabel* imgSplash;
    QTimer* Timer1;
    bool FirstClose = true;

    void Timer1Tick();
    // Shows the form modally until the picture is clicked.
    void ShowAbout();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
