#pragma once

#include "XlsxPartDevice.h"

#include <QLatin1String>
#include <QString>
#include <memory>
#include <string>
#include <vector>

// Pulls XML elements from one package part while it inflates. A scanner of our
// own rather than QXmlStreamReader: a worksheet is millions of tiny elements and
// the general reader spends most of its time building strings nobody looks at.
// It keeps the rules workbooks need: well-formed nesting (a mismatch is reported
// with its line), the five named entities and character references in text and
// attributes, CDATA, comments and processing instructions skipped. Namespace
// prefixes do not matter: elements and attributes are matched by local name, so
// transitional and Strict workbooks read alike. A DTD ends the read (entity
// expansion is a classic way to blow up a parser), and so does a UTF-16 part.
class XlsxPartReader
{
public:
    XlsxPartReader(const QString& partName, std::unique_ptr<XlsxPartDevice> device);

    // Advances to the next start or end element; false at the end or on failure.
    bool next();
    bool isStart() const { return m_start; }
    bool isEnd() const { return !m_start; }
    // The local name; valid until the next call that moves the reader.
    QLatin1String name() const { return m_name; }
    // The attribute with this local name, whatever its namespace.
    QString attribute(const QString& localName) const;
    // The same as UTF-8 bytes, entities resolved; valid until the next call of
    // the reader. Empty when absent.
    QLatin1String attributeView(QLatin1String localName);
    // The text of the current element (children's text included); leaves the reader on its end.
    QString elementText();
    // The same as UTF-8 bytes; valid until the next call of the reader.
    QLatin1String elementTextView();
    // Skips the current element with its children.
    void skip();

    // Ends the read before it starts, for the reason given.
    void refuse(const QString& reason) { m_refused = reason; }

    // Empty after a clean read; otherwise why the part could not be read.
    QString failure() const;

private:
    struct Attribute
    {
        QLatin1String name;
        QLatin1String value; // raw, entities still in place
    };

    enum Markup
    {
        Element,
        Other,
        Stop
    };

    bool fill(qint64 wanted);
    bool findMarkup(bool keep, size_t* textLength);
    Markup readTag();
    bool fail(const QString& reason);
    bool appendText(const char* from, const char* to, std::string* out);
    void compact();
    static QLatin1String localName(const char* from, const char* to);

    QString m_part;
    std::unique_ptr<XlsxPartDevice> m_device;
    std::vector<char> m_buf;
    size_t m_pos = 0;
    size_t m_end = 0;
    qint64 m_lines = 1; // lines in the bytes already dropped from the buffer
    bool m_sourceDone = false;

    bool m_start = false;
    bool m_pendingEnd = false; // the end of a self-closed element comes next
    QLatin1String m_name;
    std::vector<Attribute> m_attributes;
    std::string m_openNames;          // qualified names of the open elements, end to end
    std::vector<size_t> m_openStarts; // where each begins in m_openNames
    bool m_seenRoot = false;
    bool m_finished = false;

    std::string m_scratch;
    std::string m_text;
    bool m_dtd = false;
    QString m_error;
    QString m_refused;
};
