#include "FolderNameCheck.h"

namespace FolderNameCheck {
namespace {

// Characters Windows refuses in a name, besides the two separators.
const QString kForbidden = QStringLiteral("<>:\"|?*");
// A name's length limit on ext4, NTFS and exFAT, in the bytes ext4 counts.
const int kMaxBytes = 255;

} // namespace

QString problem(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("名称为空");
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("名称不能包含 / 或 \\");
    if (name.contains(QLatin1String("..")))
        return QStringLiteral("名称不能包含 ..");
    if (name.startsWith(QLatin1Char('.')))
        return QStringLiteral("名称不能以 . 开头");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("名称不能包含控制字符");
        if (kForbidden.contains(c))
            return QStringLiteral("名称不能包含 %1").arg(c);
    }
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return QStringLiteral("名称不能以点或空格结尾");
    if (name.toUtf8().size() > kMaxBytes)
        return QStringLiteral("名称超过%1字节").arg(kMaxBytes);
    return QString();
}

} // namespace FolderNameCheck
