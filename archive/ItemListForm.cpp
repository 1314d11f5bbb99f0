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

bool ItemListForm::beginImport(QWidget* parent, QLineEdit* path, QComboBox* sheet,
                               ItemWorkbook& book, bool* failed)
{
    *failed = false;
    const QString chosen = ItemFileChooser::choose(parent);
    if (chosen.isEmpty())
        return false;
    disconnect(sheet, &QComboBox::currentTextChanged, nullptr, nullptr);
    sheet->clear();
    path->setText(chosen);
    const QString reason = book.load(chosen);
    if (!reason.isEmpty()) {
        qWarning().noquote() << chosen << reason;
        *failed = true;
        return false;
    }
    const QStringList sheets = book.sheetNames();
    if (!sheets.isEmpty()) {
        sheet->addItems(sheets);
        sheet->setCurrentIndex(0);
        book.selectSheet(sheets.first());
    }
    return true;
}

void ItemListForm::importItemWorkbook()
{
    bool failed = false;
    if (!beginImport(m_w.dialog, m_w.path, m_w.sheet, m_book, &failed)) {
        if (failed)
            showMessage(QStringLiteral("提示"), QStringLiteral("Excel文件加载失败"),
                        QMessageBox::Warning);
        return;
    }
    if (m_book.currentSheet()) {
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
