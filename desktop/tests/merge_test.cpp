// The merge: the data file byte for byte, the Word command sequences when Word is started or attached, the
// merge form's names, cancelling, failures, and the write-back of the description.
#include "app_fixture.h"

#include "forms.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "frm_merge_progress.h"
#include "merge_data_file.h"
#include "merge_names.h"
#include "string_grid.h"
#include "word/reader.h"
#include "word/word.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

namespace {

class Merge : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        fake::Source people{"People", "MergeHistory", {"First Name", "Town"}, false, {}, {}, true};
        people.rows = {{{"Ann", "Leeds"}, 7}, {{"Bo", "York"}, 8}};
        fake::Lib().sources = {people};
        OpenSource("People");
        frmMain->AddAllClick();
        boxes_.clear();
        MakeTemplate(Path("Documents/wordmergetemplate.doc"));
        On<TfrmMerge>([this](TfrmMerge& form) {
            form.edName->setText(QString::fromStdString(description));
            form.btnRun->click();
            return form.result();
        });
        ScriptMergeSteps();
    }

    // A template with the two merge fields, made by the Word stand-in, which is then reset.
    static void MakeTemplate(const std::string& path) {
        auto word = word::CreateObject(word::kProgramId);
        word->Invoke("FileNewDefault");
        word->Invoke("InsertMergeField", {word::Named("MergeField", "First_Name")});
        word->Invoke("InsertMergeField", {word::Named("MergeField", "Town")});
        word->Invoke("FileSaveAs", {word::Positional(path)});
        word->Invoke("AppClose");
        word::ResetAutomation();
    }

    std::string OutputPath() const {
        return Path("Documents/" + DefaultOutputName(TodayShortDate()).toStdString());
    }

    std::vector<std::string> MergeCommands() const {
        return {"FileOpen(name:=\"" + Path("Documents/wordmergetemplate.doc") + "\")",
                "MailMergeOpenDataSource(Name:=\"" + frmMergeProgress->TempFileName.toStdString() + "\")",
                "MailMerge(Destination:=0)"};
    }

    std::string description = "Spring letter";
};

TEST_F(Merge, StartsWordMergesSavesAndClosesIt) {
    frmMain->mnuMerge->trigger();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"There are 2 rows. Continue with merge?"});
    std::vector<std::string> expected = {"AppHide()", "AppMinimize(1)"};
    for (const std::string& command : MergeCommands())
        expected.push_back(command);
    for (const std::string& command :
         {std::string("MailMergeToDoc()"), "FileSaveAs(Name:=\"" + OutputPath() + "\")",
          std::string("FileClose(2)"), std::string("FileClose(2)"), std::string("AppClose()")}) {
        expected.push_back(command);
    }
    EXPECT_EQ(word::ReceivedCommands(), expected);
    EXPECT_FALSE(word::IsProgramRunning());

    EXPECT_EQ(ReadFile(frmMergeProgress->TempFileName.toStdString()),
              "First Name\tTown\r\nAnn\tLeeds\r\nBo\tYork\r\n");
    std::string merged = word::ReadDocumentContent(ReadFile(OutputPath())).text;
    EXPECT_NE(merged.find("Ann"), std::string::npos) << merged;
    EXPECT_NE(merged.find("York"), std::string::npos) << merged;

    EXPECT_EQ(fake::Lib().updates, (std::vector<fake::Update>{{"MergeHistory", "Spring letter", 7},
                                                              {"MergeHistory", "Spring letter", 8}}));
    EXPECT_EQ(frmMergeProgress->btnClose->text(), "&Close");
    EXPECT_TRUE(frmMergeProgress->lblSteps[6]->font().bold());
}

TEST_F(Merge, AttachesToARunningWordAndLeavesItRunning) {
    auto running = word::CreateObject(word::kProgramId);
    frmMain->MergeClick();
    std::vector<std::string> commands = word::ReceivedCommands();
    ASSERT_GE(commands.size(), 6u);
    EXPECT_EQ(commands[0], "AppMinimize(1)");
    EXPECT_EQ(commands[1], "AppMinimize(1)");
    EXPECT_EQ(std::vector<std::string>(commands.begin() + 2, commands.begin() + 5), MergeCommands());
    EXPECT_EQ(commands[5], "AppActivate(\"Microsoft Word\", 1)");
    EXPECT_EQ(commands.back(), "FileClose(2)");
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "AppClose()"), 0);
    EXPECT_TRUE(word::IsProgramRunning());
    EXPECT_TRUE(MergeWordAttached);
}

