#pragma once

#include "ItemWorkbook.h"

#include <QObject>

class QComboBox;
class QLineEdit;
class QSpinBox;
class QWidget;

// The item list of the main window's split tab, where columns are given by
// number: importing a workbook lists its sheets and bounds the column and
// start-row spin boxes by the chosen sheet. The bounds are the last used
// column and row, since the spin boxes take absolute sheet positions.
class SplitTabImport : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QWidget* window = nullptr; // parent of the file dialog
        QLineEdit* path = nullptr;
        QComboBox* sheet = nullptr;
        QSpinBox* archiveNo = nullptr;
        QSpinBox* pageNo = nullptr;
        QSpinBox* pageCount = nullptr;
        QSpinBox* startRow = nullptr;
    };

    explicit SplitTabImport(const Widgets& widgets, QObject* parent = nullptr);

    // Asks for a workbook, lists its sheets and bounds the spin boxes by the first.
    void importWorkbook();
    // Bounds the spin boxes by the named sheet of the workbook in the path field.
    void applySheet(const QString& sheetName);

private:
    void applyBounds();

    Widgets m_w;
    ItemWorkbook m_book;
};
