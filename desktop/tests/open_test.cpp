// Opening a data source: the column table and both grid layouts, failures, the clearing question, the
// categories combo and its hidden segments.
#include "app_fixture.h"

#include "category_item_delegate.h"
#include "category_text.h"
#include "forms.h"
#include "frm_category.h"
#include "frm_main.h"
#include "frm_open.h"
#include "frm_wait.h"
#include "header_control.h"
#include "program_state.h"
#include "string_grid.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace {

using Open = AppTest;

TEST_F(Open, SpacesInTitlesStayInTheSelectionGridOnly) {
    fake::Lib().sources = {Contacts(2)};
    OpenSource("Contacts");
    EXPECT_EQ(frmMain->gridSel->Cell(1, 0), "Last Name");
    EXPECT_EQ(frmMain->gridAll->Cell(1, 0), "Last_Name");
    EXPECT_EQ(frmMain->gridallheader->SectionText(0), "Last_Name");
    EXPECT_EQ(frmMain->gridselHeader->SectionText(0), "Last_Name");
    EXPECT_EQ(State().ColumnTable[1].Name, "Last_Name");
    EXPECT_EQ(frmMain->gridAll->ColWidth(1), 15 * 9);
    EXPECT_EQ(frmMain->gridallheader->SectionWidth(0), 15 * 9 + 2);
    EXPECT_EQ(frmMain->gridAll->Cell(4, 1), "101") << "the note id sits after the data columns";
    EXPECT_TRUE(frmMain->mnuMerge->isEnabled());
}

TEST_F(Open, OneColumnGivesFourGridColumnsWithOneVisible) {
    fake::Source source = Contacts(1);
    source.headers = {"Name"};
    source.rows = {{{"Ann"}, 7}};
    fake::Lib().sources = {source};
    OpenSource("Contacts");
    for (StringGrid* grid : {frmMain->gridAll, frmMain->gridSel}) {
        EXPECT_EQ(grid->ColCount(), 4);
        EXPECT_EQ(grid->ColWidth(0), 0);
        EXPECT_GT(grid->ColWidth(1), 0);
        EXPECT_EQ(grid->ColWidth(2), 0);
        EXPECT_EQ(grid->ColWidth(3), 0);
        EXPECT_TRUE(grid->isRowHidden(0));
    }
}

TEST_F(Open, FailedOpenKeepsTheGridsAndDisablesTheCommands) {
    fake::Source broken = Contacts(1);
    broken.name = "Broken";
    broken.opens = false;
    fake::Lib().sources = {Contacts(2), broken};
    OpenSource("Contacts");
    Answer({os::IDYES});
    OpenSource("Broken");
    EXPECT_EQ(BoxTexts().back(), "The data source \"Broken\" could not be opened.");
    EXPECT_FALSE(frmMain->mnuMerge->isEnabled());
    EXPECT_EQ(frmMain->gridAll->Tag, 2);
    EXPECT_EQ(frmMain->StatusPanel0->text(), "Data Source: Contacts");
    EXPECT_FALSE(frmWait->isVisible());
}

TEST_F(Open, AsksBeforeClearingOnlyWhenAGridHoldsTwoRecords) {
    fake::Lib().sources = {Contacts(1)};
    OpenSource("Contacts");
    frmMain->OpenClick();
    EXPECT_TRUE(boxes_.empty()) << "one record in each grid: no question";
    EXPECT_EQ(Shown<TfrmOpen>(), 2);

    fake::Lib().sources = {Contacts(2)};
    OpenSource("Contacts");
    Answer({os::IDNO});
    frmMain->OpenClick();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                              "All the displayed records will be cleared. Do you wish to continue ?"});
    EXPECT_EQ(Shown<TfrmOpen>(), 3);
    EXPECT_EQ(frmMain->gridAll->Tag, 2);
}

TEST_F(Open, CancelInTheOpenFormLeavesThePreviousSource) {
    fake::Lib().sources = {Contacts(2)};
    OpenSource("Contacts");
    On<TfrmOpen>([](TfrmOpen& form) {
        form.btnCancel->click();
        return form.result();
    });
    frmMain->OpenAndLoadCategories();
    EXPECT_EQ(frmMain->gridAll->Tag, 2);
    EXPECT_EQ(frmMain->StatusPanel0->text(), "Data Source: Contacts");
    EXPECT_EQ(State().ColumnTable.size(), 4u);
}

