#pragma once

#include "XlsxWriter.h"

#include <QFile>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QVariant>
#include <QVector>
#include <zip.h>

// Workbooks for tests: item lists written with our own writer, raw packages
// written part by part, and openpyxl to read what we wrote.
struct ItemCell
{
    int row;
    int column;
    QVariant value;
};

struct ItemSheet
{
    QString name;
    QVector<ItemCell> cells;
};

// A header row at (row, firstColumn) and one data row per entry of rows below it.
inline ItemSheet itemSheet(const QString& name, int row, int firstColumn,
                           const QVector<QVariantList>& rows)
{
    ItemSheet sheet{name, {}};
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            if (rows[r][c].isValid())
                sheet.cells << ItemCell{row + r, firstColumn + c, rows[r][c]};
        }
    }
    return sheet;
}

inline bool writeItemBook(const QString& path, const QVector<ItemSheet>& sheets)
{
    XlsxWriter writer(path);
    for (const ItemSheet& sheet : sheets) {
        writer.addSheet(sheet.name);
        for (const ItemCell& cell : sheet.cells)
            writer.writeValue(cell.row, cell.column, cell.value);
    }
    return writer.save();
}

// Package members by name, written exactly as given.
using ZipParts = QList<QPair<QString, QByteArray>>;

inline bool writeZip(const QString& path, const ZipParts& parts)
{
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        return false;
    for (const auto& p : parts) {
        // libzip reads the buffer at close time, so it gets its own copy to free.
        void* copy = malloc(size_t(p.second.size()) + 1);
        memcpy(copy, p.second.constData(), size_t(p.second.size()));
        zip_source_t* src = zip_source_buffer(z, copy, zip_uint64_t(p.second.size()), 1);
        if (zip_file_add(z, p.first.toUtf8().constData(), src, ZIP_FL_OVERWRITE) < 0)
            return false;
    }
    return zip_close(z) == 0;
}

// Runs a Python script on args; false with its error output in *why when it fails.
inline bool runPython(const QString& python, const char* script, const QStringList& args,
                      QByteArray* out = nullptr, QString* why = nullptr)
{
    QProcess run;
    run.start(python, QStringList{"-c", script} + args);
    const bool ok = run.waitForFinished(120000) && run.exitStatus() == QProcess::NormalExit &&
                    run.exitCode() == 0;
    if (out)
        *out = run.readAllStandardOutput();
    if (why && !ok)
        *why = QString::fromUtf8(run.readAllStandardError());
    return ok;
}

// The interpreter that has openpyxl, or "" (the test skips): Debian's
// python3-openpyxl belongs to the system python3, which one earlier on PATH may hide.
inline QString openpyxlPython()
{
    for (const QString python : {"/usr/bin/python3", "python3"}) {
        if (runPython(python, "import openpyxl", {}))
            return python;
    }
    return QString();
}
