#include "forms.h"

#include "frm_category.h"
#include "frm_filter.h"
#include "frm_load_records.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "frm_merge_progress.h"
#include "frm_open.h"
#include "frm_splash.h"
#include "frm_wait.h"
#include "program_state.h"
#include "unused_forms.h"

#include <QApplication>

TfrmMain* frmMain = nullptr;
TfrmFilter* frmFilter = nullptr;
TfrmMerge* frmMerge = nullptr;
TfrmDataSource* frmDataSource = nullptr;
TfrmOpen* frmOpen = nullptr;
TfrmLoadRecords* frmLoadRecords = nullptr;
TfrmAbout* frmAbout = nullptr;
TfrmMergeProgress* frmMergeProgress = nullptr;
TfrmWait* frmWait = nullptr;
TfrmCategory* frmCategory = nullptr;
TfrmSplash* frmSplash = nullptr;
TfrmSortRecord* frmSortRecord = nullptr;
TfrmExit* frmExit = nullptr;

namespace {

std::vector<QWidget*>& Created() {
    static std::vector<QWidget*> forms;
    return forms;
}

template <typename Form>
Form* Create(Form*& reference) {
    reference = new Form(frmMain);
    Created().push_back(reference);
    return reference;
}

} // namespace

void CreateForms() {
    // The application name only: a display name would be appended by Qt to every caption.
    QApplication::setApplicationName(kApplicationTitle);
    State() = ProgramState{};
    Created().clear();
    frmMain = new TfrmMain();
    Created().push_back(frmMain);
    Create(frmFilter);
    Create(frmMerge);
    Create(frmDataSource);
    Create(frmOpen);
    Create(frmLoadRecords);
    Create(frmAbout);
    Create(frmMergeProgress);
    Create(frmWait);
    Create(frmCategory);
    Create(frmSplash)->show();
    Create(frmSortRecord);
    Create(frmExit);
}

void DestroyForms() {
    delete frmMain;
    frmMain = nullptr;
    frmFilter = nullptr;
    frmMerge = nullptr;
    frmDataSource = nullptr;
    frmOpen = nullptr;
    frmLoadRecords = nullptr;
    frmAbout = nullptr;
    frmMergeProgress = nullptr;
    frmWait = nullptr;
    frmCategory = nullptr;
    frmSplash = nullptr;
    frmSortRecord = nullptr;
    frmExit = nullptr;
    Created().clear();
    State() = ProgramState{};
}

const std::vector<QWidget*>& FormsInCreationOrder() {
    return Created();
}
