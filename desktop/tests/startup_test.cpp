// Start-up: the forms and their order, the main window's first state, the splash form's first close that
// opens a data source, the about command and closing the program.
#include "app_fixture.h"

#include "forms.h"
#include "frm_filter.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "frm_open.h"
#include "frm_splash.h"
#include "string_grid.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

namespace {

using Startup = AppTest;

TEST_F(Startup, CreatesThirteenFormsMainFirstAndShowsTheSplash) {
    std::vector<std::string> captions;
    for (QWidget* form : FormsInCreationOrder())
        captions.push_back(form->windowTitle().toStdString());
    EXPECT_EQ(captions, (std::vector<std::string>{
                            "Quorvel", "Add Records Where...", "Merge to Word", "Create/Edit Data Source",
                            "Open Data Source", "Please Wait", "About", "Mail Merge Progress", "Please Wait",
                            "Category Selection", "", "Please Wait", "Exit Quorvel ?"}));
    EXPECT_EQ(FormsInCreationOrder().front(), frmMain);
    EXPECT_TRUE(frmSplash->isVisible());
    EXPECT_EQ(fake::Lib().calls["LibOpen"], 0) << "nothing opens before the splash closes";
}

// Qt adds the application display name, once one is set, to every caption it hands the window system, where
// the short captions of the dialogs and boxes are then cut.
TEST_F(Startup, CaptionsGetNoApplicationNameAppended) {
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName("probe");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "probe") << "a display name of its own is set";
    QCoreApplication::setApplicationName(name);
    EXPECT_EQ(name, "Quorvel");
}

TEST_F(Startup, MainWindowStartsWithoutDataSource) {
    EXPECT_EQ(frmMain->StatusPanel0->text(), "Data Source: None");
    for (QAction* item : {frmMain->mnuRetrieve, frmMain->mnuAddHighlighted, frmMain->mnuAddAll,
                          frmMain->mnuSearchAdd, frmMain->mnuClearAll, frmMain->mnuClearHighlighted,
                          frmMain->mnuMerge, frmMain->mnuCreateTemplate}) {
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    }
    EXPECT_TRUE(frmMain->mnuOpen->isEnabled());
    EXPECT_FALSE(frmMain->btnMerge->isEnabled());
    EXPECT_FALSE(frmMain->btnSelectAll->isEnabled());
    EXPECT_EQ(frmMain->gridAll->RowCount(), 2);
    EXPECT_EQ(frmMain->gridAll->Tag, 0);
    EXPECT_EQ(frmMain->lblRetrievedCount->text(), "");
}

// Status panel 0 is as wide as the source's name needs, however long.
TEST_F(Startup, TheStatusBarShowsTheWholeSourceName) {
    fake::Source source = Contacts(1);
    source.name = "Suppliers (no history item) of the northern region";
    fake::Lib().sources = {source};
    OpenSource(source.name);
    QLabel* panel = frmMain->StatusPanel0;
    ASSERT_EQ(panel->text().toStdString(), "Data Source: " + source.name);
    QApplication::processEvents();
    EXPECT_GE(panel->width(), panel->fontMetrics().horizontalAdvance(panel->text()));
}

TEST_F(Startup, SplashFirstCloseOpensADataSourceAndRetrieves) {
    fake::Lib().sources = {Contacts(3)};
    frmSplash->Timer1Tick();
    EXPECT_FALSE(frmSplash->isVisible());
    EXPECT_EQ(fake::Lib().calls["LibOpen"], 1);
    EXPECT_EQ(Shown<TfrmOpen>(), 1);
    EXPECT_EQ(frmMain->StatusPanel0->text(), "Data Source: Contacts");
    EXPECT_EQ(frmMain->gridAll->Tag, 3);
    EXPECT_EQ(frmMain->StatusPanel1->text(), "All records retrieved.");

    // The about command shows the splash again; its close opens nothing more.
    On<TfrmSplash>([](TfrmSplash& form) {
        EXPECT_FALSE(form.Timer1->isActive());
        form.close();
        return form.result();
    });
    frmMain->mnuAbout->trigger();
    EXPECT_EQ(Shown<TfrmSplash>(), 1);
    EXPECT_EQ(Shown<TfrmOpen>(), 1);
    EXPECT_EQ(fake::Lib().calls["LibOpen"], 1);
}

TEST_F(Startup, ClickingTheSplashOpensAtOnceAndStopsItsTimer) {
    frmSplash->Timer1->start();
    QMouseEvent click(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(frmSplash->imgSplash, &click);
    EXPECT_EQ(Shown<TfrmOpen>(), 1);
    EXPECT_FALSE(frmSplash->Timer1->isActive());
    frmSplash->Timer1Tick();
    EXPECT_EQ(Shown<TfrmOpen>(), 1);
}

TEST_F(Startup, LibraryStartsOnceAndAgainAfterAFailure) {
    fake::Lib().sources = {Contacts(1)};
    fake::Lib().libOpenSucceeds = false;
    frmMain->OpenAndLoadCategories();
    EXPECT_EQ(Shown<TfrmOpen>(), 0);
    EXPECT_FALSE(frmMain->mnuRetrieve->isEnabled());
    fake::Lib().libOpenSucceeds = true;
    frmMain->OpenAndLoadCategories();
    frmMain->OpenAndLoadCategories();
    EXPECT_EQ(fake::Lib().calls["LibOpen"], 2);
    EXPECT_EQ(Shown<TfrmOpen>(), 2);
}

// Escape ends the dialogs as their "Cancel" does.
TEST_F(Startup, EscapeEndsEachDialogWithCancel) {
    std::vector<int> results;
    auto escape = [&results](QDialog& form) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&form, &key);
        results.push_back(form.result());
        return form.result();
    };
    fake::Lib().sources = {Contacts(2)};
    On<TfrmOpen>(escape);
    frmMain->OpenAndLoadCategories();
    EXPECT_EQ(frmMain->StatusPanel0->text().toStdString(), "Data Source: None");
    OpenSource("Contacts");
    frmMain->AddAllClick();
    On<TfrmFilter>(escape);
    frmMain->SearchAddClick();
    On<TfrmMerge>(escape);
    frmMain->MergeClick();
    EXPECT_EQ(results, (std::vector<int>{mrCancel, mrCancel, mrCancel}));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Add all retrieved records?"});
}

TEST_F(Startup, ExitAsksAndClosesTheLibraryOnlyOnYes) {
    Answer({os::IDNO});
    EXPECT_FALSE(frmMain->close());
    EXPECT_TRUE(frmMain->isVisible());
    EXPECT_EQ(fake::Lib().calls["LibClose"], 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Exit Quorvel?"});
    frmMain->mnuExit->trigger();
    EXPECT_FALSE(frmMain->isVisible());
    EXPECT_EQ(fake::Lib().calls["LibClose"], 1);
}

} // namespace
