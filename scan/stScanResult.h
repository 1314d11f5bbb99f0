#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

// How a scan ended: the pages written (kept even when a later page failed),
// whether every step went through, and the operator's message when not.
struct stScanResult
{
    QStringList paths;
    bool ok = false;
    QString message;
};

Q_DECLARE_METATYPE(stScanResult)
