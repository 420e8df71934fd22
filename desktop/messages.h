// The program's message boxes. They go through os::MessageBox, so that the program shows real dialogs and
// the tests answer them by script.
#pragma once

#include <QString>

// Confirmation with Yes and No: true for Yes.
bool Confirm(const QString& text);
// Confirmation with OK and Cancel: true unless Cancel.
bool ConfirmOkCancel(const QString& text);
// Confirmation with Yes, No and Cancel: os::IDYES, os::IDNO or os::IDCANCEL (also for a closed box).
int ConfirmYesNoCancel(const QString& text);
void Inform(const QString& text);
void Warn(const QString& text);
void ShowError(const QString& text);

// The button set of a Yes/No/Cancel box (os.h names only the sets the libraries use).
constexpr unsigned MB_YESNOCANCEL = 0x3;
