#include "SplitTabImport.h"

#include "CommonDialogs.h"
#include "ItemListForm.h"

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
    bool failed = false;
    if (!ItemListForm::beginImport(m_w.window, m_w.path, m_w.sheet, m_book, &failed)) {
        if (failed)
            showToast(QStringLiteral("Excel文件加载失败"), QColor(QStringLiteral("#FF0000")),
                      QColor(QStringLiteral("#FFFFFF")));
        return;
    }
    if (m_book.currentSheet())
        applyBounds();
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
