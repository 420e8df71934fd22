#include "messages.h"

#include "os/os.h"

namespace {

int Show(const QString& text, const char* caption, unsigned flags) {
    return os::MessageBox(text.toStdString(), caption, flags);
}

} // namespace

bool Confirm(const QString& text) {
    return Show(text, "Confirm", os::MB_YESNO | os::MB_ICONQUESTION) == os::IDYES;
}

bool ConfirmOkCancel(const QString& text) {
    return Show(text, "Confirm", os::MB_OKCANCEL | os::MB_ICONQUESTION) != os::IDCANCEL;
}

int ConfirmYesNoCancel(const QString& text) {
    int answer = Show(text, "Confirm", MB_YESNOCANCEL | os::MB_ICONQUESTION);
    return answer == os::IDYES || answer == os::IDNO ? answer : os::IDCANCEL;
}

void Inform(const QString& text) {
    Show(text, "Information", os::MB_OK | os::MB_ICONINFORMATION);
}

void Warn(const QString& text) {
    Show(text, "Warning", os::MB_OK | os::MB_ICONWARNING);
}

void ShowError(const QString& text) {
    Show(text, "Error", os::MB_OK | os::MB_ICONERROR);
}
