// Record retrieval: growth of the grid, stored values, the category walk, cancelling with its three
// answers, repeated retrieval by categories and the category form.
#include "app_fixture.h"

#include "forms.h"
#include "frm_category.h"
#include "frm_load_records.h"
#include "frm_main.h"
#include "program_state.h"
#include "string_grid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

using Retrieval = AppTest;

// Categories C0..C9 of two documents each.
fake::Source TenCategories() {
    fake::Source source{"Ten", "", {"Category", "Name"}, true, {}, {}, true};
    for (int c = 0; c < 10; ++c) {
        for (int d = 0; d < 2; ++d)
            source.rows.push_back({{"C" + std::to_string(c), "N"}, c * 10 + d + 1});
    }
    return source;
}

TEST_F(Retrieval, GrowsTheGridInStepsAndTrimsItAtTheEnd) {
    fake::Lib().sources = {Contacts(25)};
    std::vector<int> rowCounts;
    fake::Lib().onRowRead = [&](size_t) { rowCounts.push_back(frmMain->gridAll->RowCount()); };
    OpenSource("Contacts");
    EXPECT_EQ(rowCounts.front(), 2) << "before the first row is stored";
    EXPECT_EQ(rowCounts.back(), 1002);
    EXPECT_EQ(frmMain->gridAll->RowCount(), 26);
    EXPECT_EQ(frmMain->gridAll->Tag, 25);
    EXPECT_EQ(frmMain->lblRetrievedCount->text(), "25 retrieved");
    EXPECT_EQ(frmMain->StatusPanel1->text(), "All records retrieved.");
    EXPECT_FALSE(frmMain->mnuRetrieve->isEnabled());
    EXPECT_TRUE(frmMain->btnMerge->isEnabled());
}

TEST_F(Retrieval, LineFeedsBecomeSpacesExceptInColumnOne) {
    fake::Source source = Contacts(1);
    source.rows[0].values = {"a\nb", "c\rd", "e\nf"};
    fake::Lib().sources = {source};
    OpenSource("Contacts");
    EXPECT_EQ(frmMain->gridAll->Cell(1, 1), "a\nb");
    EXPECT_EQ(frmMain->gridAll->Cell(2, 1), "c\rd");
    EXPECT_EQ(frmMain->gridAll->Cell(3, 1), "e f");
}

TEST_F(Retrieval, EmptyViewLeavesTheGridEmpty) {
    fake::Lib().sources = {Contacts(0)};
    OpenSource("Contacts");
    EXPECT_EQ(frmMain->gridAll->RowCount(), 2);
    EXPECT_EQ(frmMain->gridAll->Tag, 0);
    EXPECT_EQ(frmMain->StatusPanel1->text(), "All records retrieved.");
}

TEST_F(Retrieval, OnlyTheSecondOfThreeCategories) {
    fake::Lib().sources = {Regions()};
    ChooseCategories({1});
    OpenSource("Regions");
    EXPECT_EQ(frmMain->gridAll->Tag, 1);
    EXPECT_EQ(frmMain->gridAll->Cell(2, 1), "Cy");
    EXPECT_EQ(fake::Lib().calls["GotoNextCategory"], 1) << "category A is jumped over";
    EXPECT_EQ(fake::Lib().calls["GotoNext"], 1) << "the walk ends at the first row of C";
    EXPECT_EQ(frmLoadRecords->VisitedCount, 3);
    EXPECT_EQ(frmMain->StatusPanel1->text(), "Records retrieved for 1 of 3 categories.");
    EXPECT_EQ(State().RetrievedCategories, QStringList{"B"});
}

TEST_F(Retrieval, NotCategorisedMatchesEmptyColumnZero) {
    fake::Source source = Regions();
    source.rows.insert(source.rows.begin(), {{"", "Zed", "Wells"}, 10});
    fake::Lib().sources = {source};
    ChooseCategories({0});
    OpenSource("Regions");
    EXPECT_EQ(frmMain->gridAll->Tag, 1);
    EXPECT_EQ(frmMain->gridAll->Cell(2, 1), "Zed");
}

