#include "PendingEdits.h"

#include "CurrentImage.h"

#include <QFileInfo>

namespace PendingEdits {

bool settle(CurrentImage& image, const Ask& ask)
{
    if (!image.hasUnsavedChanges())
        return true;
    if (image.saveMode() == CurrentImage::Manual) {
        const QString text =
            QStringLiteral("当前影像“%1”有未保存的修改，是否先保存再继续？选择“取消”将不进行本次处理。")
                .arg(QFileInfo(image.file()).fileName());
        if (!ask || !ask(QStringLiteral("提示"), text))
            return false;
    }
    return image.save();
}

} // namespace PendingEdits
