#include "AboutDlg.h"

#include "AppPaths.h"
#include "SettingsStore.h"
#include "ui_AboutDlg.h"

#include <Magick++.h>
#include <QDir>
#include <opencv2/core/utility.hpp>

AboutDlg::AboutDlg(const QString& version, QWidget* parent) : QDialog(parent), ui(new Ui::AboutDlg)
{
    ui->setupUi(this);
    ui->lb_product->setText(QStringLiteral("Tarvo影像扫描加工系统单机版"));
    ui->lb_version->setText(QStringLiteral("版本：%1").arg(version));
    // The versions loaded at run time, which may differ from those built against.
    ui->lb_qt_version->setText(QString::fromLatin1(qVersion()));
    ui->lb_opencv_version->setText(QString::fromStdString(cv::getVersionString()));
    ui->lb_magick_version->setText(QString::fromLatin1(MagickCore::GetMagickVersion(nullptr)));

    ui->lb_settings_file->setText(QDir::toNativeSeparators(AppPaths::settingsFile()));
    ui->lb_log_dir->setText(QDir::toNativeSeparators(AppPaths::logDir()));
    const QString root = SettingsStore::settingValue(SettingsStore::kRootPath).toString();
    ui->lb_data_dir->setText(root.isEmpty() ? QStringLiteral("未设置")
                                            : QDir::toNativeSeparators(root));
}

AboutDlg::~AboutDlg()
{
    delete ui;
}
