#include "ItemFileChooser.h"

#include <QFileDialog>

namespace {

ItemFileChooser::Hook& hook()
{
    static ItemFileChooser::Hook instance;
    return instance;
}

} // namespace

QString ItemFileChooser::choose(QWidget* parent)
{
    const QString caption = QStringLiteral("打开Excel文件");
    const QString folder = QStringLiteral("/home");
    const QString filter = QStringLiteral("Excel (*.xlsx)");
    if (hook())
        return hook()(parent, caption, folder, filter);
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

void ItemFileChooser::setHook(Hook replacement)
{
    hook() = std::move(replacement);
}
