// "Mail Merge Progress": runs one merge per showing, step by step, and lets the user cancel between steps.
#pragma once

#include "word/word.h"

#include <QDialog>

#include <array>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;
class StringGrid;

// Set when the merge attached to a Word that was already running, clear when it started Word itself.
extern bool MergeWordAttached;

class TfrmMergeProgress : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMergeProgress(QWidget* parent = nullptr);

    // "Starting Word" .. "Finished".
    std::array<QLabel*, 7> lblSteps;
    QPushButton* btnClose;
    QTimer* Timer1;

    std::shared_ptr<word::AutomationObject> WordObject;
    QString TempFileName;
    bool KeepRunning = false;

    void Timer1Tick();
    void CloseClick();
    bool StartWord();
    // False when the data file could not be written.
    bool SaveMergeData();
    void RunMerge(StringGrid& grid, int rows, int columns);

protected:
    void showEvent(QShowEvent* event) override;
    // A form closed before its first step (cancelled at once) must not start the merge afterwards.
    void hideEvent(QHideEvent* event) override;
    void reject() override;

private:
    void MarkStep(int step, bool marked);
    void Call(const std::string& method, const std::vector<word::Argument>& arguments = {});
    // Closes Word when this merge started it.
    void CloseStartedWord();
    // False when a row's note id is not a number; the rows before it were written back.
    bool WriteBack(StringGrid& grid, int rows, int columns);
};