TEST_F(Open, ANewOpenClearsTheLastRetrievalStatus) {
    fake::Lib().sources = {Contacts(2), Regions()};
    OpenSource("Contacts");
    EXPECT_EQ(frmMain->StatusPanel1->text(), "All records retrieved.");
    On<TfrmCategory>([](TfrmCategory& form) {
        form.btnCancel->click();
        return form.result();
    });
    OpenSource("Regions");
    EXPECT_EQ(frmMain->gridAll->Tag, 0);
    EXPECT_EQ(frmMain->StatusPanel1->text(), "");
    EXPECT_EQ(frmMain->StatusPanel0->text(), "Data Source: Regions");
}

TEST_F(Open, WithoutDataSourcesOpenStaysDisabled) {
    On<TfrmOpen>([](TfrmOpen& form) {
        EXPECT_EQ(form.lbDataSources->count(), 0);
        EXPECT_FALSE(form.btnOpen->isEnabled());
        form.btnOpen->click();
        form.btnCancel->click();
        return form.result();
    });
    frmMain->OpenAndLoadCategories();
    EXPECT_EQ(fake::Lib().calls["DSOpen"], 0);
}

TEST_F(Open, ListsSourcesInLibraryOrderAndEnablesOpenOnSelection) {
    fake::Source second = Contacts(1);
    second.name = "Alpha";
    fake::Lib().sources = {Contacts(1), second};
    On<TfrmOpen>([](TfrmOpen& form) {
        EXPECT_EQ(form.lbDataSources->item(0)->text(), "Contacts");
        EXPECT_EQ(form.lbDataSources->item(1)->text(), "Alpha");
        EXPECT_FALSE(form.btnOpen->isEnabled());
        form.lbDataSources->setCurrentRow(1);
        EXPECT_TRUE(form.btnOpen->isEnabled());
        form.btnOpen->click();
        return form.result();
    });
    frmMain->OpenAndLoadCategories();
    EXPECT_EQ(State().SelectedSourceName, "Alpha");
}

TEST_F(Open, RepeatedOpensRebuildTheColumnTable) {
    fake::Lib().sources = {Contacts(1)};
    for (int i = 0; i < 3; ++i)
        OpenSource("Contacts");
    EXPECT_EQ(State().ColumnTable.size(), 4u);
    EXPECT_EQ(frmMain->gridallheader->SectionCount(), 3);
}

TEST_F(Open, CategorisedSourceShowsTheComboAndAnotherHidesIt) {
    fake::Lib().sources = {Regions(), Contacts(1)};
    OpenSource("Regions");
    EXPECT_TRUE(frmMain->cbCategories->isVisible());
    EXPECT_TRUE(frmMain->lblGotoCategory->isVisible());
    EXPECT_TRUE(frmMain->cbCategories->isEnabled());
    EXPECT_EQ(frmMain->cbCategories->count(), 3);
    EXPECT_EQ(State().OfferedCategories, (QStringList{"A", "B", "C"}));
    OpenSource("Contacts");
    EXPECT_FALSE(frmMain->cbCategories->isVisible());
    EXPECT_FALSE(frmMain->lblGotoCategory->isVisible());
}

TEST_F(Open, EmptyCategoryIsNotCategorisedDrawnEmptyAndFound) {
    fake::Source source = Regions();
    source.rows.insert(source.rows.begin(), {{"", "Zed", "Wells"}, 10});
    fake::Lib().sources = {source};
    OpenSource("Regions");
    EXPECT_EQ(State().CategoryList.front(), "(Not Categorised)");
    EXPECT_EQ(frmMain->cbCategories->itemText(0), "");
    frmMain->gridAll->SetCurrentRow(5);
    frmMain->CategoryChosen(0);
    EXPECT_EQ(frmMain->gridAll->CurrentRow(), 1);
    frmMain->CategoryChosen(3);
    EXPECT_EQ(frmMain->gridAll->CurrentRow(), 5) << "first row of C";
}

// Each item of the list as its delegate paints it into a line of the list's width over a grey ground, and
// the line heights it asks for.
struct PaintedItems {
    std::vector<QImage> lines;
    std::vector<int> heights;
};

PaintedItems PaintItems(QAbstractItemView& view) {
    PaintedItems painted;
    for (int row = 0; row < view.model()->rowCount(); ++row) {
        const QModelIndex index = view.model()->index(row, 0);
        QStyleOptionViewItem option;
        option.initFrom(&view);
        const int height = view.itemDelegateForIndex(index)->sizeHint(option, index).height();
        option.rect = QRect(0, 0, 160, height);
        painted.heights.push_back(height);
        QImage line(option.rect.size(), QImage::Format_RGB32);
        line.fill(Qt::gray);
        QPainter painter(&line);
        view.itemDelegateForIndex(index)->paint(&painter, option, index);
        painter.end();
        painted.lines.push_back(line);
    }
    return painted;
}

