#pragma once

#include <QtGlobal>

// Ceilings that keep a hostile or broken workbook from exhausting memory:
// inflated bytes are counted while a part is read, cells while a sheet is parsed.
struct XlsxLimits
{
    qint64 partBytes = 256LL * 1024 * 1024;
    qint64 totalBytes = 1024LL * 1024 * 1024;
    qint64 cells = 20000000;
};
