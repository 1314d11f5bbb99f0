#include "SplitTabImport.h"

#include "CommonDialogs.h"
#include "ItemFileChooser.h"

#include <QComboBox>
#include <QDebug>
#include <QLineEdit>
#include <QSpinBox>

SplitTabImport::SplitTabImport(const Widgets& widgets, QObject* parent)
    : QObject(parent), m_w(widgets)
{
}

void SplitTabImport::importWorkbook()
{
    const QString path = ItemFileChooser::choose(m_w.window);
    if (path.isEmpty())
        return;
    // Filling the list must not apply each sheet as it arrives.
    disconnect(m_w.sheet, &QComboBox::currentTextChanged, nullptr, nullptr);
    m_w.sheet->clear();
    m_w.path->setText(path);
    const QString reason = m_book.load(path);
    if (!reason.isEmpty()) {
        qWarning().noquote() << path << reason;
        showToast(QStringLiteral("Excel文件加载失败"), QColor(QStringLiteral("#FF0000")),
                  QColor(QStringLiteral("#FFFFFF")));
        return;
    }
    const QStringList sheets = m_book.sheetNames();
    if (!sheets.isEmpty()) {
        m_w.sheet->addItems(sheets);
        m_w.sheet->setCurrentIndex(0);
        m_book.selectSheet(sheets.first());
        applyBounds();
    }
    connect(m_w.sheet, &QComboBox::currentTextChanged, this, &SplitTabImport::applySheet);
}

void SplitTabImport::applySheet(const QString& sheetName)
{
    m_book.load(m_w.path->text());
    if (m_book.selectSheet(sheetName))
        applyBounds();
}

void SplitTabImport::applyBounds()
{
    const int lastColumn = m_book.lastColumn();
    for (QSpinBox* column : {m_w.archiveNo, m_w.pageNo, m_w.pageCount})
        column->setMaximum(lastColumn);
    m_w.startRow->setMaximum(m_book.lastRow());
}
