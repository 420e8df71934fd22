#include "frm_main.h"

#include "category_item_delegate.h"
#include "forms.h"
#include "frm_splash.h"
#include "grid_routines.h"
#include "header_control.h"
#include "messages.h"
#include "os/os.h"
#include "program_state.h"
#include "qvllib/qvllib.h"
#include "string_grid.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

namespace {

// Columns the grids show before a data source is open.
constexpr int kDesignColumns = 5;

QAction* AddItem(QMenu* menu, const char* caption, const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(caption);
    action->setShortcut(shortcut);
    return action;
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : QMainWindow(parent),
      SaveDialog(FileDialog::Kind::Save, "doc", "Word Document File|*.doc|All Files|*.*") {
    setWindowTitle(kApplicationTitle);
    resize(760, 560);
    BuildMenu();
    setCentralWidget(BuildGrids());

    StatusPanel0 = new QLabel("Data Source: None");
    // At least its 200 pixels, and as wide as the source's name needs.
    StatusPanel0->setMinimumWidth(200);
    StatusPanel1 = new QLabel;
    StatusPanel1->setMinimumWidth(50);
    statusBar()->addWidget(StatusPanel0);
    statusBar()->addWidget(StatusPanel1, 1);

    SaveDialog.Title = "Save Mail Merge Template Document";
    SaveDialog.FileName = "wordmergetemplate.doc";
    PersonalFolder = QString::fromStdString(os::DocumentsFolder());
    SaveDialog.InitialDir = PersonalFolder;
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::BuildMenu() {
    QMenu* source = menuBar()->addMenu("&Source");
    mnuOpen = AddItem(source, "&Open...", Qt::CTRL | Qt::Key_O);
    mnuRetrieve = AddItem(source, "&Retrieve Records...", Qt::CTRL | Qt::Key_R);
    source->addSeparator();
    mnuExit = AddItem(source, "&Exit", Qt::CTRL | Qt::Key_X);
    QMenu* records = menuBar()->addMenu("&Records");
    mnuAddHighlighted = AddItem(records, "Add &Highlighted Records", Qt::Key_Insert);
    mnuAddAll = AddItem(records, "&Add All Records", Qt::CTRL | Qt::Key_A);
    mnuSearchAdd = AddItem(records, "&Search and Add...", Qt::CTRL | Qt::Key_S);
    records->addSeparator();
    mnuClearHighlighted = AddItem(records, "Clear H&ighlighted Records", Qt::Key_Delete);
    mnuClearAll = AddItem(records, "&Clear All Selected", Qt::CTRL | Qt::Key_C);
    QMenu* merge = menuBar()->addMenu("&Merge");
    mnuMerge = AddItem(merge, "Merge &Data ", Qt::CTRL | Qt::Key_D);
    mnuCreateTemplate = AddItem(merge, "Create Merge &Template", Qt::CTRL | Qt::Key_T);
    QMenu* help = menuBar()->addMenu("Help");
    mnuAbout = AddItem(help, "&About...");

    connect(mnuOpen, &QAction::triggered, this, &TfrmMain::OpenClick);
    connect(mnuRetrieve, &QAction::triggered, this, &TfrmMain::RetrieveClick);
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);
    connect(mnuAddHighlighted, &QAction::triggered, this, &TfrmMain::AddHighlightedClick);
    connect(mnuAddAll, &QAction::triggered, this, &TfrmMain::AddAllClick);
    connect(mnuSearchAdd, &QAction::triggered, this, &TfrmMain::SearchAddClick);
    connect(mnuClearHighlighted, &QAction::triggered, this, &TfrmMain::ClearHighlightedClick);
    connect(mnuClearAll, &QAction::triggered, this, &TfrmMain::ClearAllClick);
    connect(mnuMerge, &QAction::triggered, this, &TfrmMain::MergeClick);
    connect(mnuCreateTemplate, &QAction::triggered, this, &TfrmMain::CreateTemplateClick);
    connect(mnuAbout, &QAction::triggered, this, &TfrmMain::AboutClick);
}

QWidget* TfrmMain::BuildGrids() {
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setSpacing(2);

    auto* retrievedRow = new QHBoxLayout;
    retrievedRow->addWidget(new QLabel("Records from Data Source:"));
    lblRetrievedCount = new QLabel;
    retrievedRow->addWidget(lblRetrievedCount);
    retrievedRow->addStretch();
    lblGotoCategory = new QLabel("Goto Category:");
    cbCategories = new QComboBox;
    cbCategories->setMinimumWidth(200);
    cbCategories->setItemDelegate(new CategoryItemDelegate(cbCategories));
    lblGotoCategory->hide();
    cbCategories->hide();
    retrievedRow->addWidget(lblGotoCategory);
    retrievedRow->addWidget(cbCategories);
    layout->addLayout(retrievedRow);

    gridallheader = new HeaderControl;
    gridAll = new StringGrid;
    layout->addWidget(gridallheader);
    layout->addWidget(gridAll, 3);

    auto* selectedRow = new QHBoxLayout;
    selectedRow->addWidget(new QLabel("Records to Merge:"));
    lblSelectedCount = new QLabel;
    selectedRow->addWidget(lblSelectedCount);
    selectedRow->addStretch();
    btnSelectAll = new QPushButton("Select All");
    btnMerge = new QPushButton("Merge to Word");
    selectedRow->addWidget(btnSelectAll);
    selectedRow->addWidget(btnMerge);
    layout->addLayout(selectedRow);

    gridselHeader = new HeaderControl;
    gridSel = new StringGrid;
    layout->addWidget(gridselHeader);
    layout->addWidget(gridSel, 2);

    for (StringGrid* grid : {gridAll, gridSel}) {
        grid->SetColCount(kDesignColumns);
        grid->SetRowCount(2);
    }
    connect(gridAll, &QAbstractItemView::doubleClicked, this, &TfrmMain::AddHighlightedClick);
    connect(btnSelectAll, &QPushButton::clicked, this, &TfrmMain::AddAllClick);
    connect(btnMerge, &QPushButton::clicked, this, &TfrmMain::MergeClick);
    connect(cbCategories, &QComboBox::activated, this, &TfrmMain::CategoryChosen);
    connect(gridAll, &StringGrid::TopLeftChanged, this,
            [this] { SyncHeaderToGrid(*gridAll, *gridallheader); });
    connect(gridSel, &StringGrid::TopLeftChanged, this,
            [this] { SyncHeaderToGrid(*gridSel, *gridselHeader); });
    connect(gridallheader, &HeaderControl::SectionResizedByUser, this,
            [this] { SyncGridToHeader(*gridAll, *gridallheader); });
    connect(gridselHeader, &HeaderControl::SectionResizedByUser, this,
            [this] { SyncGridToHeader(*gridSel, *gridselHeader); });
    return central;
}

// The header shows only the sections of the columns from the grid's first visible one on, so that its
// titles stay above their columns when the grid scrolls sideways.
void TfrmMain::SyncHeaderToGrid(StringGrid& grid, HeaderControl& header) {
    int left = grid.LeftCol();
    for (int i = 1; i <= grid.ColCount() - 3; ++i) {
        header.SetSectionWidth(i - 1, i < left ? 0 : grid.ColWidth(i) + 2);
    }
    grid.viewport()->update();
}

void TfrmMain::SyncGridToHeader(StringGrid& grid, HeaderControl& header) {
    for (int a = grid.LeftCol(); a <= grid.ColCount() - 3; ++a) {
        grid.SetColWidth(a, header.SectionWidth(a - 1) - 2);
    }
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous()) return;
    CentreOnScreen(*this);
    State().LibraryOpened = false;
    EnableRecordCommands(false);
    ClearGrid(*gridSel);
    ClearGrid(*gridAll);
    UpdateCountLabels();
    FirstShow = true;
}

void TfrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TfrmMain::FormActivate() {
    DialogFoldersSet = false;
    if (FirstShow) {
        btnMerge->setEnabled(false);
        btnSelectAll->setEnabled(false);
        FirstShow = false;
    }
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    gridAll->viewport()->update();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!Confirm("Exit Quorvel?")) {
        event->ignore();
        return;
    }
    if (!libraryClosed_) {
        libraryClosed_ = true;
        LibClose();
    }
    event->accept();
}

void TfrmMain::EnableRecordCommands(bool enabled) {
    for (QAction* item : {mnuRetrieve, mnuAddHighlighted, mnuAddAll, mnuSearchAdd, mnuClearAll,
                          mnuClearHighlighted, mnuMerge, mnuCreateTemplate}) {
        item->setEnabled(enabled);
    }
}

void TfrmMain::SetStatusMessage(const QString& text) {
    StatusPanel1->setText(text);
}

void TfrmMain::UpdateCountLabels() {
    lblRetrievedCount->setText(gridAll->Tag < 1 ? QString() : QString::number(gridAll->Tag) + " retrieved");
    lblSelectedCount->setText(gridSel->Tag < 1 ? QString() : QString::number(gridSel->Tag) + " selected");
}

void TfrmMain::OpenClick() {
    if (gridSel->RowCount() >= 3 || gridAll->RowCount() >= 3) {
        if (!Confirm("All the displayed records will be cleared. Do you wish to continue ?")) return;
    }
    OpenAndLoadCategories();
}

void TfrmMain::AboutClick() {
    frmSplash->ShowAbout();
}
