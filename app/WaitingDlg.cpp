#include "WaitingDlg.h"

#include "ui_WaitingDlg.h"

#include <QMovie>

WaitingDlg::WaitingDlg(QWidget* parent) : QDialog(parent), ui(new Ui::WaitingDlg)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowModality(Qt::WindowModal);

    ui->label->setAttribute(Qt::WA_TranslucentBackground);
    ui->label->setScaledContents(true);
    auto* busy = new QMovie(QStringLiteral(":/images/waiting.gif"), QByteArray(), this);
    ui->label->setMovie(busy);
    busy->start();

    ui->label_2->clear();
    ui->pushButton->hide();
}

WaitingDlg::~WaitingDlg()
{
    delete ui;
}

void WaitingDlg::processUpdate(const QString& text)
{
    ui->label_2->setText(text);
}

void WaitingDlg::on_pushButton_clicked()
{
    emit sigCancel();
    reject();
}
