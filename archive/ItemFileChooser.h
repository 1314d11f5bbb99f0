#pragma once

#include <QString>
#include <functional>

class QWidget;

// Asks the operator for an item list workbook. Everything that imports one
// asks through here, so tests can answer in place of the native dialog.
class ItemFileChooser
{
public:
    using Hook = std::function<QString(QWidget* parent, const QString& caption,
                                       const QString& folder, const QString& filter)>;

    // The chosen path, "" when cancelled.
    static QString choose(QWidget* parent);
    // Replaces the file dialog; an empty hook puts it back.
    static void setHook(Hook hook);
};
