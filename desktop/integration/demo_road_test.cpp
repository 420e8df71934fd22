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
#include "nsfadmin/test_area.h"
#include "os/os.h"
#include "program_state.h"
#include "string_grid.h"
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

TEST(DemoRoad, OpenRetrieveSearchMergeAndWriteBack) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "desktop_integration_tests";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    nsfadmin::TestArea area;
    const QString root = QString::fromStdString(area.Root());
    const std::string demo = std::string(QVL_SOURCE_DIR) + "/desktop/demo/";
    ASSERT_EQ(nsfadmin::BuildFromFile(demo + "qvlds.json"), "");
    ASSERT_EQ(nsfadmin::BuildFromFile(demo + "contacts.json"), "");
    QDir(root).mkpath("Documents");
    QFile::copy(QString::fromStdString(demo + "wordmergetemplate.rtf"),
                root + "/Documents/wordmergetemplate.doc");
    QByteArray home = qgetenv("HOME"), tmp = qgetenv("TMPDIR"), config = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", root.toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
    qputenv("TMPDIR", root.toUtf8());
    char cwd[4096] = {};
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(area.Root().c_str()), 0);
    word::ResetAutomation();

    std::vector<std::string> boxes;
    os::SetMessageBoxHandler([&](const os::MessageBoxRequest& request) {
        boxes.push_back(request.text);
        return (request.flags & 0xF) == os::MB_YESNO ? os::IDYES : os::IDOK;
    });
    SetModalHook([](QDialog& form) {
        if (auto* open = dynamic_cast<TfrmOpen*>(&form)) {
            open->lbDataSources->setCurrentItem(
                open->lbDataSources->findItems("Contacts by Region", Qt::MatchExactly).value(0));
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

    CreateForms();
    frmMain->show();
    frmSplash->Timer1Tick();
    EXPECT_EQ(State().CategoryList, (QStringList{"(Not Categorised)", "Midlands", "North", "South"}));
    EXPECT_EQ(frmMain->gridAll->Tag, 9);
    EXPECT_EQ(frmMain->gridAll->Cell(1, 4), "North");
    EXPECT_EQ(frmMain->gridAll->Cell(2, 4), "Lee");

    frmMain->SearchAddClick();
    EXPECT_EQ(frmFilter->cbValue->count(), 6) << "the towns of the lookup view";
    EXPECT_EQ(frmMain->gridSel->Tag, 2);

    frmMain->MergeClick();
    std::string merged =
        word::ReadDocumentContent(ReadAll(root + "/Documents/" + DefaultOutputName(TodayShortDate()))).text;
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
    EXPECT_EQ(boxes, (std::vector<std::string>{"2 records were added",
                                               "There are 2 rows. Continue with merge?", "Exit Quorvel?"}));

    SetModalHook({});
    os::SetMessageBoxHandler({});
    word::ResetAutomation();
    ASSERT_EQ(chdir(cwd), 0);
    for (auto [variable, value] : {std::pair{"HOME", home}, {"TMPDIR", tmp}, {"XDG_CONFIG_HOME", config}}) {
        if (value.isNull()) {
            qunsetenv(variable);
        } else {
            qputenv(variable, value);
        }
    }
}

} // namespace
