// quorvel: merges documents of Notes databases into Word documents.
#include "dialog_message_box.h"
#include "forms.h"
#include "frm_main.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    InstallDialogMessageBoxes();
    CreateForms();
    frmMain->show();
    int result = app.exec();
    DestroyForms();
    return result;
}