TEST_F(Merge, WithoutWordNothingIsWritten) {
    word::SetProgramAvailable(false);
    frmMain->MergeClick();
    EXPECT_EQ(BoxTexts().back(), "Could not start Microsoft Word.");
    EXPECT_TRUE(frmMergeProgress->TempFileName.isEmpty());
    EXPECT_TRUE(fake::Lib().updates.empty());
}

TEST_F(Merge, EmptyDescriptionOrNoHistoryItemWritesNothingBack) {
    description = "";
    frmMain->MergeClick();
    EXPECT_TRUE(fake::Lib().updates.empty());

    fake::Lib().sources[0].mergeHistField = "";
    description = "Autumn letter";
    frmMain->MergeClick();
    EXPECT_FALSE(frmMerge->edName->isEnabled());
    EXPECT_EQ(frmMerge->edName->text(), "Autumn letter");
    EXPECT_TRUE(fake::Lib().updates.empty());
    EXPECT_EQ(frmMergeProgress->btnClose->text(), "&Close");
}

TEST_F(Merge, WriteBackCountsEvery29Rows) {
    fake::Source many{"Many", "Hist", {"First Name", "Town"}, false, {}, {}, true};
    for (int i = 1; i <= 58; ++i)
        many.rows.push_back({{"N" + std::to_string(i), "T"}, i});
    fake::Lib().sources = {many};
    OpenSource("Many");
    frmMain->AddAllClick();
    QStringList captions;
    struct PaintWatch : QObject {
        QStringList* captions;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                QString text = static_cast<QLabel*>(watched)->text();
                if (captions->isEmpty() || captions->back() != text) captions->append(text);
            }
            return false;
        }
    } watch;
    watch.captions = &captions;
    frmMergeProgress->lblSteps[5]->installEventFilter(&watch);
    frmMain->MergeClick();
    frmMergeProgress->lblSteps[5]->removeEventFilter(&watch);
    EXPECT_EQ(fake::Lib().updates.size(), 58u);
    EXPECT_EQ(fake::Lib().updates.back(), (fake::Update{"Hist", "Spring letter", 58}));
    EXPECT_TRUE(captions.contains("Writing back to Notes (29 of 58)")) << captions.join("|").toStdString();
    EXPECT_TRUE(captions.contains("Writing back to Notes (58 of 58)")) << captions.join("|").toStdString();
    EXPECT_EQ(frmMergeProgress->lblSteps[5]->text(), "Writing back to Notes");
}

TEST_F(Merge, CancelAtTheFirstCheckClosesTheWordItStarted) {
    On<TfrmMergeProgress>([](TfrmMergeProgress& form) {
        QTimer::singleShot(0, form.btnClose, &QPushButton::click);
        form.Timer1Tick();
        return form.result();
    });
    frmMain->MergeClick();
    EXPECT_EQ(BoxTexts().back(), "Do you wish to cancel merge ?");
    EXPECT_EQ(word::ReceivedCommands(),
              (std::vector<std::string>{"AppHide()", "AppMinimize(1)", "AppClose()"}));
    EXPECT_TRUE(fake::Lib().updates.empty());
}

TEST_F(Merge, AutomationErrorIsShownAndWritesNothingBack) {
    QFile::remove(QString::fromStdString(Path("Documents/wordmergetemplate.doc")));
    frmMain->MergeClick();
    EXPECT_NE(BoxTexts().back().find("wordmergetemplate.doc"), std::string::npos) << BoxTexts().back();
    EXPECT_EQ(word::ReceivedCommands().back(), "AppClose()");
    EXPECT_FALSE(word::IsProgramRunning());
    EXPECT_TRUE(fake::Lib().updates.empty());
    EXPECT_EQ(frmMergeProgress->btnClose->text(), "&Close") << "nothing is left to cancel";
}

TEST_F(Merge, UnwritableDataFileStopsAndClosesWord) {
    qputenv("TMPDIR", (dir_.path() + "/missing").toUtf8());
    frmMain->MergeClick();
    EXPECT_NE(BoxTexts().back().find("merge data file could not be written"), std::string::npos);
    EXPECT_EQ(word::ReceivedCommands(),
              (std::vector<std::string>{"AppHide()", "AppMinimize(1)", "AppClose()"}));
    EXPECT_TRUE(fake::Lib().updates.empty());
}

