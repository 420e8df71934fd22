// The program's thirteen forms: created once at start, in this order, and reached through one program-wide
// reference each. The main window owns the others.
#pragma once

#include <QWidget>

#include <vector>

class TfrmMain;
class TfrmFilter;
class TfrmMerge;
class TfrmDataSource;
class TfrmOpen;
class TfrmLoadRecords;
class TfrmAbout;
class TfrmMergeProgress;
class TfrmWait;
class TfrmCategory;
class TfrmSplash;
class TfrmSortRecord;
class TfrmExit;

extern TfrmMain* frmMain;
extern TfrmFilter* frmFilter;
extern TfrmMerge* frmMerge;
extern TfrmDataSource* frmDataSource;
extern TfrmOpen* frmOpen;
extern TfrmLoadRecords* frmLoadRecords;
extern TfrmAbout* frmAbout;
extern TfrmMergeProgress* frmMergeProgress;
extern TfrmWait* frmWait;
extern TfrmCategory* frmCategory;
extern TfrmSplash* frmSplash;
extern TfrmSortRecord* frmSortRecord;
extern TfrmExit* frmExit;

// The application's title.
inline constexpr const char* kApplicationTitle = "Quorvel";

// Sets the application title and creates the forms; the splash form shows itself at once.
void CreateForms();
// Deletes every form and resets the program-wide state (the program's end; tests start again after it).
void DestroyForms();
// The forms in the order they were created.
const std::vector<QWidget*>& FormsInCreationOrder();
