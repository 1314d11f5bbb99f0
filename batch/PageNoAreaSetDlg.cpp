#include "PageNoAreaSetDlg.h"

#include "NameUtils.h"
#include "ProcessParams.h"
#include "SettingsStore.h"
#include "ui_PageNoAreaSetDlg.h"

#include <QDebug>
#include <QPushButton>

QStringList PageNoAreaSetDlg::areas()
{
    return {QStringLiteral("右上"), QStringLiteral("中上"), QStringLiteral("左上"),
            QStringLiteral("右下"), QStringLiteral("中下"), QStringLiteral("左下")};
}

PageNoAreaSetDlg::PageNoAreaSetDlg(int mode, QWidget* parent)
    : QDialog(parent), ui(new Ui::PageNoAreaSetDlg),
      m_mode(mode == SingleMode ? SingleMode : BatchMode)
{
    ui->setupUi(this);
    ui->buttonBox->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    ui->combox_align->addItems(areas());

    const bool single = m_mode == SingleMode;
    setWindowTitle(single ? QStringLiteral("添加页码") : QStringLiteral("批量添加页码"));
    ui->label_inputNo->setVisible(single);
    ui->edit_inputNo->setVisible(single);
    for (QWidget* field :
         {static_cast<QWidget*>(ui->label_startNo), static_cast<QWidget*>(ui->spinBox_startNo),
          static_cast<QWidget*>(ui->label_noLen), static_cast<QWidget*>(ui->spinBox_noLen),
          static_cast<QWidget*>(ui->checkBox_zeroFill), static_cast<QWidget*>(ui->label_prefix),
          static_cast<QWidget*>(ui->edit_prefix), static_cast<QWidget*>(ui->label_suffix),
          static_cast<QWidget*>(ui->edit_suffix)})
        field->setVisible(!single);

    setPageNoInfo(ProcessParams::current().pageNo);
    connectFields();
}

PageNoAreaSetDlg::~PageNoAreaSetDlg()
{
    delete ui;
}

void PageNoAreaSetDlg::connectFields()
{
    const auto intChanged = QOverload<int>::of(&QSpinBox::valueChanged);
    connect(ui->combox_align, &QComboBox::currentTextChanged, this, [this](const QString& area) {
        renameMarginLabels(area);
        emitPosition();
    });
    connect(ui->spinBox_margin_h, intChanged, this, &PageNoAreaSetDlg::emitPosition);
    connect(ui->spinBox_margin_v, intChanged, this, &PageNoAreaSetDlg::emitPosition);

    connect(ui->fontComboBox, &QFontComboBox::currentFontChanged, this, [this](const QFont& font) {
        m_fontFamily = font.family();
        emit sigFontChanged(FontFamily, m_fontFamily);
    });
    connect(ui->spinBox_fontSize, intChanged, this,
            [this](int size) { emit sigFontChanged(FontSize, size); });
    const std::pair<QCheckBox*, FontProperty> flags[] = {{ui->checkBox_bold, FontBold},
                                                         {ui->checkBox_italic, FontItalic},
                                                         {ui->checkBox_underline, FontUnderline},
                                                         {ui->checkBox_deleteline, FontStrikeOut}};
    for (const auto& flag : flags) {
        const int type = flag.second;
        connect(flag.first, &QCheckBox::toggled, this,
                [this, type](bool on) { emit sigFontChanged(type, on); });
    }

    if (m_mode == SingleMode) {
        connect(ui->edit_inputNo, &QLineEdit::textChanged, this, &PageNoAreaSetDlg::emitFormat);
        return;
    }
    connect(ui->spinBox_startNo, intChanged, this, &PageNoAreaSetDlg::emitFormat);
    connect(ui->spinBox_noLen, intChanged, this, &PageNoAreaSetDlg::emitFormat);
    connect(ui->checkBox_zeroFill, &QCheckBox::toggled, this, &PageNoAreaSetDlg::emitFormat);
    connect(ui->edit_prefix, &QLineEdit::textChanged, this, &PageNoAreaSetDlg::emitFormat);
    connect(ui->edit_suffix, &QLineEdit::textChanged, this, &PageNoAreaSetDlg::emitFormat);
}

