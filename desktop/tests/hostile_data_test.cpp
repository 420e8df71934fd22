// The forms against a library that answers with hostile data and against hostile use, one case each: texts
// longer than the buffers the program passes, characters cut at a buffer's end, a failed open after a source
// with rows, a very large view, and the waiting and progress forms cancelled at their first moment.
#include "app_fixture.h"

#include "forms.h"
#include "frm_category.h"
#include "frm_load_records.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "frm_merge_progress.h"
#include "frm_open.h"
#include "library_text.h"
#include "merge_names.h"
#include "program_state.h"
#include "string_grid.h"
#include "word/reader.h"
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

class HostileData : public AppTest {
protected:
    // A template without merge fields, which merges with any data file.
    void MakeEmptyTemplate() {
        auto word = word::CreateObject(word::kProgramId);
        word->Invoke("FileNewDefault");
        word->Invoke("FileSaveAs", {word::Positional(Path("Documents/wordmergetemplate.doc"))});
        word->Invoke("AppClose");
        word::ResetAutomation();
    }
    // The merge form runs with that description; the progress form runs its steps.
    void ScriptMerge(const QString& description) {
        ScriptMergeForm(description);
        ScriptMergeSteps();
    }
};

// A text of count characters cycling through one-, two-, three- and four-byte ones.
std::string MixedText(size_t count) {
    static const char* const kCharacters[] = {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += kCharacters[i % 4];
    return text;
}

QString Q(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TEST(LibraryText, ACharacterCutAtTheBufferEndIsLeftOut) {
    EXPECT_EQ(LibraryText("ab\xC3", 4), "ab");
    EXPECT_EQ(LibraryText("ab\xF0\x9F", 5), "ab");
    EXPECT_EQ(LibraryText("ab\xF0\x9F\x98", 6), "ab");
    EXPECT_EQ(LibraryText("ab\xC3\xA9", 5), Q("ab\xC3\xA9")) << "a whole character at the end stays";
    EXPECT_EQ(LibraryText("abc", 4), "abc");
    EXPECT_EQ(LibraryText("", 1), "");
    // Invalid bytes that no cut explains are the library's own: shown, not dropped.
    EXPECT_EQ(LibraryText("ab\xC3", 10), QString("ab") + QChar(0xFFFD));
    EXPECT_EQ(LibraryText("a\xFF"
                          "b",
                          4),
              QString("a") + QChar(0xFFFD) + "b");
    EXPECT_EQ(LibraryText("a\x80\x80", 4), QString("a") + QChar(0xFFFD) + QChar(0xFFFD));
}

TEST(LibraryText, WholeTextsAreAskedForAgainUntilTheyFit) {
    const std::string value = MixedText(10000);
    std::vector<int> sizes;
    QString text = ReadWholeLibraryText([&](char* buffer, int size) {
        sizes.push_back(size);
        os::CopyBounded(buffer, static_cast<size_t>(size), value);
    });
    EXPECT_EQ(text, Q(value));
    ASSERT_GE(sizes.size(), 2u);
    EXPECT_GT(sizes.back(), static_cast<int>(value.size()));
    EXPECT_EQ(ReadWholeLibraryText([](char* buffer, int size) { os::CopyBounded(buffer, size, "short"); }),
              "short");
}

// Names, titles and values beyond the buffers the forms used to pass (50, 99 and 255 bytes) arrive whole,
// on the screen and in the merge data file.
TEST_F(HostileData, LongNamesTitlesAndValuesArriveWhole) {
    const std::string name = "Source " + MixedText(60);
    const std::string title = "Title " + MixedText(150);
    const std::string value = MixedText(10000);
    fake::Source source{name, "History", {title, "Town"}, false, {}, {}, true};
    source.rows = {{{value, "Leeds"}, 5}};
    fake::Lib().sources = {source};
    OpenSource(name);
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
    EXPECT_EQ(frmMain->StatusPanel0->text(), "Data Source: " + Q(name));
    ASSERT_EQ(frmMain->gridAll->Tag, 1);
    EXPECT_EQ(frmMain->gridAll->Cell(1, 1), Q(value));
    EXPECT_EQ(frmMain->gridSel->Cell(1, 0), Q(title));

    frmMain->AddAllClick();
    ScriptMerge("");
    MakeEmptyTemplate();
    frmMain->MergeClick();
    EXPECT_EQ(ReadFile(frmMergeProgress->TempFileName.toStdString()),
              title + "\tTown\r\n" + value + "\tLeeds\r\n");
}

// Values that look like merge fields, RTF or XML reach the data file as they are and the merged document as
// text, whatever kind the template is.
TEST_F(HostileData, ValuesThatLookLikeMarkupAreMergedAsText) {
    const std::vector<std::string> values = {
        "{\\rtf1\\ansi x}",     "<w:t>y</w:t>",   "&amp; &lt;", "{ MERGEFIELD Town }",
        "\xC2\xABName\xC2\xBB", "\\par \\b bold", "]]> <!--"};
    fake::Source source{"Markup", "History", {"Name"}, false, {}, {}, true};
    for (size_t i = 0; i < values.size(); ++i)
        source.rows.push_back({{values[i]}, static_cast<int>(i) + 1});
    fake::Lib().sources = {source};
    OpenSource("Markup");
    frmMain->AddAllClick();
    for (const char* kind : {"rtf", "docx"}) {
        SCOPED_TRACE(kind);
        const std::string templatePath = Path(std::string("Documents/markup.") + kind);
        auto word = word::CreateObject(word::kProgramId);
        word->Invoke("FileNewDefault");
        word->Invoke("InsertMergeField", {word::Named("MergeField", "Name")});
        word->Invoke("FileSaveAs", {word::Positional(templatePath)});
        word->Invoke("AppClose");
        word::ResetAutomation();
        const std::string output = Path(std::string("Documents/merged.") + kind);
        On<TfrmMerge>([&](TfrmMerge& form) {
            form.edTemplate->setText(QString::fromStdString(templatePath));
            form.edOutput->setText(QString::fromStdString(output));
            form.btnRun->click();
            return form.result();
        });
        On<TfrmMergeProgress>([](TfrmMergeProgress& form) {
            form.Timer1Tick();
            return form.result();
        });
        boxes_.clear();
        frmMain->MergeClick();
        ASSERT_EQ(BoxTexts().size(), 1u) << BoxTexts().back();
        std::string expected = "Name\r\n";
        for (const std::string& value : values)
            expected += value + "\r\n";
        EXPECT_EQ(ReadFile(frmMergeProgress->TempFileName.toStdString()), expected);
        const std::string merged = word::ReadDocumentContent(ReadFile(output)).text;
        for (const std::string& value : values)
            EXPECT_NE(merged.find(value), std::string::npos) << value << " in " << merged;
    }
}

// A category is compared with the row's column 0 as GetData gives it: both are read whole.
TEST_F(HostileData, ALongCategoryIsListedAndRetrievedWhole) {
    const std::string category = MixedText(300);
    fake::Source source{"Long", "", {"Category", "Name"}, true, {}, {}, true};
    source.rows = {{{"A", "Ann"}, 1}, {{category, "Bo"}, 2}, {{category, "Cy"}, 3}, {{"Z", "Di"}, 4}};
    fake::Lib().sources = {source};
    ChooseCategories({1});
    OpenSource("Long");
    EXPECT_EQ(State().OfferedCategories, (QStringList{"A", Q(category), "Z"}));
    ASSERT_EQ(frmMain->gridAll->Tag, 2);
    EXPECT_EQ(frmMain->gridAll->Cell(1, 1), Q(category));
    EXPECT_EQ(frmMain->gridAll->Cell(2, 2), "Cy");
}

// A source that does not open leaves the one open before open in the library, and its rows on the screen:
// they are still merged as its rows, with its columns, and their history goes to their documents.
TEST_F(HostileData, AfterAFailedOpenTheRowsShownAreStillMergedWhole) {
    fake::Source broken = Contacts(0);
    broken.name = "Broken";
    broken.opens = false;
    fake::Lib().sources = {Contacts(3), broken};
    OpenSource("Contacts");
    frmMain->AddAllClick();
    OpenSource("Broken");
    EXPECT_EQ(BoxTexts().back(), "The data source \"Broken\" could not be opened.");
    MakeEmptyTemplate();
    ScriptMerge("Letter");
    boxes_.clear();
    frmMain->btnMerge->click();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"There are 3 rows. Continue with merge?"});
    EXPECT_EQ(ReadFile(frmMergeProgress->TempFileName.toStdString()),
              "Last Name\tFirst Name\tTown\r\nLast1\tFirst1\tTown1\r\nLast2\tFirst2\tTown2\r\n"
              "Last3\tFirst3\tTown3\r\n");
    EXPECT_EQ(fake::Lib().updates, (std::vector<fake::Update>{{"MergeHistory", "Letter", 101},
                                                              {"MergeHistory", "Letter", 102},
                                                              {"MergeHistory", "Letter", 103}}));
}

