// The main window: the menu, the retrieval grid gridAll above the selection grid gridSel, their header
// controls, the count labels, the categories combo and the status bar.
#pragma once

#include "file_dialog.h"
#include "word/word.h"

#include <QMainWindow>

#include <memory>

class HeaderControl;
class QAction;
class QComboBox;
class QLabel;
class QPushButton;
class StringGrid;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Menu items.
    QAction* mnuOpen;
    QAction* mnuRetrieve;
    QAction* mnuExit;
    QAction* mnuAddHighlighted;
    QAction* mnuAddAll;
    QAction* mnuSearchAdd;
    QAction* mnuClearHighlighted;
    QAction* mnuClearAll;
    QAction* mnuMerge;
    QAction* mnuCreateTemplate;
    QAction* mnuAbout;

    StringGrid* gridAll;
    StringGrid* gridSel;
    HeaderControl* gridallheader;
    HeaderControl* gridselHeader;
    QLabel* lblRetrievedCount;
    QLabel* lblSelectedCount;
    QLabel* lblGotoCategory;
    QComboBox* cbCategories;
    QPushButton* btnSelectAll;
    QPushButton* btnMerge;
    QLabel* StatusPanel0;
    QLabel* StatusPanel1;
    // The template save dialog.
    FileDialog SaveDialog;

    // The user's documents folder, read once at creation.
    QString PersonalFolder;
    // The merge form's dialogs point at PersonalFolder since the last activation.
    bool DialogFoldersSet = false;
    bool FirstShow = false;

    // Word as template creation reaches it.
    std::shared_ptr<word::AutomationObject> TemplateWord;
    bool TemplateWordAttached = false;

    void EnableRecordCommands(bool enabled);
    void SetStatusMessage(const QString& text);
    void UpdateCountLabels();

    // Opening a data source and its categories.
    void OpenAndLoadCategories();
    bool OpenDataSource();
    bool LoadCategories(QStringList& list);
    void LoadCategoryCombo();
    void CategoryChosen(int index);

    void RetrieveRecords();
    bool SaveSelectionToFile(const QString& fileName, bool allRows);
    int AddMatchingRecords(int fieldIndex, int matchKind, bool caseSensitive, QString matchValue,
                           bool matchPositive);
    bool LoadKeywordValues(int columnIndex, QStringList& list);

    // Menu and button handlers.
    void OpenClick();
    void RetrieveClick();
    void AddHighlightedClick();
    void AddAllClick();
    void SearchAddClick();
    void ClearHighlightedClick();
    void ClearAllClick();
    void MergeClick();
    void CreateTemplateClick();
    void AboutClick();

    // Runs what the window does at each activation.
    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildMenu();
    QWidget* BuildGrids();
    void SyncHeaderToGrid(StringGrid& grid, HeaderControl& header);
    void SyncGridToHeader(StringGrid& grid, HeaderControl& header);
    void ConnectTemplateWord();
    void ForgetPreviousSource();
    void ForgetOpenSource();

    bool libraryClosed_ = false;
};
