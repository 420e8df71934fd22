#include "frm_splash.h"

#include "forms.h"
#include "frm_main.h"
#include "grid_routines.h"
#include "modal.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The program's splash picture, drawn rather than shipped as a file.
QPixmap SplashPicture() {
    QPixmap picture(320, 240);
    picture.fill(QColor(0x1f, 0x3a, 0x5f));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    QFont title = painter.font();
    title.setPointSize(28);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(0, 60, 320, 60), Qt::AlignCenter, kApplicationTitle);
    QFont line = painter.font();
    line.setPointSize(10);
    line.setBold(false);
    painter.setFont(line);
    painter.drawText(QRect(0, 130, 320, 30), Qt::AlignCenter, "Notes documents merged into Word");
    painter.drawText(QRect(0, 200, 320, 30), Qt::AlignCenter, "Version 2.2");
    return picture;
}

} // namespace

TfrmSplash::TfrmSplash(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(320, 240);
    imgSplash = new QLabel(this);
    imgSplash->setPixmap(SplashPicture());
    imgSplash->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(imgSplash);
    CentreOnScreen(*this);
    Timer1 = new QTimer(this);
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &TfrmSplash::Timer1Tick);
    Timer1->start();
}

void TfrmSplash::Timer1Tick() {
    close();
}

bool TfrmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (watched == imgSplash && event->type() == QEvent::MouseButtonRelease) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmSplash::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (!FirstClose) return;
    FirstClose = false;
    Timer1->stop();
    hide();
    frmMain->OpenAndLoadCategories();
}

void TfrmSplash::ShowAbout() {
    Timer1->stop();
    ShowModal(*this);
}
