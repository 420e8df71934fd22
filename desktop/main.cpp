// quorvel: merges documents of Notes databases into Word documents.
#include "dialog_message_box.h"
#include "forms.h"
#include "frm_main.h"
#include "graphical_session.h"

#include <QApplication>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
    if (!HasGraphicalSession(argc, argv)) {
        std::fputs(kNoGraphicalSession, stderr);
        return kNoGraphicalSessionStatus;
    }
    std::unique_ptr<QApplication> app;
    {
        DisplayFailureGuard guard;
        app = std::make_unique<QApplication>(argc, argv);
    }
    InstallDialogMessageBoxes();
    CreateForms();
    frmMain->show();
    int result = app->exec();
    DestroyForms();
    return result;
}