TEST_F(Merge, FormDefaultsAndItsChecks) {
    On<TfrmMerge>([](TfrmMerge& form) {
        EXPECT_EQ(form.edTemplate->text(), "wordmergetemplate.doc");
        EXPECT_EQ(form.edOutput->text(), DefaultOutputName(TodayShortDate()));
        form.edOutput->setText("keep.doc");
        form.edTemplate->clear();
        EXPECT_FALSE(form.btnRun->isEnabled());
        form.btnCancel->click();
        return form.result();
    });
    frmMain->MergeClick();
    On<TfrmMerge>([](TfrmMerge& form) {
        EXPECT_EQ(form.edOutput->text(), "keep.doc");
        form.edTemplate->clear();
        form.RunClick();
        EXPECT_TRUE(form.isVisible());
        form.btnCancel->click();
        return form.result();
    });
    frmMain->MergeClick();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"You must supply a template file and an output file"});
    EXPECT_EQ(Shown<TfrmMergeProgress>(), 0);
}

TEST_F(Merge, NothingSelectedOrCancelledQuestionRunsNothing) {
    Answer({os::IDCANCEL});
    frmMain->MergeClick();
    EXPECT_EQ(Shown<TfrmMergeProgress>(), 0);
    frmMain->ClearAllClick();
    frmMain->MergeClick();
    EXPECT_EQ(BoxTexts().back(), "At least one record must be selected for merging.");
    EXPECT_EQ(Shown<TfrmMerge>(), 1);
}

TEST_F(Merge, ABrowsedTemplateIsUsedAsAFullPathUntilAnotherOpen) {
    MakeTemplate(Path("elsewhere.doc"));
    dialogAnswer = Path("elsewhere.doc");
    On<TfrmMerge>([](TfrmMerge& form) {
        form.btnBrowseTemplate->click();
        form.btnRun->click();
        return form.result();
    });
    frmMain->MergeClick();
    std::vector<std::string> commands = word::ReceivedCommands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(commands[2], "FileOpen(name:=\"" + Path("elsewhere.doc") + "\")");

    // Kept for further merges of this source, forgotten when a source is opened.
    std::vector<std::string> offered;
    On<TfrmMerge>([&offered](TfrmMerge& form) {
        offered.push_back(form.edTemplate->text().toStdString());
        form.btnRun->click();
        return form.result();
    });
    frmMain->MergeClick();

    OpenSource("People");
    frmMain->AddAllClick();
    word::ResetAutomation();
    frmMain->MergeClick();
    EXPECT_EQ(offered, (std::vector<std::string>{Path("elsewhere.doc"), "wordmergetemplate.doc"}));
    commands = word::ReceivedCommands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(commands[2], MergeCommands()[0]);
    EXPECT_TRUE(frmMergeProgress->lblSteps[6]->font().bold()) << "the merge finished";
}

// A bare name in either box lies in the documents folder, whatever dialog was opened and cancelled before:
// the browse buttons and the template command that was cancelled at its save dialog.
TEST_F(Merge, ACancelledDialogLeavesTheNamesWhereTheyPoint) {
    On<TfrmMerge>([](TfrmMerge& form) {
        form.btnBrowseTemplate->click();
        form.btnBrowseOutput->click();
        form.edName->setText("Spring letter");
        form.btnRun->click();
        return form.result();
    });
    frmMain->MergeClick();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"There are 2 rows. Continue with merge?"});
    std::vector<std::string> commands = word::ReceivedCommands();
    ASSERT_GE(commands.size(), 7u);
    EXPECT_EQ(commands[2], MergeCommands()[0]);
    EXPECT_EQ(commands[6], "FileSaveAs(Name:=\"" + OutputPath() + "\")");
    EXPECT_FALSE(ReadFile(OutputPath()).empty());

    QFile::remove(QString::fromStdString(OutputPath()));
    word::ResetAutomation();
    boxes_.clear();
    frmMain->FormActivate();
    frmMain->CreateTemplateClick();
    word::ResetAutomation();
    frmMain->MergeClick();
    commands = word::ReceivedCommands();
    ASSERT_GE(commands.size(), 7u) << BoxTexts().back();
    EXPECT_EQ(commands[2], MergeCommands()[0]);
    EXPECT_FALSE(ReadFile(OutputPath()).empty());
}

