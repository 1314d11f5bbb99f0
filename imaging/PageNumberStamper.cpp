#include "PageNumberStamper.h"

#include "ExifOrientation.h"
#include "ImageMagickHelper.h"
#include "MagickRuntime.h"
#include "SafeWrite.h"

#include <Magick++.h>
#include <QDebug>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <vector>

namespace {

const int kTextFlags = Qt::AlignHCenter | Qt::AlignVCenter;

// Packed rows of image for Magick++ (QImage rows are padded to 4 bytes); one
// grey byte per pixel for grey pages, red, green, blue otherwise.
Magick::Image magickFromQImage(const QImage& image, bool grey)
{
    const QImage packedFormat =
        image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    const int rowBytes = packedFormat.width() * (grey ? 1 : 3);
    std::vector<uchar> packed(static_cast<size_t>(rowBytes) * packedFormat.height());
    for (int y = 0; y < packedFormat.height(); ++y)
        std::copy_n(packedFormat.constScanLine(y), rowBytes,
                    packed.data() + static_cast<size_t>(y) * rowBytes);
    Magick::Image out;
    out.read(packedFormat.width(), packedFormat.height(), grey ? "I" : "RGB", Magick::CharPixel,
             packed.data());
    return out;
}

// The stamped page takes over what the file had: resolution (exact, with its
// unit), compression, quality and, for grey pages, the grey colour type.
void keepFileSettings(const Magick::Image& original, Magick::Image& out)
{
    const double xRes = original.xResolution();
    const double yRes = original.yResolution();
    out.resolutionUnits(original.resolutionUnits() == Magick::UndefinedResolution
                            ? Magick::PixelsPerInchResolution
                            : original.resolutionUnits());
    out.density(Magick::Geometry(static_cast<size_t>(xRes), static_cast<size_t>(yRes)));
    out.modifyImage();
    out.image()->x_resolution = xRes;
    out.image()->y_resolution = yRes;
    out.compressType(original.compressType());
    if (original.quality() > 0)
        out.quality(original.quality());
    if (original.colorSpace() == Magick::GRAYColorspace)
        out.type(Magick::GrayscaleType);
}

QString fileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

QString PageNumberStamper::numberText(const stPageNoInfo& pageNo, int number)
{
    QString digits = QString::number(number);
    if (pageNo.zeroFill)
        digits = digits.rightJustified(pageNo.noLen, QLatin1Char('0'));
    return pageNo.prefix + digits + pageNo.suffix;
}

QFont PageNumberStamper::scaledFont(const PageNumberJob& job, double sy)
{
    QFont font(job.fontFamily);
    font.setPixelSize(std::max(1, static_cast<int>(job.fontPixelSize * sy)));
    font.setBold(job.bold);
    font.setItalic(job.italic);
    font.setUnderline(job.underline);
    font.setStrikeOut(job.strikeOut);
    return font;
}

QRect PageNumberStamper::stampImage(QImage& image, const PageNumberJob& job, const QString& text)
{
    // Without a displayed page the item's coordinates are taken as image pixels.
    const bool hasPage = job.pageRect.width() > 0 && job.pageRect.height() > 0;
    const double sx = hasPage ? image.width() / job.pageRect.width() : 1.0;
    const double sy = hasPage ? image.height() / job.pageRect.height() : 1.0;
    const QFont font = scaledFont(job, sy);
    const QPointF onPage = job.itemPos - job.pageRect.topLeft();
    const QRect box(static_cast<int>(onPage.x() * sx), static_cast<int>(onPage.y() * sy),
                    QFontMetrics(font).horizontalAdvance(text),
                    static_cast<int>(job.itemHeight * sy));
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(box, kTextFlags, text);
    return box;
}

bool PageNumberStamper::stampFile(const QString& path, const PageNumberJob& job,
                                  const QString& text, bool* readable)
{
    *readable = false;
    // Magick++ keeps only the first frame: rewriting a multi-page file would drop
    // the others, so such a file is not a page to number.
    if (QImageReader(path).imageCount() > 1) {
        qWarning() << "multi-page file, no page number:" << path;
        return false;
    }
    try {
        Magick::Image original;
        original.quiet(true);
        original.read(path.toUtf8().toStdString());
        if (!original.isValid())
            return false;
        // The number goes where the operator sees the corner; the page is
        // written as shown, without the tag.
        ExifOrientation::upright(original);
        QImage image = ImageMagickHelper::toQImage(original);
        if (image.isNull())
            return false;
        *readable = true;
        stampImage(image, job, text);

        const bool grey = original.colorSpace() == Magick::GRAYColorspace;
        Magick::Image out = magickFromQImage(image, grey);
        keepFileSettings(original, out);
        QString error;
        const bool ok = SafeWrite::replaceFile(
            path,
            [&out](const QString& temporary) {
                out.write(temporary.toUtf8().toStdString());
                return true;
            },
            &error);
        if (!ok)
            qWarning() << "page number not written:" << error;
        return ok;
    } catch (const std::exception& e) {
        qWarning() << "Caught exception:" << e.what() << path;
        return false;
    }
}

int PageNumberStamper::run(const PageNumberJob& job, const Progress& progress,
                           const StopRequested& stopRequested)
{
    MagickRuntime::ensureInitialised();
    int number = job.startNumber;
    int stamped = 0;
    for (const QString& path : job.files) {
        if (stopRequested && stopRequested())
            break;
        bool readable = false;
        const bool ok = stampFile(path, job, numberText(job.pageNo, number), &readable);
        // An unreadable file is not a page; a page that could not be rewritten
        // keeps its place in the numbering so later pages stay on their numbers.
        if (!readable)
            continue;
        ++number;
        if (ok)
            ++stamped;
        if (progress)
            progress(fileNameOf(path));
    }
    return stamped;
}

QImage PageNumberStamper::paintText(const QImage& image, const QString& text, const QFont& font,
                                    const QPoint& topLeft)
{
    if (image.isNull())
        return image;
    QImage out = image.copy();
    if (out.format() == QImage::Format_Indexed8 || out.format() == QImage::Format_Mono ||
        out.format() == QImage::Format_MonoLSB)
        out = out.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&out);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QRect area(topLeft, QSize(std::max(1, out.width() - topLeft.x()),
                                    std::max(1, out.height() - topLeft.y())));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop, text);
    return out;
}

