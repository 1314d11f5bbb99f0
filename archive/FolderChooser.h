#pragma once

#include <QString>
#include <functional>

class QWidget;

// Asks the operator for a directory. The splitting tool asks through here, so
// tests can answer in place of the native dialog.
class FolderChooser
{
public:
    using Hook = std::function<QString(QWidget* parent, const QString& caption)>;

    // The chosen directory, "" when cancelled.
    static QString choose(QWidget* parent, const QString& caption);
    // Replaces the directory dialog; an empty hook puts it back.
    static void setHook(Hook hook);
};
