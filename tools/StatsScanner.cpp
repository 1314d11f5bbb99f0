#include "StatsScanner.h"

#include "ImageHeader.h"
#include "PageFormat.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <cmath>

StatsScanner::StatsScanner(int toleranceMm, const QStringList& suffixes) : m_tolerance(toleranceMm)
{
    for (const QString& suffix : suffixes.isEmpty() ? allSuffixes() : suffixes)
        m_filters << QStringLiteral("*.") + suffix;
}

QStringList StatsScanner::splitSuffixes(const QString& text)
{
    QStringList suffixes;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString suffix = part.trimmed();
        if (!suffix.isEmpty())
            suffixes << suffix;
    }
    return suffixes;
}

const QStringList& StatsScanner::allSuffixes()
{
    static const QStringList suffixes = [] {
        QStringList list;
        for (const QByteArray& format : QImageReader::supportedImageFormats())
            list << QString::fromLatin1(format);
        return list;
    }();
    return suffixes;
}

StatsTotals StatsScanner::scan(DirStat& root, const Hooks& hooks)
{
    m_totals = StatsTotals();
    m_hooks = hooks;
    scanDirectory(root);
    return m_totals;
}

void StatsScanner::scanDirectory(DirStat& dir)
{
    if (m_hooks.cancelled && m_hooks.cancelled())
        return;
    if (m_hooks.progress)
        m_hooks.progress(dir.name);
    const QDir folder(dir.path);
    if (!folder.exists()) {
        if (m_hooks.problem)
            m_hooks.problem(dir.path + QStringLiteral(" is not exists"));
        return;
    }
    // Hidden entries are left out by not asking for them; the name filter
    // ignores case, so "A.JPG" counts as well as "a.jpg".
    const QFileInfoList files = folder.entryInfoList(
        m_filters, QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : files) {
        FileStat stat;
        if (!countFile(info.filePath(), stat)) {
            if (m_hooks.problem)
                m_hooks.problem(info.filePath() + QStringLiteral(" is void"));
            continue;
        }
        stat.fileName = info.fileName();
        const int dot = stat.fileName.lastIndexOf(QLatin1Char('.'));
        stat.suffix = dot < 0 ? QString() : stat.fileName.mid(dot + 1);
        stat.bytes = info.size();
        ++m_totals.fileCount;
        m_totals.bytes += stat.bytes;
        dir.bytes += stat.bytes;
        if (stat.hasResolution()) {
            ++m_totals.counts[stat.format];
            ++dir.counts[stat.format];
        } else {
            ++m_totals.noResolution;
            ++dir.noResolution;
        }
        dir.files.append(stat);
    }
    dir.fileCount = dir.files.size();
    dir.a4Equivalent = 0;
    for (auto it = dir.counts.constBegin(); it != dir.counts.constEnd(); ++it)
        dir.a4Equivalent += PageFormat::a4Weight(it.key()) * it.value();

    const QFileInfoList subDirs =
        folder.entryInfoList(QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : subDirs) {
        if (m_hooks.cancelled && m_hooks.cancelled())
            return;
        DirStat sub;
        sub.name = info.fileName();
        sub.path = info.filePath();
        scanDirectory(sub);
        dir.subDirs.append(std::move(sub));
    }
}

bool StatsScanner::countFile(const QString& path, FileStat& stat)
{
    const ImageHeader header = ImageHeader::read(path);
    if (!header.valid)
        return false;
    stat.pixels = QSize(header.width, header.height);
    stat.colourText = PageFormat::colourText(header.depth, header.channels);
    stat.pages = header.pages;
    m_totals.pages += header.pages;
    if (header.pages > 1)
        ++m_totals.multiPageFiles;
    // Whole dots per inch, fractions dropped (a 299.9 dpi header counts as 299).
    const int xDpi = int(header.xDpi);
    const int yDpi = int(header.yDpi);
    if (xDpi <= 0 || yDpi <= 0) {
        // No size in millimetres: counted apart rather than billed as 超A0.
        stat.dpiText = QStringLiteral("0x0");
        ++m_totals.byResolution[stat.dpiText];
        return true;
    }
    stat.dpiText = QStringLiteral("%1x%2").arg(xDpi).arg(yDpi);
    ++m_totals.byResolution[stat.dpiText];
    if (std::min(xDpi, yDpi) < kMinimumDpi)
        ++m_totals.underMinimumDpi;
    stat.format = PageFormat::classify(stat.pixels, xDpi, yDpi, m_tolerance);
    return true;
}
