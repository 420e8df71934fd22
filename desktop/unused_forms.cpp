#include "unused_forms.h"

#include "forms.h"
#include "frm_main.h"
#include "grid_routines.h"

#include <QApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About");
    lblName = new QLabel;
    QFont bold = lblName->font();
    bold.setBold(true);
    lblName->setFont(bold);
    auto* ok = new QPushButton("OK");
    ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblName);
    layout->addWidget(new QLabel("Version 2.2"));
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverForm(this, frmMain);
    lblName->setText(frmMain->windowTitle());
    setWindowIcon(QApplication::windowIcon());
}

TfrmExit::TfrmExit(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Exit Quorvel ?");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* yes = new QPushButton("Yes");
    auto* no = new QPushButton("No");
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("Exit Quorvel ?"), 0, 0, 1, 2);
    layout->addWidget(yes, 1, 0);
    layout->addWidget(no, 1, 1);
    connect(yes, &QPushButton::clicked, this, &QWidget::close);
    connect(no, &QPushButton::clicked, this, &QWidget::close);
}

TfrmSortRecord::TfrmSortRecord(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Please Wait");
    btnCancel = new QPushButton("Cancel");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Sorting Records"));
    layout->addWidget(new QLabel("Initializing Grid"));
    layout->addWidget(new QLabel);
    layout->addWidget(btnCancel);
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TfrmSortRecord::Timer1Tick);
    Timer1->start();
}

// No grid is ever chosen for sorting, so the one tick finds nothing to do.
void TfrmSortRecord::Timer1Tick() {
    btnCancel->setText("Done");
    Timer1->stop();
    close();
}

TfrmDataSource::TfrmDataSource(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Create/Edit Data Source");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Database:"));
    layout->addWidget(new QLabel("Views and Folders:"));
    auto* grid = new QTableWidget(0, 2);
    grid->verticalHeader()->hide();
    layout->addWidget(grid);
}

void TfrmDataSource::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverForm(this, frmMain);
}
