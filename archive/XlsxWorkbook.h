#pragma once

#include "XlsxLimits.h"
#include "XlsxSheet.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// A read-only .xlsx workbook: every sheet is parsed on open. Parsed workbooks
// are shared per path, size and modification time, so looking at another sheet
// of the same file does not read it again.
class XlsxWorkbook
{
public:
    // "" on success, otherwise a reason the operator can act on.
    QString open(const QString& path, const XlsxLimits& limits = XlsxLimits());

    // In workbook order.
    QStringList sheetNames() const;
    // nullptr when there is no sheet of that name.
    const XlsxSheet* sheet(const QString& name) const;

    struct Contents
    {
        std::vector<XlsxSheet> sheets;
    };

private:
    std::shared_ptr<const Contents> m_contents;
};