// Every merge of a day gets the same default name: the second one asks before it replaces the first's
// document, and "No" keeps the form open with nothing changed.
TEST_F(Merge, AnExistingOutputFileIsReplacedOnlyWhenTheUserSaysSo) {
    frmMain->MergeClick();
    const std::string first = ReadFile(OutputPath());
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"There are 2 rows. Continue with merge?"});

    boxes_.clear();
    frmMain->gridSel->SetCell(1, 1, "Zoe");
    Answer({os::IDNO});
    On<TfrmMerge>([this, &first](TfrmMerge& form) {
        form.btnRun->click();
        EXPECT_TRUE(form.isVisible()) << "No returns to the form";
        EXPECT_EQ(form.edOutput->text(), DefaultOutputName(TodayShortDate()));
        EXPECT_EQ(ReadFile(OutputPath()), first);
        form.btnCancel->click();
        return form.result();
    });
    frmMain->MergeClick();
    const std::string question =
        "The output file \"" + OutputPath() + "\" already exists. Do you wish to replace it ?";
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{question});
    EXPECT_EQ(boxes_.back().flags & 0xF, os::MB_YESNO);
    EXPECT_EQ(Shown<TfrmMergeProgress>(), 1);
    EXPECT_EQ(ReadFile(OutputPath()), first);
    EXPECT_EQ(fake::Lib().updates.size(), 2u);

    boxes_.clear();
    On<TfrmMerge>([](TfrmMerge& form) {
        form.btnRun->click();
        return form.result();
    });
    frmMain->MergeClick();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{question, "There are 2 rows. Continue with merge?"}));
    EXPECT_NE(word::ReadDocumentContent(ReadFile(OutputPath())).text.find("Zoe"), std::string::npos);
}

// The template dialog shows the kinds of document the merge reads: Word's own, DOCX and RTF.
TEST_F(Merge, TheTemplateDialogShowsEveryKindOfTemplate) {
    QFileDialog dialog;
    frmMerge->OpenDialog1.Prepare(dialog);
    ASSERT_FALSE(dialog.nameFilters().isEmpty());
    const QString filter = dialog.nameFilters().front();
    EXPECT_TRUE(filter.startsWith("Word Document (")) << filter.toStdString();
    const QString patterns = filter.section('(', 1).section(')', 0, 0);
    for (const char* name : {"letter.doc", "letter.docx", "letter.rtf"})
        EXPECT_TRUE(QDir::match(patterns, name)) << name << " in " << filter.toStdString();
    EXPECT_FALSE(QDir::match(patterns, "letter.txt"));
}

TEST_F(Merge, SeparatorsInsideValuesDoNotSplitRecords) {
    StringGrid& grid = *frmMain->gridSel;
    grid.SetCell(1, 1, "a\tb");
    grid.SetCell(2, 2, "c\r\nd");
    EXPECT_EQ(MergeDataText(grid, 2, true), "First Name\tTown\r\na b\tLeeds\r\nBo\tc  d\r\n");
    EXPECT_EQ(MergeDataText(grid, 2, false), "First Name\tTown\r\n");
}

TEST_F(Merge, NoteIdThatIsNotANumberStopsTheWriteBackThere) {
    frmMain->gridSel->SetCell(3, 2, "x");
    frmMain->MergeClick();
    EXPECT_EQ(BoxTexts().back(), "'x' is not a valid integer value");
    EXPECT_EQ(fake::Lib().updates, (std::vector<fake::Update>{{"MergeHistory", "Spring letter", 7}}));
    EXPECT_FALSE(frmMergeProgress->lblSteps[6]->font().bold()) << "not reported as finished";
}

TEST(MergeNames, DefaultOutputNameAndDialogPaths) {
    EXPECT_EQ(DefaultOutputName("25/12/97"), "mailmerge122597.doc");
    EXPECT_EQ(DefaultOutputName("1/2/3"), "mailmerge/31/.doc");
    EXPECT_EQ(DefaultOutputName("12"), "mailmerge12.doc");
    EXPECT_TRUE(
        QRegularExpression("^mailmerge[0-9]{6}\\.doc$").match(DefaultOutputName(TodayShortDate())).hasMatch())
        << "whatever the locale, a name without separators";
    EXPECT_EQ(DialogPath("/home/u/Documents", "a.doc"), "/home/u/Documents/a.doc");
    EXPECT_EQ(DialogPath("/home/u/Documents", "/t/a.doc"), "/t/a.doc");
    EXPECT_EQ(DialogPath("", "a.doc"), "a.doc");
}

} // namespace