TEST_F(Retrieval, CancelThenCancelGoesOnAndNoEmptiesEverything) {
    fake::Lib().sources = {Contacts(5)};
    OpenSource("Contacts");
    ASSERT_EQ(frmMain->gridAll->Tag, 5);

    fake::Lib().onRowRead = [](size_t row) {
        if (row == 1) frmLoadRecords->btnCancel->click();
    };
    Answer({os::IDCANCEL});
    frmMain->RetrieveRecords();
    EXPECT_EQ(frmMain->gridAll->Tag, 10) << "Cancel to the question goes on";
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Do you want to keep the records retrieved so far?"});

    Answer({os::IDNO});
    frmMain->RetrieveRecords();
    EXPECT_EQ(frmMain->gridAll->Tag, 0);
    EXPECT_EQ(frmMain->gridAll->RowCount(), 2);
    EXPECT_EQ(frmMain->StatusPanel1->text(), "Record retrieval stopped by user.");
    EXPECT_FALSE(frmMain->btnMerge->isEnabled());
    EXPECT_EQ(frmMain->lblRetrievedCount->text(), "");
}

TEST_F(Retrieval, YesKeepsWhatWasReadAndTheNextRetrievalAsksToDiscardIt) {
    fake::Lib().sources = {Contacts(5)};
    fake::Lib().onRowRead = [](size_t row) {
        if (row == 1) frmLoadRecords->btnCancel->click();
    };
    Answer({os::IDYES});
    OpenSource("Contacts");
    EXPECT_EQ(frmMain->gridAll->Tag, 2);
    EXPECT_TRUE(State().RetrievalInterrupted);
    EXPECT_TRUE(frmMain->mnuRetrieve->isEnabled());

    fake::Lib().onRowRead = nullptr;
    Answer({os::IDNO});
    frmMain->mnuRetrieve->trigger();
    EXPECT_EQ(BoxTexts().back(),
              "Record retrieval previously interrupted.  All existing records retrieved will be "
              "discarded.  Continue?");
    EXPECT_EQ(frmMain->gridAll->Tag, 2);
    frmMain->mnuRetrieve->trigger();
    EXPECT_EQ(frmMain->gridAll->Tag, 5);
    EXPECT_EQ(frmMain->StatusPanel1->text(), "All records retrieved.");
}

TEST_F(Retrieval, ThreeOfTenCategoriesThenTheOtherSeven) {
    fake::Lib().sources = {TenCategories()};
    ChooseCategories({2, 5, 7});
    OpenSource("Ten");
    EXPECT_EQ(frmMain->StatusPanel1->text(), "Records retrieved for 3 of 10 categories.");
    EXPECT_EQ(frmMain->gridAll->Tag, 6);

    On<TfrmCategory>([](TfrmCategory& form) {
        EXPECT_EQ(form.lbCategories->count(), 7);
        EXPECT_EQ(form.lbCategories->item(2)->text(), "C3");
        EXPECT_TRUE(form.rbSelectedCategories->isChecked());
        EXPECT_FALSE(form.rbAllCategories->isEnabled());
        EXPECT_FALSE(form.chkIgnoreDuplicates->isEnabled());
        form.lbCategories->selectAll();
        form.btnOk->click();
        return form.result();
    });
    frmMain->RetrieveRecords();
    EXPECT_EQ(frmMain->gridAll->Tag, 20);
    EXPECT_EQ(frmMain->StatusPanel1->text(), "All records retrieved.");
    EXPECT_FALSE(frmMain->mnuRetrieve->isEnabled());
}

