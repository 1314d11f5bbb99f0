#include "XlsxPartReader.h"

#include "XlsxXmlText.h"

#include <algorithm>
#include <cstring>

namespace {

const size_t chunkSize = 256 * 1024;

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// memchr runs far faster than a byte loop, and most sheets are one long line.
qint64 lineEnds(const char* from, const char* to)
{
    qint64 n = 0;
    while ((from = static_cast<const char*>(memchr(from, '\n', size_t(to - from))))) {
        ++n;
        ++from;
    }
    return n;
}

} // namespace

XlsxPartReader::XlsxPartReader(const QString& partName, std::unique_ptr<XlsxPartDevice> device)
    : m_part(partName), m_device(std::move(device)), m_buf(chunkSize)
{
}

QLatin1String XlsxPartReader::localName(const char* from, const char* to)
{
    const char* colon = static_cast<const char*>(memchr(from, ':', size_t(to - from)));
    if (colon)
        from = colon + 1;
    return QLatin1String(from, int(to - from));
}

bool XlsxPartReader::fail(const QString& reason)
{
    if (m_error.isEmpty()) {
        const qint64 line = m_lines + lineEnds(m_buf.data(), m_buf.data() + std::min(m_pos, m_end));
        m_error =
            QStringLiteral("部件 %1 第 %2 行 XML 格式错误：%3").arg(m_part).arg(line).arg(reason);
    }
    return false;
}

void XlsxPartReader::compact()
{
    m_lines += lineEnds(m_buf.data(), m_buf.data() + m_pos);
    std::memmove(m_buf.data(), m_buf.data() + m_pos, m_end - m_pos);
    m_end -= m_pos;
    m_pos = 0;
}

// Makes at least `wanted` bytes available from m_pos, unless the part ends first.
// Moves the buffer: views into it die here.
bool XlsxPartReader::fill(qint64 wanted)
{
    while (qint64(m_end - m_pos) < wanted) {
        if (m_sourceDone)
            return false;
        if (m_pos > 0)
            compact();
        if (m_buf.size() < m_end + chunkSize)
            m_buf.resize(m_end + chunkSize);
        const qint64 n = m_device->read(m_buf.data() + m_end, qint64(chunkSize));
        if (n <= 0) {
            m_sourceDone = true;
            continue;
        }
        if (m_end == 0 && m_lines == 1 && n >= 2 &&
            ((uchar(m_buf[0]) == 0xFF && uchar(m_buf[1]) == 0xFE) ||
             (uchar(m_buf[0]) == 0xFE && uchar(m_buf[1]) == 0xFF))) {
            m_sourceDone = true;
            m_error = QStringLiteral("部件 %1 使用 UTF-16 编码，无法读取").arg(m_part);
            return false;
        }
        m_end += size_t(n);
    }
    return true;
}

bool XlsxPartReader::appendText(const char* from, const char* to, std::string* out)
{
    return XlsxXmlText::appendDecoded(from, to, out) || fail(QStringLiteral("无法识别的实体引用"));
}

