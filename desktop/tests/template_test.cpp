// Creating a merge template: the header record and fields from the column names, the Word command
// sequences when Word is started or attached, a cancelled save and a missing Word.
#include "app_fixture.h"

#include "forms.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "word/reader.h"
#include "word/word.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

class Template : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        fake::Source source{"Post", "", {"Name", "", "Post Code"}, false, {}, {}, true};
        source.rows = {{{"Ann", "x", "LS1"}, 3}};
        fake::Lib().sources = {source};
        OpenSource("Post");
        dialogAnswer = Path("Documents/letter.doc");
    }
};

TEST_F(Template, StartedWordGetsTheFieldsAndIsClosed) {
    frmMain->mnuCreateTemplate->trigger();
    EXPECT_EQ(word::ReceivedCommands(),
              (std::vector<std::string>{
                  "AppHide()", "FileNewDefault()",
                  "MailMergeCreateHeaderSource(FileName:=\"testmerge.tmp\", "
                  "HeaderRecord:=\"Name,Post_Code\")",
                  "InsertMergeField(MergeField:=\"Name\")", "InsertMergeField(MergeField:=\"Post_Code\")",
                  "FileSaveAs(\"" + dialogAnswer + "\")", "FileClose(2)", "FileClose(2)", "FileExit(2)"}));
    EXPECT_FALSE(word::IsProgramRunning());
    EXPECT_EQ(frmMerge->edTemplate->text().toStdString(), dialogAnswer);
    EXPECT_EQ(ReadFile(Path("testmerge.tmp")), "Name,Post_Code\r\n") << "a relative name: the current folder";
    word::DocumentContent content = word::ReadDocumentContent(ReadFile(dialogAnswer));
    EXPECT_EQ(content.fields, (std::vector<std::string>{" MERGEFIELD Name ", " MERGEFIELD Post_Code "}));
    EXPECT_TRUE(frmMain->SaveDialog.InitialDir.isEmpty());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Template, RunningWordIsNotClosed) {
    auto running = word::CreateObject(word::kProgramId);
    frmMain->CreateTemplateClick();
    std::vector<std::string> commands = word::ReceivedCommands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), "AppMinimize(1)");
    EXPECT_EQ(commands.back(), "FileClose(2)");
    EXPECT_TRUE(word::IsProgramRunning());
}

TEST_F(Template, CancelledSaveLeavesNothingAndClosesTheWordItStarted) {
    dialogAnswer.clear();
    frmMain->CreateTemplateClick();
    EXPECT_EQ(word::ReceivedCommands(),
              (std::vector<std::string>{"AppHide()", "FileNewDefault()", "FileExit(2)"}));
    EXPECT_EQ(frmMerge->edTemplate->text(), "");
}

TEST_F(Template, WithoutWordNothingIsSaved) {
    word::SetProgramAvailable(false);
    frmMain->CreateTemplateClick();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Could not start Microsoft Word."});
    EXPECT_TRUE(word::ReceivedCommands().empty());
    EXPECT_TRUE(ReadFile(dialogAnswer).empty());
}

TEST_F(Template, TheCreatedTemplateIsTheOneMerged) {
    frmMain->CreateTemplateClick();
    On<TfrmMerge>([](TfrmMerge& form) {
        EXPECT_EQ(form.TemplatePath(), form.edTemplate->text());
        form.btnCancel->click();
        return form.result();
    });
    frmMain->AddAllClick();
    frmMain->MergeClick();
}

} // namespace
