#include "SplitPreviewDlg.h"

#include "CommonDialogs.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

SplitPreviewDlg::SplitPreviewDlg(const SplitPlan& plan, QWidget* parent)
    : QDialog(parent), m_table(new QTableWidget(this))
{
    setObjectName(QStringLiteral("SplitPreviewDlg"));
    setWindowTitle(QStringLiteral("分件预览"));
    resize(720, 420);
    m_table->setObjectName(QStringLiteral("tableWidget_preview"));
    m_table->setColumnCount(5);
    m_table->setHorizontalHeaderLabels({QStringLiteral("档号"), QStringLiteral("首个文件"),
                                        QStringLiteral("末个文件"), QStringLiteral("页数"),
                                        QStringLiteral("目标目录")});
    m_table->setRowCount(plan.items.size());
    const QDir root(plan.root);
    for (int r = 0; r < plan.items.size(); ++r) {
        const SplitPlanItem& item = plan.items.at(r);
        const QString first =
            item.sources.isEmpty() ? QString() : QFileInfo(item.sources.first()).fileName();
        const QString last =
            item.sources.isEmpty() ? QString() : QFileInfo(item.sources.last()).fileName();
        m_table->setItem(r, 0, cell(item.archiveNo));
        m_table->setItem(r, 1, cell(first));
        m_table->setItem(r, 2, cell(last));
        m_table->setItem(r, 3, cell(QString::number(item.sources.size())));
        m_table->setItem(r, 4, cell(QDir::toNativeSeparators(root.relativeFilePath(item.folder))));
    }
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();

    auto* summary =
        new QLabel(QStringLiteral("共%1件%2页").arg(plan.items.size()).arg(plan.pageCount()), this);
    summary->setObjectName(QStringLiteral("label_preview_summary"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("开始分件"));
    buttons->button(QDialogButtonBox::Ok)->setStyleSheet(confirmButtonStyle());
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    buttons->button(QDialogButtonBox::Cancel)->setStyleSheet(cancelButtonStyle());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(summary);
    layout->addWidget(buttons);
}

bool SplitPreviewDlg::confirm(const SplitPlan& plan, QWidget* parent)
{
    SplitPreviewDlg dialog(plan, parent);
    return dialog.exec() == QDialog::Accepted;
}
