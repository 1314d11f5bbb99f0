#pragma once

#include "XlsxLimits.h"
#include "XlsxPartReader.h"

#include <QString>
#include <QVector>
#include <memory>

struct zip;

// The zip container of a workbook: its members, inflated under the limits, and
// the relationships that tie them together.
class XlsxPackage
{
public:
    struct Relationship
    {
        QString id;
        QString type;   // the last segment of the type URI ("worksheet"), the same in Strict
        QString target; // the part name, resolved; empty for external targets
    };

    XlsxPackage() = default;
    ~XlsxPackage();
    XlsxPackage(const XlsxPackage&) = delete;
    XlsxPackage& operator=(const XlsxPackage&) = delete;

    // "" or why the file is not a workbook package we can read.
    QString open(const QString& path, const XlsxLimits& limits);

    bool hasPart(const QString& partName) const;
    // A reader over the part; nullptr when the package has no such member.
    std::unique_ptr<XlsxPartReader> openPart(const QString& partName);
    // The relationships of a part (from its _rels file); "" as the part for the package's own.
    // failure is set when the relationships part exists but cannot be read.
    QVector<Relationship> relationships(const QString& partName, QString* failure);

    // target relative to the folder of sourcePart, or absolute with a leading "/".
    static QString resolveTarget(const QString& sourcePart, const QString& target);

private:
    zip* m_zip = nullptr;
    XlsxLimits m_limits;
    qint64 m_inflated = 0;
};