cv::Mat PageNumberStamper::paintText(const cv::Mat& image, const QString& text, const QFont& font,
                                     const QPoint& topLeft)
{
    cv::Mat out = image.clone();
    const int channels = out.channels();
    if (out.empty() || out.depth() != CV_8U || (channels != 1 && channels != 3 && channels != 4))
        return out;

    // Only the area the text can reach is converted and painted; the margin of one
    // line height covers overhanging glyphs, underline and italics.
    const QFontMetrics metrics(font);
    const QRect textRect = metrics.boundingRect(QRect(topLeft, QSize(out.cols, out.rows)),
                                                Qt::AlignLeft | Qt::AlignTop, text);
    const int pad = metrics.height();
    const QRect reach =
        textRect.adjusted(-pad, -pad, pad, pad).intersected(QRect(0, 0, out.cols, out.rows));
    if (reach.isEmpty())
        return out;
    cv::Mat area = out(cv::Rect(reach.x(), reach.y(), reach.width(), reach.height()));

    cv::Mat work;
    QImage::Format format = QImage::Format_Grayscale8;
    if (channels == 3) {
        cv::cvtColor(area, work, cv::COLOR_BGR2RGB);
        format = QImage::Format_RGB888;
    } else {
        work = area.clone();
        // Blue, green, red, alpha bytes are Format_ARGB32 on little-endian machines.
        if (channels == 4)
            format = QImage::Format_ARGB32;
    }
    const QImage wrapped(work.data, work.cols, work.rows, static_cast<int>(work.step), format);
    const QImage painted = paintText(wrapped, text, font, topLeft - reach.topLeft());
    for (int y = 0; y < work.rows; ++y)
        std::copy_n(painted.constScanLine(y), work.cols * channels, work.ptr<uchar>(y));
    if (channels == 3)
        cv::cvtColor(work, area, cv::COLOR_RGB2BGR);
    else
        work.copyTo(area);
    return out;
}