TEST_F(Retrieval, CategoryFormWantsASelectionAndCancelStopsEverything) {
    fake::Lib().sources = {Regions()};
    On<TfrmCategory>([](TfrmCategory& form) {
        EXPECT_TRUE(form.rbAllCategories->isChecked());
        form.rbSelectedCategories->setChecked(true);
        form.btnOk->click();
        EXPECT_TRUE(form.isVisible()) << "nothing chosen keeps the form open";
        form.btnCancel->click();
        return form.result();
    });
    OpenSource("Regions");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Please select one or more categories?"});
    EXPECT_EQ(Shown<TfrmLoadRecords>(), 0);
    EXPECT_FALSE(frmMain->btnMerge->isEnabled());
    EXPECT_FALSE(frmMain->btnSelectAll->isEnabled());
}

TEST_F(Retrieval, ClearingTheListFallsBackToAllOnlyWhileAllIsAChoice) {
    fake::Lib().sources = {Regions()};
    ChooseCategories({0});
    OpenSource("Regions");
    On<TfrmCategory>([](TfrmCategory& form) {
        form.lbCategories->item(0)->setSelected(true);
        form.lbCategories->clearSelection();
        EXPECT_TRUE(form.rbSelectedCategories->isChecked());
        form.btnCancel->click();
        return form.result();
    });
    frmMain->RetrieveRecords();
}

// Escape and the title bar's close button end the category form as its Cancel does: nothing to select or
// merge, no counts.
TEST_F(Retrieval, ClosingTheCategoryFormAnyWayTakesTheCancelRoad) {
    fake::Lib().sources = {Regions()};
    for (bool escape : {true, false}) {
        ChooseCategories({});
        OpenSource("Regions");
        frmMain->AddAllClick();
        ASSERT_EQ(frmMain->lblSelectedCount->text(), "5 selected");
        On<TfrmCategory>([escape](TfrmCategory& form) {
            if (escape) {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(&form, &key);
            } else {
                form.close();
            }
            EXPECT_FALSE(form.isVisible());
            return form.result();
        });
        frmMain->OpenClick();
        EXPECT_EQ(frmCategory->result(), mrCancel) << (escape ? "Escape" : "close");
        EXPECT_FALSE(frmMain->btnSelectAll->isEnabled()) << (escape ? "Escape" : "close");
        EXPECT_FALSE(frmMain->btnMerge->isEnabled()) << (escape ? "Escape" : "close");
        EXPECT_EQ(frmMain->lblRetrievedCount->text().toStdString(), "");
        EXPECT_EQ(frmMain->lblSelectedCount->text().toStdString(), "");
        EXPECT_EQ(frmMain->gridAll->Tag, 0);
    }
}

// The counts belong to the grids: opening another source empties both, and the counts go with them.
TEST_F(Retrieval, OpeningClearsTheCountsWithTheGrids) {
    fake::Lib().sources = {Contacts(3), Regions()};
    OpenSource("Contacts");
    frmMain->AddAllClick();
    ASSERT_EQ(frmMain->lblRetrievedCount->text(), "3 retrieved");
    std::vector<std::string> seen;
    auto counts = [&seen] {
        seen.push_back(
            (frmMain->lblRetrievedCount->text() + "/" + frmMain->lblSelectedCount->text()).toStdString());
    };
    On<TfrmCategory>([&counts](TfrmCategory& form) {
        counts();
        form.btnOk->click();
        return form.result();
    });
    fake::Lib().onRowRead = [&counts](size_t row) {
        if (row == 0) counts();
    };
    OpenSource("Regions");
    EXPECT_EQ(seen, (std::vector<std::string>{"/", "/"}));
    EXPECT_EQ(frmMain->lblRetrievedCount->text(), "5 retrieved");
}

TEST_F(Retrieval, ElapsedTimeText) {
    EXPECT_EQ(ElapsedText(125), "Elapsed time 0:02:05");
    EXPECT_EQ(ElapsedText(3 * 3600 + 7), "Elapsed time 3:00:07");
}

} // namespace
