// A file dialog as the forms keep it between runs: title, filter, default extension, initial folder and the
// last file name. Running it shows the system's dialog, or asks a test hook.
#pragma once

#include <QString>

#include <functional>

class QFileDialog;
class QWidget;

class FileDialog {
public:
    enum class Kind { Open, Save };

    FileDialog(Kind kind, QString defaultExt, QString filter);

    Kind kind;
    QString Title;
    QString DefaultExt;
    // Pairs of caption and patterns separated by "|", the patterns of one caption by ";":
    // "Word Document|*.doc;*.rtf|All Files|*.*".
    QString Filter;
    QString InitialDir;
    QString FileName;

    // True when the user chose a file; FileName then holds its full path.
    bool Execute(QWidget* parent);
    // Gives the system's dialog the kind, title, filter, default extension, folder and file name.
    void Prepare(QFileDialog& dialog) const;
};

using FileDialogHook = std::function<bool(FileDialog&)>;
// Installs a hook (tests) that answers in place of the system's dialog; returns the previous one.
FileDialogHook SetFileDialogHook(FileDialogHook hook);
