#include "ItemListForm.h"

#include "CommonDialogs.h"
#include "ItemColumnPresets.h"
#include "ItemFileChooser.h"
#include "XlsxSheet.h"

#include <QComboBox>
#include <QDebug>
#include <QLineEdit>

namespace {

void fill(QComboBox* box, const QStringList& items, const QString& current)
{
    box->clear();
    box->addItems(items);
    box->setCurrentText(current);
}

} // namespace

ItemListForm::ItemListForm(const Widgets& widgets, std::function<bool()> caseFileColumn,
                           QObject* parent)
    : QObject(parent), m_w(widgets), m_caseFileColumn(std::move(caseFileColumn))
{
}

void ItemListForm::importItemWorkbook()
{
    const QString path = ItemFileChooser::choose(m_w.dialog);
    if (path.isEmpty())
        return;
    // Filling the list must not read the headers of each sheet as it arrives.
    disconnect(m_w.sheet, &QComboBox::currentTextChanged, nullptr, nullptr);
    m_w.sheet->clear();
    m_w.path->setText(path);
    const QString reason = m_book.load(path);
    if (!reason.isEmpty()) {
        qWarning().noquote() << path << reason;
        showMessage(QStringLiteral("提示"), QStringLiteral("Excel文件加载失败"),
                    QMessageBox::Warning);
        return;
    }
    const QStringList sheets = m_book.sheetNames();
    if (!sheets.isEmpty()) {
        m_w.sheet->addItems(sheets);
        m_w.sheet->setCurrentIndex(0);
        m_book.selectSheet(sheets.first());
        m_headers = m_book.headers(ItemHeaders::SkipEmpty);
        presetItemColumns();
    }
    connectSheetChoice();
}

void ItemListForm::connectSheetChoice()
{
    connect(m_w.sheet, &QComboBox::currentTextChanged, this, &ItemListForm::readItemHeaders);
}

void ItemListForm::readItemHeaders(const QString& sheetName)
{
    // Reopened on every read; the parsed file is cached while it is unchanged.
    m_book.load(m_w.path->text());
    if (!m_book.selectSheet(sheetName))
        return;
    const XlsxSheet& sheet = *m_book.currentSheet();
    qDebug().noquote() << " worksheet->dimension()" << sheet.firstColumn()
                       << (sheet.isEmpty() ? 0 : sheet.lastColumn() - sheet.firstColumn() + 1)
                       << sheet.firstRow() << sheet.lastRow();
    if (!m_book.hasItems()) {
        showToast(QStringLiteral("页面为空"), QColor(QStringLiteral("#FF0000")),
                  QColor(QStringLiteral("#FFFFFF")));
        return;
    }
    m_headers = m_book.headers(ItemHeaders::EveryColumn);
    presetItemColumns();
}

void ItemListForm::presetItemColumns()
{
    const QStringList& names = m_headers.names();
    const ItemColumnPresets presets = ItemColumnPresets::choose(names);
    fill(m_w.archiveNo, names, presets.archiveNo);
    fill(m_w.pageNo, names, presets.pageNo);
    fill(m_w.pageCount, names, presets.pageCount);
    if (m_w.caseFileNo && (!m_caseFileColumn || m_caseFileColumn()))
        fill(m_w.caseFileNo, names, presets.caseFileNo);
}
