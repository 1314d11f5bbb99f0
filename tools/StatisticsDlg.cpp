#include "StatisticsDlg.h"

#include "BackgroundTask.h"
#include "CommonDialogs.h"
#include "PageFormat.h"
#include "SettingsStore.h"
#include "StatsExport.h"
#include "StatsScanner.h"
#include "ui_StatisticsDlg.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardItemModel>
#include <functional>

namespace {

const QColor kBlue(QStringLiteral("#0000FF"));
const QColor kRed(QStringLiteral("#FF0000"));
const QColor kWhite(QStringLiteral("#FFFFFF"));

// Where a tree row's DirStat is kept (the tree is not touched until the next count).
const int kDirRole = Qt::UserRole + 1;

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss.zzz"));
}

QList<QStandardItem*> rowItems(const QStringList& texts)
{
    QList<QStandardItem*> items;
    for (const QString& text : texts) {
        auto* item = new QStandardItem(text);
        item->setEditable(false);
        items << item;
    }
    return items;
}

QStringList formatNames()
{
    QStringList names;
    for (const PageFormat::Format& format : PageFormat::table())
        names << format.name;
    return names;
}

} // namespace

StatisticsDlg::StatisticsDlg(QWidget* parent)
    : QDialog(parent), ui(new Ui::StatisticsDlg), m_folders(new QStandardItemModel(this)),
      m_files(new QStandardItemModel(this))
{
    ui->setupUi(this);
    // The tree's own spelling of the A4 equivalent; the export spells it "折合A4".
    m_folders->setHorizontalHeaderLabels(
        QStringList{QStringLiteral("目录名"), QStringLiteral("折和A4")} + formatNames() +
        QStringList{QStringLiteral("文件个数"), QStringLiteral("大小"), QStringLiteral("路径")});
    m_files->setHorizontalHeaderLabels({QStringLiteral("文件名"), QStringLiteral("图像DPI"),
                                        QStringLiteral("图像幅面"), QStringLiteral("图像大小"),
                                        QStringLiteral("图像色彩"), QStringLiteral("文件大小"),
                                        QStringLiteral("文件类型"), QStringLiteral("路径")});
    ui->treeView_folder->setModel(m_folders);
    ui->tableView_file->setModel(m_files);

    ui->spinBox_threshold->setValue(SettingsStore::statisticsTolerance());
    connect(ui->spinBox_threshold, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [](int value) { SettingsStore::saveStatisticsTolerance(value); });
    ui->comboBox_page->addItems(formatNames());
    connect(ui->comboBox_page, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &StatisticsDlg::showReference);
    showReference(ui->comboBox_page->currentIndex());
    connect(ui->radioButton_GB, &QRadioButton::toggled, this, [this] {
        if (m_scanned)
            rebuildTree();
    });
}

StatisticsDlg::~StatisticsDlg()
{
    delete ui;
}

void StatisticsDlg::showReference(int row)
{
    if (row < 0 || row >= PageFormat::table().size())
        return;
    ui->spinBox_page_width->setValue(PageFormat::table().at(row).widthMm);
    ui->spinBox_page_height->setValue(PageFormat::table().at(row).heightMm);
}

bool StatisticsDlg::inGigabytes() const
{
    return ui->radioButton_GB->isChecked();
}

void StatisticsDlg::notify(const QString& text, bool failed)
{
    m_lastNotice = text;
    showToast(text, failed ? kRed : kBlue, kWhite);
}

void StatisticsDlg::on_btn_path_clicked()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, QString(), ui->edit_path->text(),
                                                             QFileDialog::ShowDirsOnly);
    if (!chosen.isEmpty())
        ui->edit_path->setText(QDir::toNativeSeparators(chosen));
}

void StatisticsDlg::on_btn_statistics_clicked()
{
    runStatistics();
}

void StatisticsDlg::runStatistics()
{
    const QString path = QDir::fromNativeSeparators(ui->edit_path->text().trimmed());
    if (path.isEmpty())
        return;
    m_root = DirStat();
    m_totals = StatsTotals();
    m_root.path = path;
    m_root.name = QFileInfo(path).fileName().isEmpty() ? path : QFileInfo(path).fileName();
    m_files->removeRows(0, m_files->rowCount());

    const QStringList suffixes = ui->radioButton_other->isChecked()
                                     ? StatsScanner::splitSuffixes(ui->edit_filter_suffix->text())
                                     : QStringList();
    StatsScanner scanner(ui->spinBox_threshold->value(), suffixes);
    qDebug().noquote() << "start load dir info: " + now();
    StatsTotals totals;
    DirStat& root = m_root;
    BackgroundTask::run(this, [&scanner, &totals, &root](TaskContext& context) {
        StatsScanner::Hooks hooks;
        hooks.progress = [&context](const QString& name) { context.progress(name); };
        hooks.problem = [](const QString& line) { qWarning().noquote() << line; };
        totals = scanner.scan(root, hooks);
    });
    m_totals = totals;
    m_scanned = true;
    qDebug().noquote() << "end load dir info: " + now();
    qDebug().noquote() << "start load treeview: " + now();
    rebuildTree();
    qDebug().noquote() << "end load treeview: " + now();
    showSummary();
}

