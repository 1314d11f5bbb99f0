#pragma once

#include "DirStat.h"
#include "StatsTotals.h"

#include <QString>
#include <QStringList>

// The statistics as a table: one row per directory, depth first with each
// directory before its sub-directories, then the total row. Both files are
// written beside the target and renamed into place, so a failure leaves an
// older file as it was.
namespace StatsExport {

// The export's column titles ("折合A4" here, as the billing sheet spells it).
QStringList columnTitles();
// Bytes as "12.34MB", or in GB.
QString sizeText(qint64 bytes, bool gigabytes);

// Sheet "幅面统计". False with a reason for the operator.
bool writeXlsx(const QString& path, const DirStat& root, const StatsTotals& totals, bool gigabytes,
               QString* reason);
// UTF-8 with a byte-order mark (so spreadsheets read the Chinese titles), plus
// a last column of files without resolution.
bool writeCsv(const QString& path, const DirStat& root, const StatsTotals& totals, bool gigabytes,
              QString* reason);

} // namespace StatsExport