bool AllWhite(const QImage& line) {
    for (int y = 0; y < line.height(); ++y)
        for (int x = 0; x < line.width(); ++x)
            if (line.pixelColor(x, y) != Qt::white) return false;
    return true;
}

// Lines of 13 pixels, or higher when the font needs it: a line lower than its text cuts the descenders off.
TEST_F(Open, CategoriesAreWhiteLinesAsHighAsTheirText) {
    fake::Source source = Regions();
    source.rows.insert(source.rows.begin(), {{"", "Zed", "Wells"}, 10});
    fake::Lib().sources = {source};
    OpenSource("Regions");
    QAbstractItemView& view = *frmMain->cbCategories->view();
    ASSERT_EQ(view.model()->rowCount(), 4);
    const int height = std::max(13, view.fontMetrics().height());
    EXPECT_EQ(view.sizeHintForRow(0), height);
    const PaintedItems painted = PaintItems(view);
    EXPECT_EQ(painted.heights, std::vector<int>(4, height));
    EXPECT_TRUE(AllWhite(painted.lines[0])) << "the not-categorised line shows no text";
    for (int row = 1; row < 4; ++row) {
        const QImage& line = painted.lines[static_cast<size_t>(row)];
        EXPECT_FALSE(AllWhite(line)) << row << ": its category's letter is drawn";
        EXPECT_EQ(line.pixelColor(line.width() - 1, 0), Qt::white) << row;
        EXPECT_EQ(line.pixelColor(line.width() - 1, line.height() - 1), Qt::white) << row;
    }

    On<TfrmCategory>([](TfrmCategory& form) {
        const PaintedItems list = PaintItems(*form.lbCategories);
        EXPECT_EQ(list.heights, std::vector<int>(4, std::max(13, form.lbCategories->fontMetrics().height())));
        EXPECT_TRUE(AllWhite(list.lines[0]));
        form.btnCancel->click();
        return form.result();
    });
    frmMain->RetrieveRecords();
}

TEST_F(Open, ChosenCategoryShowsItsFirstRowBelowOneRowOfContext) {
    fake::Source source{"Many", "", {"Region", "Name"}, true, {}, {}, true};
    for (int i = 0; i < 120; ++i)
        source.rows.push_back({{std::string(1, char('A' + i / 30)), "N"}, i + 1});
    fake::Lib().sources = {source};
    OpenSource("Many");
    frmMain->CategoryChosen(3);
    EXPECT_EQ(frmMain->gridAll->CurrentRow(), 91);
    EXPECT_EQ(frmMain->gridAll->TopRow(), 90);
    frmMain->CategoryChosen(0);
    EXPECT_EQ(frmMain->gridAll->TopRow(), 1);
}

TEST_F(Open, HiddenSegmentsAreNotShownButKeptForComparison) {
    EXPECT_EQ(DisplayForm("North(\x7f"
                          "01)"),
              "North");
    EXPECT_EQ(DisplayForm("a(\x7f"
                          "1)(\x7f"
                          "2)b"),
              "ab");
    EXPECT_EQ(DisplayForm("a(\x7f"
                          "unterminated"),
              "a");
    EXPECT_EQ(DisplayForm("(plain)"), "(plain)");

    fake::Source source = Regions();
    source.rows[2].values[0] = "North(\x7f"
                               "01)";
    fake::Lib().sources = {source};
    OpenSource("Regions");
    EXPECT_EQ(frmMain->cbCategories->itemText(1), "North");
    EXPECT_EQ(StoredCategory(*frmMain->cbCategories, 1), "North(\x7f"
                                                         "01)");
    frmMain->CategoryChosen(1);
    EXPECT_EQ(frmMain->gridAll->CurrentRow(), 3);
}

TEST_F(Open, ChoosingACategoryNotLoadedAsks) {
    fake::Lib().sources = {Regions()};
    On<TfrmCategory>([](TfrmCategory& form) {
        form.lbCategories->item(0)->setSelected(true);
        form.btnOk->click();
        return form.result();
    });
    OpenSource("Regions");
    EXPECT_EQ(frmMain->gridAll->Tag, 2);
    frmMain->gridAll->SetCurrentRow(2);
    Answer({os::IDNO});
    frmMain->CategoryChosen(2);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                              "Category \"C\" has not been loaded.\n\nDo you want to load records now?"});
    EXPECT_EQ(frmMain->gridAll->CurrentRow(), 2);
    EXPECT_EQ(Shown<TfrmCategory>(), 1);
    frmMain->CategoryChosen(2);
    EXPECT_EQ(Shown<TfrmCategory>(), 2) << "Yes retrieves";
}

} // namespace