void StatisticsDlg::rebuildTree()
{
    m_folders->removeRows(0, m_folders->rowCount());
    const bool gigabytes = inGigabytes();
    QStringList total{QStringLiteral("统计"), QString::number(m_totals.a4Equivalent())};
    for (const QString& format : formatNames())
        total << QString::number(m_totals.counts.value(format));
    total << QString::number(m_totals.fileCount) << StatsExport::sizeText(m_totals.bytes, gigabytes)
          << QString();
    m_folders->appendRow(rowItems(total));

    // Depth first; every directory's row hangs under its parent's.
    std::function<void(QStandardItem*, const DirStat&)> add = [&](QStandardItem* parent,
                                                                  const DirStat& dir) {
        QStringList texts{dir.name, QString::number(dir.a4Equivalent)};
        for (const QString& format : formatNames())
            texts << QString::number(dir.count(format));
        texts << QString::number(dir.fileCount) << StatsExport::sizeText(dir.bytes, gigabytes)
              << dir.path;
        const QList<QStandardItem*> items = rowItems(texts);
        items.first()->setData(QVariant::fromValue(reinterpret_cast<quintptr>(&dir)), kDirRole);
        if (parent)
            parent->appendRow(items);
        else
            m_folders->appendRow(items);
        for (const DirStat& sub : dir.subDirs)
            add(items.first(), sub);
    };
    add(nullptr, m_root);
    ui->treeView_folder->expandToDepth(0);
}

void StatisticsDlg::showSummary()
{
    QStringList parts;
    if (m_totals.noResolution > 0)
        parts << QStringLiteral("无分辨率 %1 个（未计入幅面）").arg(m_totals.noResolution);
    if (m_totals.underMinimumDpi > 0)
        parts << QStringLiteral("低于%1dpi %2 个")
                     .arg(StatsScanner::kMinimumDpi)
                     .arg(m_totals.underMinimumDpi);
    if (m_totals.multiPageFiles > 0)
        parts << QStringLiteral("多页文件 %1 个，共 %2 页")
                     .arg(m_totals.multiPageFiles)
                     .arg(m_totals.pages);
    QStringList resolutions;
    for (auto it = m_totals.byResolution.constBegin(); it != m_totals.byResolution.constEnd(); ++it)
        resolutions << QStringLiteral("%1: %2").arg(it.key()).arg(it.value());
    if (!resolutions.isEmpty())
        parts << QStringLiteral("分辨率 ") + resolutions.join(QStringLiteral("，"));
    ui->label_summary->setText(parts.join(QStringLiteral("；")));
}

void StatisticsDlg::on_treeView_folder_clicked(const QModelIndex& index)
{
    m_files->removeRows(0, m_files->rowCount());
    const QModelIndex first = index.sibling(index.row(), 0);
    const auto* dir = reinterpret_cast<const DirStat*>(first.data(kDirRole).value<quintptr>());
    if (!dir)
        return; // the total row
    for (const FileStat& file : dir->files) {
        const QString type = file.fileName.section(QLatin1Char('.'), -1).toUpper();
        m_files->appendRow(rowItems(
            {file.fileName, file.dpiText, file.format,
             QStringLiteral("%1x%2").arg(file.pixels.width()).arg(file.pixels.height()),
             file.colourText, QStringLiteral("%1KB").arg(file.bytes / 1024), type, dir->path}));
    }
}

void StatisticsDlg::on_btn_export_clicked()
{
    if (!m_scanned) {
        exportTo(QString());
        return;
    }
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("保存"), QString(),
                                                QStringLiteral("Excel (.xlsx)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xlsx");
    exportTo(path);
}

bool StatisticsDlg::exportTo(const QString& path)
{
    if (!m_scanned) {
        notify(QStringLiteral("请先统计，再导出"), true);
        return false;
    }
    QString reason;
    if (!StatsExport::writeXlsx(path, m_root, m_totals, inGigabytes(), &reason)) {
        qWarning().noquote() << "export failed:" << path << reason;
        notify(QStringLiteral("导出失败：") + reason, true);
        return false;
    }
    notify(QStringLiteral("导出完成：") + path, false);
    return true;
}
