#include "XlsxPartReader.h"

XlsxPartReader::XlsxPartReader(const QString& partName, std::unique_ptr<XlsxPartDevice> device)
    : m_part(partName), m_device(std::move(device))
{
    m_xml.setDevice(m_device.get());
}

bool XlsxPartReader::next()
{
    while (!m_dtd && m_refused.isEmpty()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::Invalid:
            // The reader stops at the end of each block it pulled from the device;
            // only a device that has really ended makes the document short.
            if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError &&
                !m_device->atEnd())
                continue;
            return false;
        case QXmlStreamReader::EndDocument:
            return false;
        case QXmlStreamReader::DTD:
            m_dtd = true;
            return false;
        case QXmlStreamReader::StartElement:
        case QXmlStreamReader::EndElement:
            return true;
        default:
            break;
        }
    }
    return false;
}

QString XlsxPartReader::attribute(const QString& localName) const
{
    for (const QXmlStreamAttribute& a : m_xml.attributes()) {
        if (a.name() == localName)
            return a.value().toString();
    }
    return QString();
}

QString XlsxPartReader::elementText()
{
    return m_xml.readElementText(QXmlStreamReader::IncludeChildElements);
}

QString XlsxPartReader::failure() const
{
    if (!m_refused.isEmpty())
        return m_refused;
    switch (m_device->overrun()) {
    case XlsxPartDevice::PartOverrun:
        return QStringLiteral("部件 %1 解压后超过大小上限，疑似压缩炸弹").arg(m_part);
    case XlsxPartDevice::TotalOverrun:
        return QStringLiteral("工作簿解压总量超过上限，疑似压缩炸弹");
    case XlsxPartDevice::TextOverrun:
        return QStringLiteral("部件 %1 含有超长文本，不是正常的工作簿").arg(m_part);
    case XlsxPartDevice::NoOverrun:
        break;
    }
    if (m_device->inflateFailed())
        return QStringLiteral("部件 %1 解压失败，文件可能已损坏").arg(m_part);
    if (m_dtd)
        return QStringLiteral("部件 %1 含有 DTD，拒绝读取").arg(m_part);
    if (m_xml.hasError())
        return QStringLiteral("部件 %1 第 %2 行 XML 格式错误：%3")
            .arg(m_part)
            .arg(m_xml.lineNumber())
            .arg(m_xml.errorString());
    return QString();
}
