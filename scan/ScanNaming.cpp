#include "ScanNaming.h"

#include "NameUtils.h"

#include <algorithm>
#include <climits>

ScanNaming ScanNaming::fromFileName(const QString& name, const ScanNaming& current)
{
    ScanNaming naming = current;
    const QString number = runningNumber(name);
    if (number.isEmpty()) {
        naming.prefix.clear();
        naming.suffix.clear();
        naming.codeLength = std::max(1, name.size());
        return naming;
    }
    const int pos = name.lastIndexOf(number);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot >= 0 ? name.left(dot) : name;
    naming.prefix = name.left(pos);
    // A number inside the extension leaves nothing of the base after it.
    naming.suffix = base.mid(pos + number.size());
    naming.codeLength = number.size();
    return naming;
}

int ScanNaming::nextCodeAfter(const QStringList& names)
{
    int largest = 0;
    for (const QString& name : names) {
        bool fits = false;
        const int number = runningNumber(name).toInt(&fits);
        if (fits)
            largest = std::max(largest, number);
    }
    return largest < INT_MAX ? largest + 1 : largest;
}

QString ScanNaming::name(int code) const
{
    return prefix + codeText(code, codeLength, true) + suffix + extension;
}

QString ScanNaming::validate(const QString& folder, int highestCode) const
{
    if (folder.isEmpty())
        return noFolderMessage();
    if (unsafeNameText(prefix) || unsafeNameText(suffix) || unsafeNameText(extension))
        return badTextMessage();
    const QString widest = name(std::max({nextCode, highestCode, 0}));
    if (widest.toUtf8().size() > kMaxNameBytes)
        return nameTooLongMessage();
    if ((folder + QLatin1Char('/') + widest).toUtf8().size() > kMaxPathBytes)
        return pathTooLongMessage();
    return QString();
}

bool ScanNaming::unsafeNameText(const QString& text)
{
    if (text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\')) ||
        text.contains(QLatin1String("..")))
        return true;
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString ScanNaming::nameTooLongMessage()
{
    return QStringLiteral("文件名过长（超过255字节），请缩短前缀或后缀");
}

QString ScanNaming::pathTooLongMessage()
{
    return QStringLiteral("文件路径过长，无法保存扫描页");
}

QString ScanNaming::noFolderMessage()
{
    return QStringLiteral("请先在目录树选择图像文件的存放目录");
}

QString ScanNaming::badTextMessage()
{
    return QStringLiteral("前缀或后缀中不能含有“/”、“\\”、“..”或控制字符");
}
