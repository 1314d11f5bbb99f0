#pragma once

#include "OperationId.h"

#include <QList>
#include <QString>
#include <QVector>

// What an operation is parameterised by: the value the dispatcher receives, or
// for the batch-capable ones the stored setting that their dialog edits.
enum class ParamKind
{
    None,
    Rect,         // QRect drawn on the page
    Angle,        // double, degrees
    Colour,       // QColor (background colour)
    ColourValues, // contrast, brightness, saturation
    PageSize,     // stPageSizeInfo / page-size map
    Margins,      // page margins in mm (value: the resolution as QPoint)
    Dpi,          // resolution pair
    PageNumber,   // page-number record / text item
    Points,       // four corner points
};

// One image operation as the toolbar, the shortcut binding, the batch list and
// the headless runner know it.
struct OperationInfo
{
    int id = 0;
    QString name;  // the identifier's symbolic name, e.g. "IMG_OPT_ROTATE_LEFT"
    QString label; // the operator-visible label ("actionName"); empty for 42
    QString icon;  // resource path ":/images/..."
    ParamKind param = ParamKind::None;
    bool toolbar = false; // reachable from the image toolbar
    bool batch = false;   // offered in the batch list
};

// The one table of image operations. Everything that needs to know which
// operations exist, what they are called or whether the batch may run them
// reads it here rather than keeping a list of its own.
class OperationRegistry
{
public:
    // Every operation, in identifier order.
    static const QVector<OperationInfo>& all();
    // The batch list's identifiers, in the order the list shows them.
    static const QList<int>& batchList();

    // nullptr when unknown.
    static const OperationInfo* byId(int id);
    // By label ("向左旋转") or by symbolic name ("IMG_OPT_ROTATE_LEFT");
    // "批量添加页码", the toolbar's entry for batch numbering, finds 43.
    static const OperationInfo* byLabel(const QString& label);

    static bool isKnown(int id) { return byId(id) != nullptr; }
    static bool isBatch(int id);
};
