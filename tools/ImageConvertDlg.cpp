#include "ImageConvertDlg.h"

#include "BackgroundTask.h"
#include "CommonDialogs.h"
#include "FolderImages.h"
#include "WaitingDlg.h"
#include "ui_ImageConvertDlg.h"

#include <QDebug>
#include <QFileDialog>
#include <QPushButton>
#include <QStandardItemModel>
#include <QThreadPool>
#include <QTimer>

namespace {

const QColor kBlue(QStringLiteral("#0000FF"));
const QColor kRed(QStringLiteral("#FF0000"));
const QColor kWhite(QStringLiteral("#FFFFFF"));

} // namespace

ImageConvertDlg::ImageConvertDlg(QWidget* parent)
    : QDialog(parent), ui(new Ui::ImageConvertDlg), m_model(new QStandardItemModel(this))
{
    ui->setupUi(this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("名称"), QStringLiteral("图片数量")});
    ui->tb_folder->setModel(m_model);
}

ImageConvertDlg::~ImageConvertDlg()
{
    delete ui;
}

void ImageConvertDlg::setRootDir(const QString& root)
{
    m_rootDir = root;
    loadFolders();
}

void ImageConvertDlg::loadFolders()
{
    if (m_rootDir.isEmpty())
        return;
    m_folderImages = FolderImages::load(m_rootDir);
    m_model->removeRows(0, m_model->rowCount());
    for (auto it = m_folderImages.constBegin(); it != m_folderImages.constEnd(); ++it) {
        auto* count = new QStandardItem(QString::number(it.value().size()));
        m_model->appendRow({new QStandardItem(it.key()), count});
    }
    qDebug() << "init datamap" << m_folderImages;
}

void ImageConvertDlg::on_btn_loadFolder_clicked()
{
    const QString chosen =
        QFileDialog::getExistingDirectory(this, QString(), m_rootDir, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return;
    setRootDir(chosen);
}

void ImageConvertDlg::on_btn_convert2jpg_clicked()
{
    runOperation(ConvertRunner::Operation::ToJpg, QStringLiteral("转换为JPG格式已完成"));
}

void ImageConvertDlg::on_btn_convert2tif_clicked()
{
    runOperation(ConvertRunner::Operation::ToTif, QStringLiteral("转换为TIF格式已完成"));
}

void ImageConvertDlg::on_btn_merge2tif_clicked()
{
    runOperation(ConvertRunner::Operation::MergeTif, QStringLiteral("合并多页TIF已完成"));
}

void ImageConvertDlg::on_btn_merge2pdf_clicked()
{
    runOperation(ConvertRunner::Operation::MergePdf, QStringLiteral("合并PDF已完成"));
}

void ImageConvertDlg::on_btn_merge2pdf2_clicked()
{
    showToast(QStringLiteral("暂不支持该功能"), kBlue, kWhite);
}

void ImageConvertDlg::runOperation(ConvertRunner::Operation operation, const QString& finishText)
{
    if (m_rootDir.isEmpty())
        return;
    QThreadPool::globalInstance()->setMaxThreadCount(8);
    ConvertRunner runner(m_rootDir, m_folderImages);
    runner.setPdfa(ui->cb_pdfa->isChecked());
    runner.setTiffLzw(ui->cb_tif_lzw->isChecked());
    // The waiting dialog hides its cancel button unless asked; a long run may be stopped.
    QTimer::singleShot(0, this, [this] {
        if (auto* waiting = findChild<WaitingDlg*>()) {
            if (auto* cancel = waiting->findChild<QPushButton*>(QStringLiteral("pushButton")))
                cancel->show();
        }
    });
    ConvertSummary summary;
    BackgroundTask::run(this, [&runner, &summary, operation](TaskContext& context) {
        ConvertRunner::Hooks hooks;
        hooks.progress = [&context](const QString& text) { context.progress(text); };
        hooks.cancelled = [&context] { return context.cancelled(); };
        summary = runner.run(operation, hooks);
    });
    m_summary = summary;
    loadFolders();
    ui->lb_info->setText(summary.text());
    // The operation's own notice, and the counts; red when a file failed.
    showToast(finishText + QLatin1Char('\n') + summary.text(), summary.failed > 0 ? kRed : kBlue,
              kWhite);
}
