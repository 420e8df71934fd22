#include "dialog_message_box.h"

#include "messages.h"
#include "os/os.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon IconOf(unsigned flags) {
    switch (flags & 0xF0) {
    case os::MB_ICONERROR:
        return QMessageBox::Critical;
    case os::MB_ICONQUESTION:
        return QMessageBox::Question;
    case os::MB_ICONWARNING:
        return QMessageBox::Warning;
    case os::MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons ButtonsOf(unsigned flags) {
    switch (flags & 0xF) {
    case os::MB_OKCANCEL:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNOCANCEL:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case os::MB_YESNO:
        return QMessageBox::Yes | QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

int AnswerOf(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return os::IDYES;
    case QMessageBox::No:
        return os::IDNO;
    case QMessageBox::Ok:
        return os::IDOK;
    default:
        return os::IDCANCEL;
    }
}

} // namespace

void InstallDialogMessageBoxes() {
    os::SetMessageBoxHandler([](const os::MessageBoxRequest& request) {
        QString caption = request.caption.empty() ? QApplication::applicationDisplayName()
                                                  : QString::fromStdString(request.caption);
        QMessageBox box(IconOf(request.flags), caption, QString::fromStdString(request.text),
                        ButtonsOf(request.flags), QApplication::activeWindow());
        return AnswerOf(box.exec());
    });
}
