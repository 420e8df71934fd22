// The whole road on the demo databases with the real data-access library: open a categorised source, read
// its categories, retrieve, search with keyword values from a lookup view, merge into Word and find the
// description written back into the merged documents.
#include "forms.h"
#include "frm_category.h"
#include "frm_filter.h"
#include "frm_load_records.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "frm_merge_progress.h"
#include "frm_open.h"
#include "frm_splash.h"
#include "merge_names.h"
#include "modal.h"
#include "nsfadmin/nsfadmin.h"
#include "os/os.h"
#include "program_state.h"
#include "string_grid.h"
#include "testsupport/test_area.h"
#include "word/reader.h"
#include "word/word.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <sstream>
#include <unistd.h>

// Fontconfig keeps its caches for the life of the process; they are not ours to free.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

std::string ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// An area of its own with the demo's settings, documents folder and template, the area as current folder, and
// scripted answers: every box Yes or OK, each form as the test's script says.
class DemoRoad : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "desktop_integration_tests";
        static char* argv[] = {name, nullptr};
        static QApplication app(argc, argv);
    }

    void SetUp() override {
        root_ = QString::fromStdString(area_.Root());
        QDir(root_).mkpath("Documents");
        QFile::copy(QString::fromStdString(demo_ + "wordmergetemplate.rtf"),
                    root_ + "/Documents/wordmergetemplate.doc");
        home_ = qgetenv("HOME");
        tmp_ = qgetenv("TMPDIR");
        config_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", root_.toUtf8());
        qputenv("XDG_CONFIG_HOME", (root_ + "/config").toUtf8());
        qputenv("TMPDIR", root_.toUtf8());
        char cwd[4096] = {};
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        cwd_ = cwd;
        ASSERT_EQ(chdir(area_.Root().c_str()), 0);
        word::ResetAutomation();
        os::SetMessageBoxHandler([this](const os::MessageBoxRequest& request) {
            boxes_.push_back(request.text);
            return (request.flags & 0xF) == os::MB_YESNO ? os::IDYES : os::IDOK;
        });
        SetModalHook([this](QDialog& form) {
            if (auto* open = dynamic_cast<TfrmOpen*>(&form)) {
                open->lbDataSources->setCurrentItem(
                    open->lbDataSources->findItems(QString::fromStdString(source_), Qt::MatchExactly)
                        .value(0));
                open->btnOpen->click();
            } else if (auto* category = dynamic_cast<TfrmCategory*>(&form)) {
                category->btnOk->click();
            } else if (auto* loader = dynamic_cast<TfrmLoadRecords*>(&form)) {
                loader->Timer1Tick();
            } else if (auto* filter = dynamic_cast<TfrmFilter*>(&form)) {
                filter->cbFields->setCurrentIndex(4);
                filter->FieldChosen(4);
                filter->cbOperator->setCurrentIndex(0);
                filter->cbValue->setCurrentIndex(filter->cbValue->findText("Leeds"));
                filter->btnOk->click();
            } else if (auto* merge = dynamic_cast<TfrmMerge*>(&form)) {
                merge->edName->setText("Catalogue 2027");
                merge->btnRun->click();
            } else if (auto* progress = dynamic_cast<TfrmMergeProgress*>(&form)) {
                progress->Timer1Tick();
            }
            return form.result();
        });
    }

    void TearDown() override {
        DestroyForms();
        SetModalHook({});
        os::SetMessageBoxHandler({});
        word::ResetAutomation();
        ASSERT_EQ(chdir(cwd_.c_str()), 0);
        for (auto [variable, value] :
             {std::pair{"HOME", home_}, {"TMPDIR", tmp_}, {"XDG_CONFIG_HOME", config_}}) {
            if (value.isNull()) {
                qunsetenv(variable);
            } else {
                qputenv(variable, value);
            }
        }
    }

    // Starts the program: its forms, the main window, and the splash's first close, which opens source_.
    void Start() {
        CreateForms();
        frmMain->show();
        frmSplash->Timer1Tick();
    }

    testsupport::TestArea area_;
    const std::string demo_ = std::string(QVL_SOURCE_DIR) + "/desktop/demo/";
    QString root_;
    std::string source_ = "Contacts by Region";
    std::vector<std::string> boxes_;

private:
    QByteArray home_, tmp_, config_;
    std::string cwd_;
};

