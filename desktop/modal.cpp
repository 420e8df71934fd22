#include "modal.h"

#include <QApplication>
#include <QCoreApplication>

namespace {

ModalHook& Hook() {
    static ModalHook hook;
    return hook;
}

} // namespace

int ShowModal(QDialog& form) {
    if (!Hook()) return form.exec();
    form.setResult(mrNone);
    form.show();
    int result = Hook()(form);
    form.hide();
    return result;
}

ModalHook SetModalHook(ModalHook hook) {
    ModalHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

void ProcessMessages() {
    QCoreApplication::processEvents();
}

HourglassCursor::HourglassCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

HourglassCursor::~HourglassCursor() {
    QApplication::restoreOverrideCursor();
}
