#include "DemoArchive.h"

#include "AppPaths.h"
#include "SafeWrite.h"
#include "SettingsStore.h"

#include <QColor>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QVector>
#include <algorithm>
#include <cmath>

namespace {

// A4 at 300 dpi: 210 x 297 mm -> 2480 x 3508 pixels; 300 dpi is 11811 dots per metre.
const int kPageWidth = 2480;
const int kPageHeight = 3508;
const int kDotsPerMetre = 11811;
const int kJpegQuality = 85;
const int kTiffLzw = 1; // Qt's TIFF writer: 0 none, 1 LZW.
const int kMargin = 260;
const double kPi = 3.14159265358979323846;

const QColor kPaper(250, 248, 241);
const QColor kScannerBed(214, 214, 210);
const QColor kInk(38, 38, 44);
const QColor kSealInk(206, 32, 38, 215);

enum class PageKind
{
    Catalogue,
    Text
};

struct DemoPage
{
    const char* folder; // UTF-8
    const char* name;
    PageKind kind;
    double skewDegrees;
    bool seal;
};

// Names follow the scan workflow's four-digit codes; the skews stay within the
// few degrees a feeder produces, in both directions.
const DemoPage kPages[] = {
    {"0001卷", "0001.jpg", PageKind::Catalogue, 0.0, false},
    {"0001卷", "0002.jpg", PageKind::Text, 2.5, false},
    {"0001卷", "0003.jpg", PageKind::Text, 0.0, false},
    {"0001卷", "0004.jpg", PageKind::Text, 0.0, true},
    {"0001卷", "0005.jpg", PageKind::Text, -3.0, false},
    {"0002卷", "0001.tif", PageKind::Catalogue, 0.0, false},
    {"0002卷", "0002.tif", PageKind::Text, -2.0, false},
    {"0002卷", "0003.tif", PageKind::Text, 0.0, false},
    {"0003 scans", "0001.jpg", PageKind::Text, 3.5, false},
    {"0003 scans", "0002.jpg", PageKind::Text, 0.0, false},
    {"0003 scans", "0003.jpg", PageKind::Text, 0.0, false},
};

double between(QRandomGenerator& rng, double low, double high)
{
    return low + (high - low) * rng.generateDouble();
}

// One made-up character: a few strokes (bars, hooks, sweeps and dots) inside the cell.
void drawGlyph(QPainter& painter, QRandomGenerator& rng, const QRectF& cell)
{
    const QRectF box = cell.adjusted(cell.width() * 0.14, cell.height() * 0.14,
                                     -cell.width() * 0.14, -cell.height() * 0.14);
    const int strokes = 2 + rng.bounded(4);
    for (int i = 0; i < strokes; ++i) {
        const double l = box.left(), t = box.top(), w = box.width(), h = box.height();
        switch (rng.bounded(5)) {
        case 0: { // horizontal bar
            const double y = t + h * between(rng, 0.1, 0.9);
            painter.drawLine(QPointF(l + w * between(rng, 0, 0.35), y),
                             QPointF(l + w * between(rng, 0.65, 1), y));
            break;
        }
        case 1: { // vertical bar
            const double x = l + w * between(rng, 0.15, 0.85);
            painter.drawLine(QPointF(x, t + h * between(rng, 0, 0.3)),
                             QPointF(x, t + h * between(rng, 0.7, 1)));
            break;
        }
        case 2: { // sweep down to the left
            QPainterPath path(
                QPointF(l + w * between(rng, 0.5, 0.9), t + h * between(rng, 0, 0.4)));
            path.quadTo(QPointF(l + w * 0.45, t + h * 0.7),
                        QPointF(l, t + h * between(rng, 0.8, 1)));
            painter.drawPath(path);
            break;
        }
        case 3: // sweep down to the right
            painter.drawLine(
                QPointF(l + w * between(rng, 0.3, 0.5), t + h * between(rng, 0.3, 0.5)),
                QPointF(l + w, t + h * between(rng, 0.85, 1)));
            break;
        default: { // dot
            const QPointF at(l + w * between(rng, 0.2, 0.8), t + h * between(rng, 0, 0.5));
            painter.drawLine(at, at + QPointF(w * 0.1, h * 0.12));
            break;
        }
        }
    }
}

// A run of glyphs from x with the given cell size; returns where it ended.
double drawRun(QPainter& painter, QRandomGenerator& rng, double x, double y, double cell, int count)
{
    for (int i = 0; i < count; ++i, x += cell)
        drawGlyph(painter, rng, QRectF(x, y, cell, cell));
    return x;
}

void setInk(QPainter& painter, double width)
{
    QPen pen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
}

void drawTitle(QPainter& painter, QRandomGenerator& rng, int glyphs)
{
    const double cell = 110;
    setInk(painter, 11);
    drawRun(painter, rng, (kPageWidth - glyphs * cell) / 2.0, 330, cell, glyphs);
}

// Body text: paragraphs of lines, first lines indented by two characters.
void drawText(QPainter& painter, QRandomGenerator& rng)
{
    const double cell = 64, lineStep = 100;
    const int perLine = int((kPageWidth - 2 * kMargin) / cell);
    drawTitle(painter, rng, 6 + rng.bounded(5));
    setInk(painter, 6);
    double y = 620;
    const double bottom = kPageHeight - kMargin - 200 - rng.bounded(900);
    bool paragraphStart = true;
    while (y < bottom) {
        const int indent = paragraphStart ? 2 : 0;
        const bool paragraphEnd = rng.bounded(6) == 0;
        const int count = paragraphEnd ? indent + 3 + rng.bounded(perLine - 8) : perLine;
        drawRun(painter, rng, kMargin + indent * cell, y, cell, count - indent);
        paragraphStart = paragraphEnd;
        y += lineStep + (paragraphEnd ? 30 : 0);
    }
}

// A volume's contents list: a ruled table with short entries in each cell.
void drawCatalogue(QPainter& painter, QRandomGenerator& rng)
{
    drawTitle(painter, rng, 4);
    const double columns[] = {0, 150, 520, 1360, 1600, 1780, 1960};
    const int rows = 16;
    const double top = 620, rowHeight = 150;
    const double left = kMargin;
    painter.setPen(QPen(kInk, 4));
    for (int r = 0; r <= rows; ++r)
        painter.drawLine(QPointF(left, top + r * rowHeight),
                         QPointF(left + columns[6], top + r * rowHeight));
    for (double c : columns)
        painter.drawLine(QPointF(left + c, top), QPointF(left + c, top + rows * rowHeight));
    setInk(painter, 5);
    const double cell = 52;
    for (int r = 0; r < rows - rng.bounded(4); ++r) {
        for (int c = 0; c < 6; ++c) {
            const int room = int((columns[c + 1] - columns[c] - 30) / cell);
            const int count = (r == 0) ? std::min(room, 2 + rng.bounded(2))
                                       : std::max(1, room - rng.bounded(std::max(1, room / 2 + 1)));
            drawRun(painter, rng, left + columns[c] + 18, top + r * rowHeight + 48, cell, count);
        }
    }
}

// A round seal: a thick ring, a thin inner ring, a star and marks along the rim.
void drawSeal(QPainter& painter, QRandomGenerator& rng, const QPointF& centre)
{
    const double radius = 200;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.setPen(QPen(kSealInk, 16));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(QPen(kSealInk, 4));
    painter.drawEllipse(centre, radius - 30, radius - 30);

    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 == 0) ? 70 : 28;
        const double a = kPi * (i / 5.0) - kPi / 2;
        star << centre + QPointF(r * std::cos(a), r * std::sin(a));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSealInk);
    painter.drawPolygon(star);

    painter.setPen(QPen(kSealInk, 7, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 9; ++i) {
        painter.save();
        painter.translate(centre);
        painter.rotate(-110 + i * 27.5);
        drawGlyph(painter, rng, QRectF(-26, -radius + 40, 52, 52));
        painter.restore();
    }
    painter.restore();
}