TEST_F(DemoRoad, OpenRetrieveSearchMergeAndWriteBack) {
    ASSERT_EQ(nsfadmin::BuildFromFile(demo_ + "qvlds.json"), "");
    ASSERT_EQ(nsfadmin::BuildFromFile(demo_ + "contacts.json"), "");
    Start();
    EXPECT_EQ(State().CategoryList, (QStringList{"(Not Categorised)", "Midlands", "North", "South"}));
    EXPECT_EQ(frmMain->gridAll->Tag, 9);
    EXPECT_EQ(frmMain->gridAll->Cell(1, 4), "North");
    EXPECT_EQ(frmMain->gridAll->Cell(2, 4), "Lee");

    frmMain->SearchAddClick();
    EXPECT_EQ(frmFilter->cbValue->count(), 6) << "the towns of the lookup view";
    EXPECT_EQ(frmMain->gridSel->Tag, 2);

    frmMain->MergeClick();
    std::string merged =
        word::ReadDocumentContent(ReadAll(root_ + "/Documents/" + DefaultOutputName(TodayShortDate()))).text;
    EXPECT_NE(merged.find("Dear Ann"), std::string::npos) << merged;
    EXPECT_NE(merged.find("Dear Mary"), std::string::npos) << merged;

    frmMain->close();
    DestroyForms();
    std::ostringstream dump;
    EXPECT_EQ(nsfadmin::Dump("demo/contacts.nsf", "", dump), "");
    std::string documents = dump.str();
    size_t first = documents.find("\"MergeHistory\":\"Catalogue 2027\"");
    ASSERT_NE(first, std::string::npos) << documents;
    EXPECT_NE(documents.find("\"MergeHistory\":\"Catalogue 2027\"", first + 1), std::string::npos)
        << documents;
    EXPECT_EQ(boxes_, (std::vector<std::string>{"2 records were added",
                                                "There are 2 rows. Continue with merge?", "Exit Quorvel?"}));
}

// A view categorised by region and then by district: the grid holds the documents only, each with its
// region, the categories offered are the regions, and a merge of everything writes to documents only.
TEST_F(DemoRoad, ATwoLevelViewGivesDocumentsOnly) {
    std::string documents;
    for (const char* region : {"North", "South", ""}) {
        for (const char* district : {"Leeds", "York", ""}) {
            for (const char* name : {"Ann", "Bo"}) {
                documents += std::string(documents.empty() ? "" : ",") + R"({"Region": ")" + region +
                             R"(", "District": ")" + district + R"(", "Name": ")" + name + "\"}";
            }
        }
    }
    ASSERT_EQ(area_.Build(R"({"path": "qvlds.nsf", "views": [{"name": "DataSources", "columns": [
        {"title": "DataSourceName", "item": "DataSourceName", "sorted": true},
        {"title": "ServerName", "item": "ServerName"}, {"title": "DatabaseName", "item": "DatabaseName"},
        {"title": "ViewName", "item": "ViewName"}, {"title": "MergeHistField", "item": "MergeHistField"},
        {"title": "PrimarySearchField", "item": "PrimarySearchField"},
        {"title": "LookupFields", "item": "LookupFields"}]}],
      "documents": [{"DataSourceName": "Districts", "ServerName": "", "DatabaseName": "districts.nsf",
                     "ViewName": "By District", "MergeHistField": "MergeHistory", "PrimarySearchField": "Name",
                     "LookupFields": []}]})"),
              "");
    ASSERT_EQ(area_.Build(R"({"path": "districts.nsf", "views": [{"name": "By District", "columns": [
        {"title": "Region", "item": "Region", "sorted": true, "categorised": true},
        {"title": "District", "item": "District", "sorted": true, "categorised": true},
        {"title": "Name", "item": "Name", "sorted": true}]}], "documents": [)" +
                          documents + "]}"),
              "");
    // A template of the one field the view has besides its categories.
    auto word = word::CreateObject(word::kProgramId);
    word->Invoke("FileNewDefault");
    word->Invoke("InsertMergeField", {word::Named("MergeField", "Name")});
    word->Invoke("FileSaveAs",
                 {word::Positional((root_ + "/Documents/wordmergetemplate.doc").toStdString())});
    word->Invoke("AppClose");
    word::ResetAutomation();

    source_ = "Districts";
    Start();
    EXPECT_EQ(State().CategoryList.join('|').toStdString(), "(Not Categorised)|North|South");
    StringGrid& grid = *frmMain->gridAll;
    ASSERT_EQ(grid.Tag, 18);
    for (int row = 1; row <= grid.Tag; ++row) {
        EXPECT_NE(grid.Cell(4, row).toInt(), 0) << "row " << row << ": " << grid.Cell(2, row).toStdString();
        EXPECT_FALSE(grid.Cell(3, row).isEmpty()) << "row " << row;
    }
    EXPECT_EQ(grid.Cell(1, 1), "");
    EXPECT_EQ(grid.Cell(1, 7), "North");
    EXPECT_EQ(grid.Cell(1, 13), "South") << "a district without a name keeps its region";
    EXPECT_EQ(grid.Cell(1, 18), "South");

    frmMain->AddAllClick();
    frmMain->MergeClick();
    frmMain->close();
    DestroyForms();
    std::ostringstream dump;
    EXPECT_EQ(nsfadmin::Dump("districts.nsf", "", dump), "");
    const std::string written = dump.str();
    size_t count = 0;
    for (size_t at = written.find("Catalogue 2027"); at != std::string::npos;
         at = written.find("Catalogue 2027", at + 1)) {
        ++count;
    }
    EXPECT_EQ(count, 18u) << written;
}

} // namespace
