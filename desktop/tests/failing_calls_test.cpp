// One road through the program (open a categorised source, retrieve two categories and then the third,
// search by a keyword value, add all, merge with a description) run once for every call it makes to the
// library, with that one call failing: every road ends cleanly, the grids stay whole, the merge data file
// holds the selection and nothing else, and history is written only for selected rows.
#include "app_fixture.h"

#include "forms.h"
#include "frm_category.h"
#include "frm_filter.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "frm_merge_progress.h"
#include "frm_splash.h"
#include "program_state.h"
#include "string_grid.h"
#include "word/word.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

class FailingCalls : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        auto word = word::CreateObject(word::kProgramId);
        word->Invoke("FileNewDefault");
        word->Invoke("InsertMergeField", {word::Named("MergeField", "Name")});
        word->Invoke("FileSaveAs", {word::Positional(Path("Documents/wordmergetemplate.doc"))});
        word->Invoke("AppClose");
        word::ResetAutomation();
        On<TfrmFilter>([](TfrmFilter& form) {
            form.cbFields->setCurrentIndex(3);
            form.FieldChosen(3);
            form.cbOperator->setCurrentIndex(0);
            if (form.cbValue->isHidden()) {
                form.edValue->setText("Leeds");
            } else {
                form.cbValue->setCurrentIndex(0);
            }
            form.btnOk->click();
            return form.result();
        });
        ScriptMergeForm("Spring letter");
        ScriptMergeSteps();
    }

    // The program as it starts, with the library failing at call failAt (0: none).
    void Restart(int failAt) {
        DestroyForms();
        fake::Reset();
        word::ResetAutomation();
        QFile::remove(QString::fromStdString(Path("Documents/mailmerge.doc")));
        boxes_.clear();
        fake::Source source = Regions();
        source.keywords["Town"] = {"Leeds", "York"};
        fake::Lib().sources = {Contacts(2), source};
        fake::Lib().failAt = failAt;
        CreateForms();
        frmSplash->Timer1->stop();
        frmMain->show();
        frmMain->FormActivate();
    }

    static void Use(QAction* command) {
        if (command->isEnabled()) command->trigger();
    }

    // Chooses the categories in these rows of the list, of those it shows (a failed walk offers fewer).
    void Choose(std::vector<int> rows) {
        On<TfrmCategory>([rows](TfrmCategory& form) {
            for (int row : rows) {
                if (row < form.lbCategories->count()) form.lbCategories->item(row)->setSelected(true);
            }
            form.btnOk->click();
            return form.result();
        });
    }

    void Road() {
        Choose({0, 2});
        OpenSource("Regions");
        Choose({0});
        Use(frmMain->mnuRetrieve);
        Use(frmMain->mnuSearchAdd);
        Use(frmMain->mnuAddAll);
        frmMain->gridSel->HighlightRows(1, 1);
        Use(frmMain->mnuClearHighlighted);
        frmMergeProgress->TempFileName.clear();
        On<TfrmMerge>([](TfrmMerge& form) {
            form.edName->setText("Spring letter");
            form.edOutput->setText("mailmerge.doc");
            form.btnRun->click();
            return form.result();
        });
        Use(frmMain->mnuMerge);
    }

    // What holds after the road, whichever call failed.
    void ExpectWhole() {
        for (StringGrid* grid : {frmMain->gridAll, frmMain->gridSel}) {
            ASSERT_GE(grid->Tag, 0);
            EXPECT_EQ(grid->RowCount(), std::max(grid->Tag + 1, 2));
        }
        const StringGrid& sel = *frmMain->gridSel;
        const int columns = State().ColumnCount;
        QStringList ids;
        for (int r = 1; r <= sel.Tag; ++r)
            ids << sel.Cell(columns + 1, r);
        const QString dataFile = frmMergeProgress->TempFileName;
        if (!dataFile.isEmpty()) {
            const QList<QByteArray> lines =
                QByteArray::fromStdString(ReadFile(dataFile.toStdString())).split('\n');
            ASSERT_EQ(lines.size(), sel.Tag + 2) << "the titles, the selection, nothing after the last CR LF";
            for (qsizetype l = 0; l + 1 < lines.size(); ++l) {
                EXPECT_TRUE(lines[l].endsWith('\r'));
                EXPECT_EQ(lines[l].count('\t'), columns - 1) << "line " << l;
            }
        }
        const auto& library = fake::Lib();
        const size_t attempted = library.updates.size() + library.lostUpdates.size();
        EXPECT_TRUE(attempted == 0 || attempted == static_cast<size_t>(sel.Tag)) << attempted;
        for (const fake::Update& update : library.updates) {
            EXPECT_TRUE(ids.contains(QString::number(update.noteId))) << update.noteId;
            EXPECT_EQ(update.value, "Spring letter");
        }
        if (attempted > 0) {
            EXPECT_TRUE(frmMergeProgress->lblSteps[6]->font().bold());
        }
        if (library.failed == "DSOpen") {
            std::vector<std::string> texts = BoxTexts();
            EXPECT_NE(
                std::find(texts.begin(), texts.end(), "The data source \"Regions\" could not be opened."),
                texts.end());
        }
    }
};

TEST_F(FailingCalls, EachCallFailingInTurnEndsCleanly) {
    Restart(0);
    Road();
    ASSERT_FALSE(HasFailure());
    // The road without failures: two categories, then the third, a search, all rows, one removed, a merge.
    ASSERT_EQ(frmMain->gridAll->Tag, 5);
    ASSERT_EQ(frmMain->gridSel->Tag, 4);
    ASSERT_EQ(fake::Lib().updates.size(), 4u);
    const int calls = fake::Lib().callCount;
    ASSERT_GT(calls, 20);
    for (int failAt = 1; failAt <= calls && !HasFailure(); ++failAt) {
        Restart(failAt);
        Road();
        SCOPED_TRACE("call " + std::to_string(failAt) + " failing: " + fake::Lib().failed);
        ExpectWhole();
    }
}

} // namespace
