// The button row that ends the program's dialogs: a default button and "Cancel", on the right.
#pragma once

#include <QString>

class QHBoxLayout;
class QPushButton;

struct DialogButtons {
    QPushButton* ok;
    QPushButton* cancel;
    QHBoxLayout* row;
};

DialogButtons MakeDialogButtons(const QString& okCaption);
