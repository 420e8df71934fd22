// Search and add: matching cells by each operator, any field, case, keyword values from lookups and the
// messages that report what was added.
#include "app_fixture.h"

#include "forms.h"
#include "frm_filter.h"
#include "frm_main.h"
#include "program_state.h"
#include "record_match.h"
#include "string_grid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

using Search = AppTest;

SearchCondition Condition(int kind, bool positive, const QString& value, bool caseSensitive = false) {
    return {1, kind, positive, caseSensitive ? value : UpperAscii(value), caseSensitive};
}

TEST(MatchCell, OperatorsAndCase) {
    EXPECT_TRUE(MatchCell(Condition(2, true, "ann"), "JOANNE"));
    EXPECT_FALSE(MatchCell(Condition(2, true, "ann", true), "JOANNE"));
    EXPECT_TRUE(MatchCell(Condition(2, false, "ann", true), "JOANNE"));
    EXPECT_TRUE(MatchCell(Condition(1, true, "jo"), "Joanne"));
    EXPECT_FALSE(MatchCell(Condition(1, false, "jo"), "Joanne"));
    EXPECT_TRUE(MatchCell(Condition(0, true, "leeds"), "Leeds"));
    EXPECT_FALSE(MatchCell(Condition(0, true, "leed"), "Leeds"));
    EXPECT_TRUE(MatchCell(Condition(0, false, "leed"), "Leeds"));
    EXPECT_FALSE(MatchCell(Condition(2, true, ""), "anything")) << "an empty value occurs nowhere";
    EXPECT_TRUE(MatchCell(Condition(2, false, ""), "anything"));
    EXPECT_FALSE(MatchCell(Condition(1, true, "Joanne and more"), "Joanne"));
    EXPECT_EQ(UpperAscii("sète ß z"), "SèTE ß Z") << "only a-z change";
}

TEST_F(Search, DoesNotStartWithOnAnyFieldMatchesWhenAnotherColumnDoesNot) {
    fake::Source source = Contacts(2);
    source.rows[0].values = {"Smith", "Smith", "Smith"};
    source.rows[1].values = {"Smith", "Ann", "Leeds"};
    fake::Lib().sources = {source};
    OpenSource("Contacts");
    EXPECT_EQ(frmMain->AddMatchingRecords(0, 1, false, "smi", false), 1);
    EXPECT_EQ(frmMain->gridSel->Cell(4, 1), "102");
    EXPECT_EQ(frmMain->AddMatchingRecords(0, 1, false, "smi", true), 1) << "102 is selected already";
}

TEST_F(Search, FormOffersKeywordValuesLoadedOnce) {
    fake::Lib().sources = {Contacts(3)};
    OpenSource("Contacts");
    On<TfrmFilter>([](TfrmFilter& form) {
        EXPECT_EQ(form.cbFields->count(), 4);
        EXPECT_EQ(form.cbFields->itemText(0), "Any Field");
        EXPECT_EQ(form.cbFields->itemText(1), "Last Name");
        EXPECT_EQ(form.cbOperator->count(), 6);
        EXPECT_FALSE(form.btnOk->isEnabled());
        form.cbFields->setCurrentIndex(3);
        form.FieldChosen(3);
        EXPECT_FALSE(form.cbValue->isHidden());
        EXPECT_TRUE(form.edValue->isHidden());
        EXPECT_EQ(form.cbValue->count(), 2);
        form.cbOperator->setCurrentIndex(5);
        EXPECT_FALSE(form.btnOk->isEnabled());
        form.cbValue->setCurrentIndex(1);
        EXPECT_TRUE(form.btnOk->isEnabled());
        form.FieldChosen(3);
        form.cbValue->setCurrentIndex(1);
        form.btnOk->click();
        return form.result();
    });
    frmMain->mnuSearchAdd->trigger();
    EXPECT_EQ(fake::Lib().calls["KWOpen"], 1);
    EXPECT_EQ(fake::Lib().calls["KWClose"], 1);
    EXPECT_EQ(frmFilter->Condition.FieldIndex, 3);
    EXPECT_EQ(frmFilter->Condition.MatchKind, 2);
    EXPECT_FALSE(frmFilter->Condition.MatchPositive);
    EXPECT_EQ(frmFilter->Condition.MatchValue, "York");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"3 records were added"});
}

