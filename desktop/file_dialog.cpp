#include "file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

FileDialogHook& Hook() {
    static FileDialogHook hook;
    return hook;
}

// "Caption|*.a;*.b|..." as the system's dialog takes it: "Caption (*.a *.b);;...".
QString QtFilter(const QString& filter) {
    QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) + ")";
    return filters.join(";;");
}

} // namespace

FileDialog::FileDialog(Kind kind, QString defaultExt, QString filter)
    : kind(kind), DefaultExt(std::move(defaultExt)), Filter(std::move(filter)) {}

bool FileDialog::Execute(QWidget* parent) {
    if (Hook()) return Hook()(*this);
    QFileDialog dialog(parent);
    Prepare(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    FileName = QDir::toNativeSeparators(dialog.selectedFiles().front());
    return true;
}

void FileDialog::Prepare(QFileDialog& dialog) const {
    dialog.setWindowTitle(Title);
    dialog.setAcceptMode(kind == Kind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(kind == Kind::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QtFilter(Filter));
    dialog.setDefaultSuffix(DefaultExt);
    if (!InitialDir.isEmpty()) dialog.setDirectory(InitialDir);
    if (!FileName.isEmpty()) dialog.selectFile(FileName);
}

FileDialogHook SetFileDialogHook(FileDialogHook hook) {
    FileDialogHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}
