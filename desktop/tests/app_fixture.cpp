#include "app_fixture.h"

#include "file_dialog.h"
#include "forms.h"
#include "frm_category.h"
#include "frm_load_records.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "frm_merge_progress.h"
#include "frm_open.h"
#include "frm_splash.h"
#include "word/word.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

// Fontconfig keeps its caches for the life of the process; they are not ours to free.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

QApplication* application = nullptr;

void SetEnv(const char* name, const QByteArray& value) {
    if (value.isNull()) {
        qunsetenv(name);
    } else {
        qputenv(name, value);
    }
}

} // namespace

void AppTest::SetUpTestSuite() {
    if (application) return;
    // The forms run without a display, however the test is started.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "desktop_tests";
    static char* argv[] = {name, nullptr};
    application = new QApplication(argc, argv);
}

void AppTest::SetUp() {
    ASSERT_TRUE(dir_.isValid());
    oldHome_ = qgetenv("HOME");
    oldTmp_ = qgetenv("TMPDIR");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", dir_.path().toUtf8());
    qputenv("TMPDIR", dir_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (dir_.path() + "/config").toUtf8());
    QDir(dir_.path()).mkpath("Documents");
    char cwd[4096] = {};
    oldDir_ = getcwd(cwd, sizeof cwd) ? cwd : "/";
    ASSERT_EQ(chdir(dir_.path().toUtf8().constData()), 0);

    fake::Reset();
    word::ResetAutomation();
    os::SetMessageBoxHandler([this](const os::MessageBoxRequest& request) {
        boxes_.push_back(request);
        if (!answers_.empty()) {
            int answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        return (request.flags & 0xF) == os::MB_YESNO ? os::IDYES : os::IDOK;
    });
    SetModalHook([this](QDialog& form) {
        ++shown_[typeid(form)];
        auto script = scripts_.find(typeid(form));
        if (script == scripts_.end()) {
            ADD_FAILURE() << "unscripted modal form " << form.windowTitle().toStdString();
            return mrCancel;
        }
        return script->second(form);
    });
    SetFileDialogHook([this](FileDialog& dialog) {
        if (dialogAnswer.empty()) return false;
        dialog.FileName = QString::fromStdString(dialogAnswer);
        return true;
    });
    On<TfrmOpen>([](TfrmOpen& form) {
        form.lbDataSources->setCurrentRow(form.lbDataSources->count() - 1);
        form.btnOpen->click();
        return form.result();
    });
    On<TfrmCategory>([](TfrmCategory& form) {
        form.btnOk->click();
        return form.result();
    });
    On<TfrmLoadRecords>([](TfrmLoadRecords& form) {
        form.Timer1Tick();
        return form.result();
    });

    CreateForms();
    frmSplash->Timer1->stop();
    frmMain->show();
    frmMain->FormActivate();
}

void AppTest::TearDown() {
    DestroyForms();
    SetModalHook({});
    SetFileDialogHook({});
    os::SetMessageBoxHandler({});
    word::ResetAutomation();
    ASSERT_EQ(chdir(oldDir_.c_str()), 0);
    SetEnv("HOME", oldHome_);
    SetEnv("TMPDIR", oldTmp_);
    SetEnv("XDG_CONFIG_HOME", oldConfig_);
}

std::vector<std::string> AppTest::BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes_)
        texts.push_back(box.text);
    return texts;
}

fake::Source AppTest::Contacts(int rows) {
    fake::Source source{"Contacts", "MergeHistory", {"Last Name", "First Name", "Town"}, false, {}, {}, true};
    for (int i = 1; i <= rows; ++i) {
        source.rows.push_back(
            {{"Last" + std::to_string(i), "First" + std::to_string(i), "Town" + std::to_string(i)}, 100 + i});
    }
    source.keywords["Town"] = {"Leeds", "York"};
    return source;
}

fake::Source AppTest::Regions() {
    fake::Source source{"Regions", "MergeHistory", {"Region", "Name", "Town"}, true, {}, {}, true};
    source.rows = {{{"A", "Ann", "Leeds"}, 11},
                   {{"A", "Bo", "York"}, 12},
                   {{"B", "Cy", "Hull"}, 13},
                   {{"C", "Di", "Bath"}, 14},
                   {{"C", "Ed", "Ely"}, 15}};
    return source;
}

void AppTest::ChooseCategories(std::vector<int> rows, bool ignoreDuplicates) {
    On<TfrmCategory>([rows, ignoreDuplicates](TfrmCategory& form) {
        for (int row : rows)
            form.lbCategories->item(row)->setSelected(true);
        form.chkIgnoreDuplicates->setChecked(ignoreDuplicates);
        form.btnOk->click();
        return form.result();
    });
}

void AppTest::OpenSource(const std::string& name) {
    On<TfrmOpen>([name](TfrmOpen& form) {
        auto items = form.lbDataSources->findItems(QString::fromStdString(name), Qt::MatchExactly);
        if (!items.isEmpty()) form.lbDataSources->setCurrentItem(items.front());
        form.btnOpen->click();
        return form.result();
    });
    frmMain->OpenAndLoadCategories();
}

std::string AppTest::Path(const std::string& name) const {
    return (dir_.path() + "/" + QString::fromStdString(name)).toStdString();
}

std::string AppTest::ReadFile(const std::string& path) const {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

void AppTest::ScriptMergeForm(const QString& description) {
    On<TfrmMerge>([description](TfrmMerge& form) {
        form.edName->setText(description);
        form.btnRun->click();
        return form.result();
    });
}

void AppTest::ScriptMergeSteps() {
    On<TfrmMergeProgress>([](TfrmMergeProgress& form) {
        form.Timer1Tick();
        return form.result();
    });
}