// A view without columns opens in place of the source before: the rows shown are not of the open source
// any more, and nothing of them can be merged or written back.
TEST_F(HostileData, AViewWithoutColumnsLeavesNoRowsOfTheSourceBefore) {
    fake::Source empty{"No Columns", "History", {}, false, {{{}, 9}}, {}, true};
    fake::Lib().sources = {Contacts(3), empty};
    OpenSource("Contacts");
    frmMain->AddAllClick();
    ASSERT_EQ(frmMain->gridSel->Tag, 3);
    boxes_.clear();
    OpenSource("No Columns");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"The data source \"No Columns\" could not be opened."});
    for (StringGrid* grid : {frmMain->gridAll, frmMain->gridSel}) {
        EXPECT_EQ(grid->Tag, 0);
        EXPECT_EQ(grid->RowCount(), 2);
        EXPECT_EQ(grid->Cell(1, 1), "");
    }
    EXPECT_EQ(frmMain->StatusPanel0->text(), "Data Source: None");
    EXPECT_EQ(frmMain->lblSelectedCount->text(), "");
    EXPECT_FALSE(frmMain->btnMerge->isEnabled());
    frmMain->MergeClick();
    EXPECT_EQ(BoxTexts().back(), "At least one record must be selected for merging.");
    EXPECT_EQ(Shown<TfrmMergeProgress>(), 0);
    EXPECT_TRUE(fake::Lib().updates.empty());
}