// Reads one piece of markup starting at '<'. Start and end tags set the current
// element; CDATA is appended to m_text when collecting; comments and processing
// instructions are passed over.
XlsxPartReader::Markup XlsxPartReader::readTag()
{
    auto failed = [this](const QString& reason) {
        fail(reason);
        return Stop;
    };
    auto findFrom = [this](size_t offset, const char* what) -> qint64 {
        const size_t len = strlen(what);
        for (;;) {
            const char* from = m_buf.data() + m_pos + offset;
            const char* found =
                static_cast<const char*>(memmem(from, m_end - m_pos - offset, what, len));
            if (found)
                return found - (m_buf.data() + m_pos);
            const size_t have = m_end - m_pos;
            offset = have >= len ? have - len + 1 : offset;
            if (!fill(qint64(have + chunkSize / 2)) && m_end - m_pos == have)
                return -1;
        }
    };
    if (m_end - m_pos < 9)
        fill(9);
    const char* p = m_buf.data() + m_pos;
    const size_t have = m_end - m_pos;
    if (have >= 2 && p[1] == '?') {
        const qint64 end = findFrom(2, "?>");
        if (end < 0)
            return failed(QStringLiteral("处理指令没有结束"));
        m_pos += size_t(end) + 2;
        return Other;
    }
    if (have >= 4 && memcmp(p, "<!--", 4) == 0) {
        const qint64 end = findFrom(4, "-->");
        if (end < 0)
            return failed(QStringLiteral("注释没有结束"));
        m_pos += size_t(end) + 3;
        return Other;
    }
    if (have >= 9 && memcmp(p, "<![CDATA[", 9) == 0) {
        const qint64 end = findFrom(9, "]]>");
        if (end < 0)
            return failed(QStringLiteral("CDATA 没有结束"));
        m_text.append(m_buf.data() + m_pos + 9, size_t(end) - 9);
        m_pos += size_t(end) + 3;
        return Other;
    }
    if (have >= 2 && p[1] == '!') {
        m_dtd = true;
        return Stop;
    }

    // A start or end tag: find its '>' outside quoted attribute values. Plain
    // bytes are passed by a tight loop; quoted values are jumped with memchr.
    size_t i = 1;
    for (;;) {
        const char* from = m_buf.data() + m_pos;
        const char* q = from + i;
        const char* e = from + (m_end - m_pos);
        while (q < e && *q != '>' && *q != '"' && *q != '\'' && *q != '<')
            ++q;
        if (q < e && (*q == '"' || *q == '\'')) {
            const char* close = static_cast<const char*>(memchr(q + 1, *q, size_t(e - q - 1)));
            if (close) {
                i = size_t(close - from) + 1;
                continue;
            }
            // The value goes on past the buffer: read more, look again from its quote.
        } else if (q < e && *q == '<') {
            return failed(QStringLiteral("标签格式错误"));
        } else if (q < e) {
            i = size_t(q - from);
            break;
        } else {
            i = size_t(q - from); // all plain so far
        }
        const size_t have = m_end - m_pos;
        if (!fill(qint64(have + chunkSize / 2)) && m_end - m_pos == have)
            return failed(QStringLiteral("文档意外结束"));
    }
    const char* begin = m_buf.data() + m_pos;
    const char* end = begin + i; // at '>'
    m_pos += i + 1;

    if (begin[1] == '/') {
        const char* nameEnd = end;
        while (nameEnd > begin + 2 && isSpace(nameEnd[-1]))
            --nameEnd;
        const size_t len = size_t(nameEnd - (begin + 2));
        const size_t top = m_openStarts.empty() ? 0 : m_openStarts.back();
        if (m_openStarts.empty() || m_openNames.size() - top != len ||
            memcmp(m_openNames.data() + top, begin + 2, len) != 0) {
            m_pos -= i + 1;
            return failed(QStringLiteral("结束标签与开始标签不匹配"));
        }
        m_openNames.resize(top);
        m_openStarts.pop_back();
        m_finished = m_openStarts.empty();
        m_start = false;
        m_name = localName(begin + 2, nameEnd);
        return Element;
    }

    const char* q = begin + 1;
    const char* nameEnd = q;
    while (nameEnd < end && !isSpace(*nameEnd) && *nameEnd != '/' && *nameEnd != '>')
        ++nameEnd;
    if (nameEnd == q || m_finished) {
        m_pos -= i + 1;
        return failed(m_finished ? QStringLiteral("根元素之后还有元素")
                                 : QStringLiteral("标签格式错误"));
    }
    const bool selfClosed = end[-1] == '/' && end - 1 >= nameEnd;
    const char* attrEnd = selfClosed ? end - 1 : end;
    m_attributes.clear();
    for (q = nameEnd;;) {
        while (q < attrEnd && isSpace(*q))
            ++q;
        if (q >= attrEnd)
            break;
        const char* an = q;
        while (q < attrEnd && *q != '=' && !isSpace(*q))
            ++q;
        const char* anEnd = q;
        while (q < attrEnd && isSpace(*q))
            ++q;
        if (q >= attrEnd || *q != '=' || an == anEnd) {
            m_pos -= i + 1;
            return failed(QStringLiteral("属性格式错误"));
        }
        ++q;
        while (q < attrEnd && isSpace(*q))
            ++q;
        if (q >= attrEnd || (*q != '"' && *q != '\'')) {
            m_pos -= i + 1;
            return failed(QStringLiteral("属性格式错误"));
        }
        const char* close = static_cast<const char*>(memchr(q + 1, *q, size_t(attrEnd - q - 1)));
        if (!close) {
            m_pos -= i + 1;
            return failed(QStringLiteral("属性格式错误"));
        }
        m_attributes.push_back(
            Attribute{localName(an, anEnd), QLatin1String(q + 1, int(close - q - 1))});
        q = close + 1;
    }
    m_start = true;
    m_seenRoot = true;
    m_name = localName(begin + 1, nameEnd);
    if (selfClosed) {
        m_pendingEnd = true;
        m_finished = m_openStarts.empty();
    } else {
        m_openStarts.push_back(m_openNames.size());
        m_openNames.append(begin + 1, size_t(nameEnd - begin - 1));
    }
    return Element;
}

