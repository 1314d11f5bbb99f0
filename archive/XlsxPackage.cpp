#include "XlsxPackage.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>
#include <zip.h>

namespace {

// Encrypted workbooks are compound files whose directory names an "EncryptionInfo"
// stream (UTF-16LE); plain old .xls files have no such stream.
bool looksEncrypted(QFile& file)
{
    const QByteArray name = QByteArray("E\0n\0c\0r\0y\0p\0t\0i\0o\0n\0I\0n\0f\0o\0", 28);
    const qint64 chunk = 1 << 20;
    QByteArray tail;
    qint64 scanned = 0;
    while (!file.atEnd() && scanned < 256LL * 1024 * 1024) {
        QByteArray block = tail + file.read(chunk);
        if (block.contains(name))
            return true;
        scanned += block.size() - tail.size();
        tail = block.right(name.size());
        if (block.size() == tail.size())
            break;
    }
    return false;
}

QString typeTail(const QString& type)
{
    return type.mid(type.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

XlsxPackage::~XlsxPackage()
{
    if (m_zip)
        zip_discard(m_zip);
}

QString XlsxPackage::open(const QString& path, const XlsxLimits& limits)
{
    m_limits = limits;
    if (QFileInfo(path).fileName().startsWith(QLatin1String("~$")))
        return QStringLiteral("这是 Office 打开工作簿时留下的锁定文件（~$开头），请选择工作簿本身");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("无法打开文件：%1").arg(file.errorString());
    const QByteArray head = file.read(8);
    if (head.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"))) {
        if (looksEncrypted(file))
            return QStringLiteral("工作簿设有打开密码（已加密），请先取消密码再导入");
        return QStringLiteral("这是旧版 Excel 文件（.xls），请另存为 .xlsx 后再导入");
    }
    if (!head.startsWith("PK"))
        return QStringLiteral("不是 xlsx 工作簿（不是 zip 压缩包）");
    file.close();

    int error = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!m_zip)
        return QStringLiteral("不是 xlsx 工作簿（zip 压缩包已损坏）");
    return QString();
}

bool XlsxPackage::hasPart(const QString& partName) const
{
    const QByteArray name = partName.toUtf8();
    return zip_name_locate(m_zip, name.constData(), 0) >= 0 ||
           zip_name_locate(m_zip, name.constData(), ZIP_FL_NOCASE) >= 0;
}

std::unique_ptr<XlsxPartReader> XlsxPackage::openPart(const QString& partName)
{
    const QByteArray name = partName.toUtf8();
    zip_int64_t index = zip_name_locate(m_zip, name.constData(), 0);
    if (index < 0)
        index = zip_name_locate(m_zip, name.constData(), ZIP_FL_NOCASE);
    if (index < 0)
        return nullptr;
    // An honest size that is already too large is refused before inflating;
    // the counting while reading catches sizes that lie.
    QString refused;
    qint64 declared = -1;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)) {
        declared = qint64(stat.size);
        if (qint64(stat.size) > m_limits.partBytes)
            refused = QStringLiteral("部件 %1 解压后超过大小上限，疑似压缩炸弹").arg(partName);
        else if (m_inflated + qint64(stat.size) > m_limits.totalBytes)
            refused = QStringLiteral("工作簿解压总量超过上限，疑似压缩炸弹");
    }
    zip_file_t* file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
    if (!file)
        return nullptr;
    auto device = std::make_unique<XlsxPartDevice>(file, m_limits.partBytes, &m_inflated,
                                                   m_limits.totalBytes, declared);
    auto reader = std::make_unique<XlsxPartReader>(partName, std::move(device));
    if (!refused.isEmpty())
        reader->refuse(refused);
    return reader;
}

QVector<XlsxPackage::Relationship> XlsxPackage::relationships(const QString& partName,
                                                              QString* failure)
{
    QVector<Relationship> result;
    const int slash = partName.lastIndexOf(QLatin1Char('/'));
    const QString relsName = partName.left(slash + 1) + QLatin1String("_rels/") +
                             partName.mid(slash + 1) + QLatin1String(".rels");
    auto reader = openPart(relsName);
    if (!reader)
        return result;
    while (reader->next()) {
        if (!reader->isStart() || reader->name() != QLatin1String("Relationship"))
            continue;
        Relationship rel;
        rel.id = reader->attribute(QStringLiteral("Id"));
        rel.type = typeTail(reader->attribute(QStringLiteral("Type")));
        if (reader->attribute(QStringLiteral("TargetMode")) != QLatin1String("External"))
            rel.target = resolveTarget(partName, reader->attribute(QStringLiteral("Target")));
        result.append(rel);
    }
    *failure = reader->failure();
    return result;
}

QString XlsxPackage::resolveTarget(const QString& sourcePart, const QString& target)
{
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    QString joined;
    if (decoded.startsWith(QLatin1Char('/')))
        joined = decoded;
    else
        joined = sourcePart.left(sourcePart.lastIndexOf(QLatin1Char('/')) + 1) + decoded;
    QStringList parts;
    for (const QString& segment : joined.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (segment != QLatin1String("."))
            parts.append(segment);
    }
    return parts.join(QLatin1Char('/'));
}