// Cancelling the category form of a later retrieval retrieves nothing, and the counts and buttons stay with
// the records the grids still hold.
TEST_F(HostileData, ACancelledCategoryFormLeavesTheCountsOfTheRowsShown) {
    fake::Lib().sources = {Regions()};
    ChooseCategories({0});
    OpenSource("Regions");
    frmMain->AddAllClick();
    On<TfrmCategory>([](TfrmCategory& form) {
        form.btnCancel->click();
        return form.result();
    });
    frmMain->mnuRetrieve->trigger();
    EXPECT_EQ(Shown<TfrmCategory>(), 2);
    EXPECT_EQ(frmMain->lblRetrievedCount->text(), "2 retrieved");
    EXPECT_EQ(frmMain->lblSelectedCount->text(), "2 selected");
    EXPECT_TRUE(frmMain->btnSelectAll->isEnabled());
    EXPECT_TRUE(frmMain->btnMerge->isEnabled());
}

// Copying a large view into the selection checks each note id once, not against every row copied before
// it: 100,000 rows, every document in two of them.
TEST_F(HostileData, AHundredThousandRowsWithDuplicatesAreSelectedOnceEach) {
    constexpr int kRows = 100000;
    fake::Source source{"Big", "", {"Category", "Name"}, true, {}, {}, true};
    source.rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        source.rows.push_back({{i < kRows / 2 ? "A" : "B", "N" + std::to_string(i)}, i % (kRows / 2) + 1});
    fake::Lib().sources = {std::move(source)};
    ChooseCategories({}, true);
    OpenSource("Big");
    ASSERT_EQ(frmMain->gridAll->Tag, kRows);
    frmMain->AddAllClick();
    StringGrid& sel = *frmMain->gridSel;
    ASSERT_EQ(sel.Tag, kRows / 2);
    EXPECT_EQ(sel.RowCount(), kRows / 2 + 1);
    EXPECT_EQ(sel.Cell(2, kRows / 2), "N" + QString::number(kRows / 2 - 1));
    EXPECT_EQ(sel.Cell(3, kRows / 2), QString::number(kRows / 2));

    // By hand and by search the same ids are refused, each in one look-up.
    frmMain->gridAll->HighlightRows(1, kRows);
    frmMain->AddHighlightedClick();
    EXPECT_EQ(frmMain->AddMatchingRecords(2, 1, true, "N", true), 0);
    EXPECT_EQ(sel.Tag, kRows / 2);
}

