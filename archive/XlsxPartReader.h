#pragma once

#include "XlsxPartDevice.h"

#include <QString>
#include <QXmlStreamReader>
#include <memory>

// Pulls XML tokens from one package part while it inflates. Namespace prefixes
// do not matter: elements and attributes are matched by local name, so
// transitional and Strict workbooks read alike. A DTD ends the read (entity
// expansion is a classic way to blow up a parser).
class XlsxPartReader
{
public:
    XlsxPartReader(const QString& partName, std::unique_ptr<XlsxPartDevice> device);

    // Advances to the next start or end element; false at the end or on failure.
    bool next();
    bool isStart() const { return m_xml.isStartElement(); }
    bool isEnd() const { return m_xml.isEndElement(); }
    QStringRef name() const { return m_xml.name(); }
    // The attribute with this local name, whatever its namespace.
    QString attribute(const QString& localName) const;
    // The text of the current element (children's text included); leaves the reader on its end.
    QString elementText();
    // Skips the current element with its children.
    void skip() { m_xml.skipCurrentElement(); }

    // Ends the read before it starts, for the reason given.
    void refuse(const QString& reason) { m_refused = reason; }

    // Empty after a clean read; otherwise why the part could not be read.
    QString failure() const;

private:
    QString m_part;
    std::unique_ptr<XlsxPartDevice> m_device;
    QXmlStreamReader m_xml;
    bool m_dtd = false;
    QString m_refused;
};
