#include "NameUtils.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cstdlib>

namespace {

// Upper bound on the rows one sequence text may produce, so a typo such as
// "1-2000000000" cannot exhaust memory; no folder holds that many pages.
constexpr int kMaxSequenceLength = 1000000;

// \d must cover every Unicode decimal digit, not only ASCII.
const QRegularExpression& tokenPattern()
{
    static const QRegularExpression re(QStringLiteral("(\\d+)|(\\D+)"),
                                       QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

// Anchored to the very end: "$" alone would also accept a trailing newline.
const QRegularExpression& digitsPattern()
{
    static const QRegularExpression re(QRegularExpression::anchoredPattern(QStringLiteral("\\d+")),
                                       QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

// Each entry of the sequence's subsequence test consumes the text's next
// character on equality; true when all of text was consumed.
bool holdsSubsequence(const QString& entry, const QString& text)
{
    int next = 0;
    for (const QChar c : entry) {
        if (next < text.size() && c == text.at(next))
            ++next;
    }
    return next == text.size();
}

} // namespace

QStringList splitTokens(const QString& text)
{
    QStringList tokens;
    auto it = tokenPattern().globalMatch(text);
    while (it.hasNext())
        tokens.append(it.next().captured(0));
    return tokens;
}

bool isAllDigits(const QString& text)
{
    return digitsPattern().match(text).hasMatch();
}

QString runningNumber(const QString& name)
{
    const QStringList tokens = splitTokens(name);
    for (auto it = tokens.crbegin(); it != tokens.crend(); ++it) {
        if (isAllDigits(*it))
            return *it;
    }
    return QString();
}

QString codeText(int number, int length, bool zeroFill)
{
    const QString text = QString::number(number);
    return zeroFill ? text.rightJustified(length, QLatin1Char('0')) : text;
}

QList<int> parseSequence(const QString& text)
{
    QList<int> rows;
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (!part.contains(QLatin1Char('-'))) {
            bool ok = false;
            const int n = part.toInt(&ok);
            if (ok && rows.size() < kMaxSequenceLength)
                rows.append(n - 1);
            continue;
        }
        const QStringList bounds = part.split(QLatin1Char('-'), Qt::SkipEmptyParts);
        if (bounds.size() != 2)
            continue;
        bool okA = false;
        bool okB = false;
        const int a = bounds[0].toInt(&okA);
        const int b = bounds[1].toInt(&okB);
        if (!okA || !okB || a > b)
            continue;
        // Counted in 64 bits so b == INT_MAX cannot overflow the loop.
        for (qint64 n = a; n <= b && rows.size() < kMaxSequenceLength; ++n)
            rows.append(static_cast<int>(n - 1));
    }
    return rows;
}

QString randomString(int length)
{
    static const QString alphabet =
        QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    QString result;
    if (length < 1)
        return result;
    result.reserve(length);
    for (int i = 0; i < length; ++i)
        result.append(alphabet.at(std::rand() % alphabet.size()));
    return result;
}

QString bestMatch(const QString& text, const QStringList& list)
{
    if (list.contains(text))
        return text;
    for (const QString& entry : list) {
        if (holdsSubsequence(entry, text))
            return entry;
    }
    return list.isEmpty() ? QString() : list.first();
}

void clearDir(const QString& path)
{
    // An empty path would mean the working directory: never touch it.
    if (path.isEmpty())
        return;
    QDir dir(path);
    if (dir.isEmpty(QDir::AllEntries | QDir::Drives | QDir::NoDotAndDotDot))
        return;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (!QFile::remove(entry.absoluteFilePath()))
            QDir(entry.absoluteFilePath()).removeRecursively();
    }
}