QImage renderPage(const DemoPage& page, quint32 seed)
{
    QImage image(kPageWidth, kPageHeight, QImage::Format_RGB32);
    image.fill(page.skewDegrees != 0.0 ? kScannerBed : kPaper);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A page fed in at an angle: the sheet and everything on it turns about the
    // middle, and the scanner bed shows in the corners.
    painter.translate(kPageWidth / 2.0, kPageHeight / 2.0);
    painter.rotate(page.skewDegrees);
    painter.translate(-kPageWidth / 2.0, -kPageHeight / 2.0);
    painter.fillRect(QRectF(18, 18, kPageWidth - 36, kPageHeight - 36), kPaper);

    QRandomGenerator rng(seed);
    if (page.kind == PageKind::Catalogue)
        drawCatalogue(painter, rng);
    else
        drawText(painter, rng);
    if (page.seal)
        drawSeal(painter, rng, QPointF(kPageWidth - kMargin - 420, kPageHeight - kMargin - 520));
    painter.end();

    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    return image;
}

bool writePage(const QImage& image, const QString& path)
{
    const bool tiff = QFileInfo(path).suffix() == QLatin1String("tif");
    // Scanned TIFF pages are usually grey; JPEG pages keep their colour.
    const QImage out = tiff ? image.convertToFormat(QImage::Format_Grayscale8) : image;
    QString error;
    const bool ok = SafeWrite::replaceFile(
        path,
        [&](const QString& temporaryPath) {
            QImageWriter writer(temporaryPath, tiff ? "tiff" : "jpeg");
            if (tiff)
                writer.setCompression(kTiffLzw);
            else
                writer.setQuality(kJpegQuality);
            return writer.write(out);
        },
        &error);
    if (!ok) {
        qWarning() << "demo page not written" << path << error;
        return false;
    }
    return true;
}

} // namespace

bool DemoArchive::create(const QString& dir)
{
    // An empty name would put the volumes at the file-system root.
    if (dir.trimmed().isEmpty())
        return false;
    bool ok = true;
    quint32 seed = 20240317;
    for (const DemoPage& page : kPages) {
        ++seed;
        const QString folder = dir + QLatin1Char('/') + QString::fromUtf8(page.folder);
        if (!QDir().mkpath(folder)) {
            qWarning() << "demo folder not created" << folder;
            ok = false;
            continue;
        }
        const QString path = folder + QLatin1Char('/') + QLatin1String(page.name);
        if (QFileInfo::exists(path))
            continue;
        ok = writePage(renderPage(page, seed), path) && ok;
    }
    return ok;
}

QString DemoArchive::ensureRootPath()
{
    // A root the operator chose is kept even while it is missing (a network
    // share that is offline at start), so the choice is never lost; only the
    // demo archive itself is made again when it has gone.
    const QString demo = AppPaths::dataDir() + QStringLiteral("/demo-archive");
    const QString stored = SettingsStore::settingValue(SettingsStore::kRootPath).toString();
    if (!stored.isEmpty() && (stored != demo || QFileInfo(stored).isDir()))
        return stored;

    if (!create(demo)) {
        qWarning() << "demo archive could not be created in" << demo;
        // A partly written archive is still better than no root at all.
        if (!QFileInfo(demo).isDir())
            return QString();
    }
    qInfo() << "root path set to demo archive" << demo;
    SettingsStore::setSettingValue(SettingsStore::kRootPath, demo);
    return demo;
}
