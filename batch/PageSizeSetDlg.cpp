#include "PageSizeSetDlg.h"

#include "ProcessParams.h"
#include "SettingsStore.h"
#include "ui_PageSizeSetDlg.h"

#include <QPushButton>

namespace {

QString formatOf(const stPageSizeInfo& size)
{
    const QMap<QString, stPageSizeInfo>& table = PageSizeSetDlg::formats();
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        if (it->widthMM == size.widthMM && it->heightMM == size.heightMM)
            return it.key();
    return PageSizeSetDlg::customName();
}

} // namespace

PageSizeSetDlg::PageSizeSetDlg(QWidget* parent) : QDialog(parent), ui(new Ui::PageSizeSetDlg)
{
    ui->setupUi(this);
    ui->buttonBox->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));

    const stPageSizeInfo current = ProcessParams::current().pageSize;
    const bool chosen = current.widthMM > 0 && current.heightMM > 0;
    const QString initial = chosen ? formatOf(current) : QStringLiteral("A4");
    if (chosen) {
        ui->spinBox_widthMM->setValue(current.widthMM);
        ui->spinBox_heightMM->setValue(current.heightMM);
    }
    ui->comboBox_pageType->blockSignals(true);
    ui->comboBox_pageType->addItems(formats().keys());
    ui->comboBox_pageType->addItem(customName());
    ui->comboBox_pageType->setCurrentText(initial);
    ui->comboBox_pageType->blockSignals(false);
    on_comboBox_pageType_currentTextChanged(initial);
}

PageSizeSetDlg::~PageSizeSetDlg()
{
    delete ui;
}

const QMap<QString, stPageSizeInfo>& PageSizeSetDlg::formats()
{
    // "A4" is portrait; the others have the long side as width.
    static const QMap<QString, stPageSizeInfo> table = {
        {QStringLiteral("A0"), {1189, 841}}, {QStringLiteral("A1"), {841, 594}},
        {QStringLiteral("A2"), {594, 420}},  {QStringLiteral("A3"), {420, 297}},
        {QStringLiteral("A4"), {210, 297}},  {QStringLiteral("超A0"), {1292, 914}},
    };
    return table;
}

const QString& PageSizeSetDlg::customName()
{
    static const QString name = QStringLiteral("自定义");
    return name;
}

stPageSizeInfo PageSizeSetDlg::pageSize() const
{
    return {ui->spinBox_widthMM->value(), ui->spinBox_heightMM->value()};
}

bool PageSizeSetDlg::keepAspectRatio() const
{
    return ui->checkBox_keepAspectRatio->isChecked();
}

void PageSizeSetDlg::on_comboBox_pageType_currentTextChanged(const QString& name)
{
    const auto it = formats().constFind(name);
    const bool fixed = it != formats().cend();
    if (fixed) {
        ui->spinBox_widthMM->setValue(it->widthMM);
        ui->spinBox_heightMM->setValue(it->heightMM);
    }
    ui->spinBox_widthMM->setReadOnly(fixed);
    ui->spinBox_heightMM->setReadOnly(fixed);
}

void PageSizeSetDlg::on_buttonBox_accepted()
{
    const stPageSizeInfo size = pageSize();
    SettingsStore::setSettingValues({{SettingsStore::kPageSizeWidth, size.widthMM},
                                     {SettingsStore::kPageSizeHeight, size.heightMM}});
    accept();
}

void PageSizeSetDlg::on_buttonBox_rejected()
{
    reject();
}
