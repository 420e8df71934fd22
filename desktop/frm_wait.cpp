#include "frm_wait.h"

#include "forms.h"
#include "frm_main.h"
#include "grid_routines.h"
#include "modal.h"

#include <QLabel>
#include <QVBoxLayout>

TfrmWait::TfrmWait(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Please Wait");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(186, 59);
    lblMessage = new QLabel(this);
    lblMessage->setAlignment(Qt::AlignCenter);
    lblMessage->setFixedWidth(177);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMessage, 0, Qt::AlignCenter);
}

void TfrmWait::ShowWaitMessage(const QString& text) {
    lblMessage->setText(text);
    show();
    ProcessMessages();
}

void TfrmWait::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverForm(this, frmMain);
}
