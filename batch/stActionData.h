#pragma once

#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QString>

// One row of the batch action list, made from a toolbar entry.
struct stActionData
{
    QString actionName; // the label shown in the list
    QString actionType; // the source's widget class as text
    int actionCmd = 0;  // operation identifier
    // The toolbar action or button the row was made from; not owned, and
    // cleared by Qt when that widget goes away.
    QPointer<QObject> source;
    int checked = 0; // non-zero: the row takes part in the batch
    int reserved = 0;
};

Q_DECLARE_METATYPE(stActionData)