// Cancel before the merge's first step: the form is gone, and so must be the step that would have started
// the merge a moment later.
TEST_F(HostileData, AMergeCancelledBeforeItsFirstStepNeverStarts) {
    fake::Lib().sources = {Contacts(2)};
    OpenSource("Contacts");
    frmMain->AddAllClick();
    ScriptMergeForm("Letter");
    bool pending = true;
    On<TfrmMergeProgress>([&pending](TfrmMergeProgress& form) {
        form.btnClose->click();
        pending = form.Timer1->isActive();
        return form.result();
    });
    frmMain->MergeClick();
    EXPECT_EQ(BoxTexts().back(), "Do you wish to cancel merge ?");
    EXPECT_FALSE(pending) << "the merge would start after the form closed";
    EXPECT_FALSE(frmMergeProgress->Timer1->isActive());
    EXPECT_TRUE(word::ReceivedCommands().empty());
    EXPECT_TRUE(fake::Lib().updates.empty());
}

// "No" to "cancel merge?" goes on with the merge in the form, which then shows the merge finished; after a
// failed merge the button closes the form without asking to cancel what is over.
TEST_F(HostileData, TheProgressFormStaysUntilTheMergeIsOver) {
    fake::Lib().sources = {Contacts(2)};
    OpenSource("Contacts");
    frmMain->AddAllClick();
    ScriptMergeForm("Letter");
    bool visibleAtEnd = false;
    On<TfrmMergeProgress>([&visibleAtEnd](TfrmMergeProgress& form) {
        QTimer::singleShot(0, form.btnClose, &QPushButton::click);
        form.Timer1Tick();
        visibleAtEnd = form.isVisible();
        return form.result();
    });
    MakeEmptyTemplate();
    Answer({os::IDOK, os::IDNO});
    frmMain->MergeClick();
    EXPECT_EQ(BoxTexts().back(), "Do you wish to cancel merge ?");
    EXPECT_TRUE(visibleAtEnd) << "No closed the form while the merge went on";
    EXPECT_TRUE(frmMergeProgress->lblSteps[6]->font().bold());
    EXPECT_EQ(fake::Lib().updates.size(), 2u);

    // A template that is not a document: the error, and a button that closes.
    QFile notADocument(QString::fromStdString(Path("Documents/wordmergetemplate.doc")));
    ASSERT_TRUE(notADocument.open(QIODevice::WriteOnly | QIODevice::Truncate));
    notADocument.write("plain text, not a document");
    notADocument.close();
    boxes_.clear();
    fake::Lib().updates.clear();
    On<TfrmMergeProgress>([](TfrmMergeProgress& form) {
        form.Timer1Tick();
        EXPECT_EQ(form.btnClose->text(), "&Close");
        form.btnClose->click();
        EXPECT_FALSE(form.isVisible());
        return form.result();
    });
    frmMain->MergeClick();
    ASSERT_EQ(BoxTexts().size(), 3u) << "the output question, the rows question, the error";
    EXPECT_NE(BoxTexts()[2].find("wordmergetemplate.doc"), std::string::npos) << BoxTexts()[2];
    EXPECT_TRUE(fake::Lib().updates.empty());
    EXPECT_FALSE(word::IsProgramRunning());
}

// A cancel pressed before the first record is read is heard at the first record.
TEST_F(HostileData, ARetrievalCancelledAtOnceIsStopped) {
    fake::Lib().sources = {Contacts(4)};
    On<TfrmLoadRecords>([](TfrmLoadRecords& form) {
        form.btnCancel->click();
        form.Timer1Tick();
        return form.result();
    });
    Answer({os::IDNO});
    OpenSource("Contacts");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Do you want to keep the records retrieved so far?"});
    EXPECT_EQ(frmMain->gridAll->Tag, 0);
    EXPECT_EQ(frmMain->StatusPanel1->text(), "Record retrieval stopped by user.");
    EXPECT_FALSE(frmLoadRecords->Timer2->isActive()) << "the clock of a finished retrieval stops";
}

} // namespace
