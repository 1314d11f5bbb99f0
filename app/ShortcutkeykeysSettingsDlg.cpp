#include "ShortcutkeykeysSettingsDlg.h"

#include "CommonDialogs.h"
#include "ShortcutBinding.h"
#include "ShortcutConfig.h"
#include "ShortutkeySaveDlg.h"
#include "ui_ShortcutkeykeysSettingsDlg.h"

#include <QDebug>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>

namespace {

constexpr int kNameColumnWidth = 100;

QString nameOf(const QObject* entry)
{
    return entry->property("actionName").toString();
}

} // namespace

ShortcutkeykeysSettingsDlg::ShortcutkeykeysSettingsDlg(const QList<QObject*>& entries,
                                                       QWidget* parent)
    : QWidget(parent), ui(new Ui::ShortcutkeykeysSettingsDlg),
      m_model(new QStandardItemModel(0, 2, this)), m_entries(entries)
{
    ui->setupUi(this);
    ui->comboBox_type->hide();
    ui->lineEdit->hide();
    ui->toolButton->hide();

    m_model->setHorizontalHeaderLabels({QStringLiteral("操作"), QStringLiteral("快捷键")});
    for (int column = 0; column < 2; ++column)
        m_model->horizontalHeaderItem(column)->setTextAlignment(Qt::AlignCenter);
    QTableView* table = ui->tableView;
    table->setModel(m_model);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->setColumnWidth(0, kNameColumnWidth);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);

    for (int row = 0; row < m_entries.size(); ++row) {
        QObject* entry = m_entries.at(row);
        m_model->appendRow({new QStandardItem(nameOf(entry)), new QStandardItem()});
        auto* button = new QPushButton(keyText(ShortcutBinding::keyOf(entry)));
        button->setStyleSheet(QStringLiteral("background-color:#ffffff;color:black;"));
        button->setProperty("actionId", 1);
        if (!ShortcutBinding::canFire(entry)) {
            button->setEnabled(false);
            button->setToolTip(QStringLiteral("仅批处理"));
        }
        connect(button, &QPushButton::clicked, this, [this, row] { capture(row); });
        table->setIndexWidget(m_model->index(row, 1), button);
        m_buttons.append(button);
    }
}

ShortcutkeykeysSettingsDlg::~ShortcutkeykeysSettingsDlg()
{
    delete ui;
}

QString ShortcutkeykeysSettingsDlg::keyText(const QKeySequence& key)
{
    return key.isEmpty() ? QStringLiteral("无") : key.toString(QKeySequence::PortableText);
}

QPushButton* ShortcutkeykeysSettingsDlg::keyButton(int row) const
{
    return m_buttons.value(row, nullptr);
}

int ShortcutkeykeysSettingsDlg::rowOf(const QString& actionName) const
{
    for (int row = 0; row < m_entries.size(); ++row) {
        if (nameOf(m_entries.at(row)) == actionName)
            return row;
    }
    return -1;
}

void ShortcutkeykeysSettingsDlg::capture(int row)
{
    QObject* entry = m_entries.at(row);
    ShortutkeySaveDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        qInfo().noquote() << "取消修改";
        return;
    }
    const QKeySequence sequence = dialog.keySequence();
    const QString key = sequence.toString(QKeySequence::PortableText);

    // Qt fires neither of two entries on one key, so the key moves or stays.
    if (QObject* holder = ShortcutBinding::holderOf(m_entries, sequence, entry)) {
        const QString question = QStringLiteral("快捷键 %1 已被「%2」使用，是否改用于「%3」？")
                                     .arg(key, nameOf(holder), nameOf(entry));
        if (showQuestion(QStringLiteral("提示"), question) != QMessageBox::Ok) {
            qInfo().noquote() << "取消修改";
            return;
        }
        ShortcutBinding::bind(holder, QKeySequence());
        m_buttons.at(m_entries.indexOf(holder))->setText(keyText(QKeySequence()));
        ShortcutConfig::saveShortcut(ShortcutConfig::kGroup, nameOf(holder), QString());
    }

    qInfo().noquote() << "完成修改" << key;
    if (ShortcutBinding::bind(entry, sequence))
        m_buttons.at(row)->setText(keyText(sequence));
    ShortcutConfig::saveShortcut(ShortcutConfig::kGroup, nameOf(entry), key);
}