TEST_F(Search, ColumnWithoutLookupIsTypedAndNotAskedAgain) {
    fake::Lib().sources = {Contacts(3)};
    OpenSource("Contacts");
    On<TfrmFilter>([](TfrmFilter& form) {
        for (int i = 0; i < 2; ++i) {
            form.cbFields->setCurrentIndex(1);
            form.FieldChosen(1);
        }
        EXPECT_FALSE(form.edValue->isHidden());
        form.cbOperator->setCurrentIndex(0);
        form.edValue->setText("last2");
        form.btnOk->click();
        return form.result();
    });
    frmMain->SearchAddClick();
    EXPECT_EQ(fake::Lib().calls["KWOpen"], 1) << "the name passed is Last_Name, which has no lookup";
    EXPECT_EQ(State().ColumnTable[1].KeywordState, 1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"1 record was added."});
    frmMain->SearchAddClick();
    EXPECT_EQ(BoxTexts().back(), "No records were added.");
}

// The three boxes of the condition are labelled, and a new showing starts with no field and no value.
TEST_F(Search, TheFormLabelsItsBoxesAndStartsEachShowingEmpty) {
    fake::Lib().sources = {Contacts(3)};
    OpenSource("Contacts");
    auto labelOf = [](QWidget* box) {
        for (QLabel* label : frmFilter->findChildren<QLabel*>()) {
            if (label->buddy() == box && label->isVisibleTo(frmFilter)) return label->text().toStdString();
        }
        return std::string();
    };
    On<TfrmFilter>([&labelOf](TfrmFilter& form) {
        EXPECT_EQ(labelOf(form.cbFields), "&Field:");
        EXPECT_EQ(labelOf(form.cbOperator), "C&ondition:");
        EXPECT_EQ(labelOf(form.edValue), "&Value:");
        form.cbFields->setCurrentIndex(3);
        form.FieldChosen(3);
        EXPECT_EQ(labelOf(form.cbValue), "&Value:") << "the label names the box that is shown";
        form.cbOperator->setCurrentIndex(0);
        form.cbValue->setCurrentIndex(1);
        form.btnOk->click();
        return form.result();
    });
    frmMain->SearchAddClick();
    ASSERT_EQ(frmFilter->Condition.MatchValue, "York");
    On<TfrmFilter>([](TfrmFilter& form) {
        EXPECT_EQ(form.cbFields->currentIndex(), -1);
        EXPECT_EQ(form.cbOperator->currentIndex(), -1);
        EXPECT_EQ(form.cbValue->currentText().toStdString(), "");
        EXPECT_EQ(form.edValue->text().toStdString(), "");
        EXPECT_FALSE(form.btnOk->isEnabled());
        form.btnCancel->click();
        return form.result();
    });
    frmMain->SearchAddClick();
    EXPECT_EQ(Shown<TfrmFilter>(), 2);
}

TEST_F(Search, CaseSensitiveContainsAndCancel) {
    fake::Source source = Contacts(1);
    source.rows[0].values = {"ANN", "B", "C"};
    fake::Lib().sources = {source};
    OpenSource("Contacts");
    On<TfrmFilter>([](TfrmFilter& form) {
        form.cbFields->setCurrentIndex(1);
        form.FieldChosen(1);
        form.cbOperator->setCurrentIndex(4);
        form.edValue->setText("ann");
        form.cbCaseSensitive->setChecked(true);
        form.btnOk->click();
        return form.result();
    });
    frmMain->SearchAddClick();
    EXPECT_EQ(BoxTexts().back(), "No records were added.");
    On<TfrmFilter>([](TfrmFilter& form) {
        form.btnCancel->click();
        return form.result();
    });
    frmMain->SearchAddClick();
    EXPECT_EQ(boxes_.size(), 1u);
}

} // namespace
