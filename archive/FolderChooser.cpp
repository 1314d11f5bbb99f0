#include "FolderChooser.h"

#include <QFileDialog>

namespace {

FolderChooser::Hook& hook()
{
    static FolderChooser::Hook instance;
    return instance;
}

} // namespace

QString FolderChooser::choose(QWidget* parent, const QString& caption)
{
    if (hook())
        return hook()(parent, caption);
    return QFileDialog::getExistingDirectory(parent, caption, QString(), QFileDialog::ShowDirsOnly);
}

void FolderChooser::setHook(Hook replacement)
{
    hook() = std::move(replacement);
}
