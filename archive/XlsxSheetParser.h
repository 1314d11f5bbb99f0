#pragma once

#include "XlsxNumberFormats.h"
#include "XlsxPartReader.h"
#include "XlsxSheet.h"

#include <QStringList>
#include <QVector>
#include <memory>
#include <string>

// Turns a worksheet part into an XlsxSheet while it inflates.
class XlsxSheetParser
{
public:
    std::shared_ptr<const QStringList> sharedStrings = std::make_shared<QStringList>();
    const QVector<XlsxNumberFormats::Kind>* styleKinds = nullptr; // by cell style index
    bool date1904 = false;
    qint64* cellsLeft = nullptr; // shared by all sheets of a workbook

    // "" or why the part could not be read.
    QString parse(XlsxPartReader& reader, XlsxSheet& sheet);

    // "_x000D_" and friends back to their characters ("_x005F_" protects a literal "_x").
    static QString decodeEscapes(const QString& text);
    // Text of an <si> or <is> element: runs joined, phonetic runs left out.
    static QString richText(XlsxPartReader& reader);
    // "B12" -> row 12, column 2; false for anything else.
    static bool parseReference(const QString& ref, int* row, int* column);
    static bool parseReference(QLatin1String ref, int* row, int* column);

    // The t attribute of a cell.
    enum CellType
    {
        Number,
        SharedString,
        InlineString,
        FormulaString,
        Error,
        Boolean,
        IsoDate
    };

private:
    // Adds the cell's value to the sheet; false when it holds none.
    bool store(XlsxSheet& sheet, int row, int column, CellType type, int style,
               const std::string& v, bool hasV, const QString& inlineText) const;
};
