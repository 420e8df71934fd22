// Modal results, modal showing and message pumping: the few toolkit services every form relies on.
#pragma once

#include <QDialog>

#include <functional>

// Modal results of the forms.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2;

// Shows a form modally and returns its modal result. With a hook installed (tests), the form is shown
// without a nested loop and the hook drives it and returns the result.
int ShowModal(QDialog& form);

using ModalHook = std::function<int(QDialog&)>;
// Installs a hook and returns the previous one.
ModalHook SetModalHook(ModalHook hook);

// Processes the window messages that are pending now, once.
void ProcessMessages();

// Shows the hourglass cursor while it lives.
class HourglassCursor {
public:
    HourglassCursor();
    ~HourglassCursor();
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;
};