// Moves m_pos to the next '<', dropping the text before it unless `keep` is set
// (then the text stays in the buffer from m_pos on). False when the part ends.
bool XlsxPartReader::findMarkup(bool keep, size_t* textLength)
{
    if (m_pos < m_end && m_buf[m_pos] == '<') {
        *textLength = 0; // the common case between tags
        return true;
    }
    size_t scanned = 0;
    for (;;) {
        const char* from = m_buf.data() + m_pos + scanned;
        const char* lt = static_cast<const char*>(memchr(from, '<', m_end - m_pos - scanned));
        if (lt) {
            *textLength = size_t(lt - (m_buf.data() + m_pos));
            return true;
        }
        if (keep) {
            scanned = m_end - m_pos;
        } else {
            m_pos = m_end;
        }
        if (!fill(qint64(scanned + 1))) {
            if (m_error.isEmpty() && (!m_seenRoot || !m_openStarts.empty()) &&
                m_device->overrun() == XlsxPartDevice::NoOverrun && !m_device->inflateFailed())
                fail(QStringLiteral("文档意外结束"));
            return false;
        }
    }
}

bool XlsxPartReader::next()
{
    if (m_pendingEnd) {
        m_pendingEnd = false;
        m_start = false;
        return true;
    }
    size_t textLength = 0;
    while (!m_dtd && m_refused.isEmpty() && m_error.isEmpty()) {
        m_text.clear();
        if (!findMarkup(false, &textLength))
            return false;
        m_pos += textLength;
        switch (readTag()) {
        case Element:
            return true;
        case Stop:
            return false;
        case Other:
            break;
        }
    }
    return false;
}

QLatin1String XlsxPartReader::elementTextView()
{
    m_text.clear();
    if (!m_start)
        return QLatin1String();
    if (m_pendingEnd) {
        m_pendingEnd = false;
        m_start = false;
        return QLatin1String();
    }
    const size_t depth = m_openStarts.size();
    size_t textLength = 0;
    while (!m_dtd && m_refused.isEmpty() && m_error.isEmpty()) {
        if (!findMarkup(true, &textLength))
            break;
        const char* from = m_buf.data() + m_pos;
        if (!appendText(from, from + textLength, &m_text))
            break;
        m_pos += textLength;
        const Markup markup = readTag();
        if (markup == Stop)
            break;
        if (markup == Element && m_pendingEnd) {
            m_pendingEnd = false;
            m_start = false;
        }
        if (markup == Element && !m_start && m_openStarts.size() < depth)
            return QLatin1String(m_text.data(), int(m_text.size()));
    }
    m_text.clear();
    return QLatin1String();
}

QString XlsxPartReader::elementText()
{
    const QLatin1String text = elementTextView();
    return QString::fromUtf8(text.data(), text.size());
}

void XlsxPartReader::skip()
{
    if (!m_start)
        return;
    if (m_pendingEnd) {
        m_pendingEnd = false;
        m_start = false;
        return;
    }
    const size_t depth = m_openStarts.size();
    while (next()) {
        if (!m_start && m_openStarts.size() < depth)
            return;
    }
}

QLatin1String XlsxPartReader::attributeView(QLatin1String localName)
{
    for (const Attribute& a : m_attributes) {
        if (a.name != localName)
            continue;
        if (!memchr(a.value.data(), '&', size_t(a.value.size())))
            return a.value;
        m_scratch.clear();
        if (!appendText(a.value.data(), a.value.data() + a.value.size(), &m_scratch))
            return QLatin1String();
        return QLatin1String(m_scratch.data(), int(m_scratch.size()));
    }
    return QLatin1String();
}

QString XlsxPartReader::attribute(const QString& localName) const
{
    const QByteArray wanted = localName.toUtf8();
    for (const Attribute& a : m_attributes) {
        if (a.name != QLatin1String(wanted))
            continue;
        // Line ends and tabs written literally in attribute values read as spaces;
        // written as character references they stay what they are.
        std::string raw(a.value.data(), size_t(a.value.size()));
        std::replace_if(
            raw.begin(), raw.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; },
            ' ');
        std::string decoded;
        if (!XlsxXmlText::appendDecoded(raw.data(), raw.data() + raw.size(), &decoded))
            return QString();
        return QString::fromUtf8(decoded.data(), int(decoded.size()));
    }
    return QString();
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
    case XlsxPartDevice::DeclaredOverrun:
        return QStringLiteral("部件 %1 解压后比压缩包记录的大小更大，疑似压缩炸弹").arg(m_part);
    case XlsxPartDevice::TextOverrun:
        return QStringLiteral("部件 %1 含有超长文本，不是正常的工作簿").arg(m_part);
    case XlsxPartDevice::NoOverrun:
        break;
    }
    if (m_device->inflateFailed())
        return QStringLiteral("部件 %1 解压失败，文件可能已损坏").arg(m_part);
    if (m_dtd)
        return QStringLiteral("部件 %1 含有 DTD，拒绝读取").arg(m_part);
    return m_error;
}
