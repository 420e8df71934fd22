#include "dialog_buttons.h"

#include <QHBoxLayout>
#include <QPushButton>

DialogButtons MakeDialogButtons(const QString& okCaption) {
    DialogButtons buttons{new QPushButton(okCaption), new QPushButton("Cancel"), new QHBoxLayout};
    buttons.ok->setDefault(true);
    buttons.row->addStretch();
    buttons.row->addWidget(buttons.ok);
    buttons.row->addWidget(buttons.cancel);
    return buttons;
}