void PageNoAreaSetDlg::setPageNoInfo(const stPageNoInfo& info)
{
    if (ui->combox_align->findText(info.area) >= 0)
        ui->combox_align->setCurrentText(info.area);
    renameMarginLabels(ui->combox_align->currentText());
    ui->spinBox_margin_h->setValue(info.marginHor);
    ui->spinBox_margin_v->setValue(info.marginVer);
    m_fontFamily = info.fontFamily;
    {
        // The combo box falls back to an installed family when the record's is
        // missing; that must not replace the record's family unasked.
        const QSignalBlocker blocker(ui->fontComboBox);
        ui->fontComboBox->setCurrentFont(QFont(info.fontFamily));
    }
    ui->spinBox_fontSize->setValue(info.fontSize);
    ui->checkBox_bold->setChecked(info.bold);
    ui->checkBox_italic->setChecked(info.italic);
    ui->checkBox_underline->setChecked(info.underline);
    ui->checkBox_deleteline->setChecked(info.strikeOut);
    ui->spinBox_startNo->setValue(info.startNo);
    ui->spinBox_noLen->setValue(info.noLen);
    ui->checkBox_zeroFill->setChecked(info.zeroFill);
    ui->edit_prefix->setText(info.prefix);
    ui->edit_suffix->setText(info.suffix);
}

stPageNoInfo PageNoAreaSetDlg::pageNoInfo() const
{
    stPageNoInfo info;
    info.area = ui->combox_align->currentText();
    info.marginHor = ui->spinBox_margin_h->value();
    info.marginVer = ui->spinBox_margin_v->value();
    info.fontFamily = m_fontFamily;
    info.fontSize = ui->spinBox_fontSize->value();
    info.bold = ui->checkBox_bold->isChecked();
    info.italic = ui->checkBox_italic->isChecked();
    info.underline = ui->checkBox_underline->isChecked();
    info.strikeOut = ui->checkBox_deleteline->isChecked();
    info.startNo = ui->spinBox_startNo->value();
    info.noLen = ui->spinBox_noLen->value();
    info.prefix = ui->edit_prefix->text();
    info.suffix = ui->edit_suffix->text();
    info.zeroFill = ui->checkBox_zeroFill->isChecked();
    return info;
}

QString PageNoAreaSetDlg::numberText() const
{
    const QString number = m_mode == SingleMode
                               ? ui->edit_inputNo->text()
                               : codeText(ui->spinBox_startNo->value(), ui->spinBox_noLen->value(),
                                          ui->checkBox_zeroFill->isChecked());
    return ui->edit_prefix->text() + number + ui->edit_suffix->text();
}

void PageNoAreaSetDlg::renameMarginLabels(const QString& area)
{
    // The margins are measured from the sides the area touches; a centred
    // area keeps the labels it had.
    if (area == QStringLiteral("中下"))
        return;
    const bool left = area.startsWith(QStringLiteral("左"));
    const bool top = area.endsWith(QStringLiteral("上"));
    ui->label_margin_h->setText(left ? QStringLiteral("左边距") : QStringLiteral("右边距"));
    ui->label_margin_v->setText(top ? QStringLiteral("上边距") : QStringLiteral("下边距"));
}

void PageNoAreaSetDlg::emitPosition()
{
    emit sigPosChanged(ui->combox_align->currentText(), ui->spinBox_margin_h->value(),
                       ui->spinBox_margin_v->value());
}

void PageNoAreaSetDlg::emitFormat()
{
    emit sigFormatChanged(numberText());
}

void PageNoAreaSetDlg::on_buttonBox_accepted()
{
    const stPageNoInfo info = pageNoInfo();
    qDebug().noquote() << "save pageNoInfo: " << info.area << info.marginHor << info.marginVer
                       << info.fontFamily << info.fontSize << info.bold << info.italic
                       << info.underline << info.strikeOut << info.startNo << info.noLen
                       << info.prefix << info.suffix << info.zeroFill;
    SettingsStore::savePageNoSettings(info);
    accept();
}

void PageNoAreaSetDlg::on_buttonBox_rejected()
{
    reject();
}
