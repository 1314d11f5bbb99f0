// Build-time tool: renders the hand-drawn SVG icons into the raster files the
// widgets load from the resource tree.
//
//   tarvo_icon_renderer <svg-dir> <out-dir> <name>...
//
// Each name "base.ext" is drawn from "<svg-dir>/base.svg":
//   .png  one image at the SVG's own width and height;
//   .ico  one icon holding the sizes 16, 24, 32 and 48 (written with Magick++);
//   .gif  an endless animation of the SVG turned by equal steps, one full turn
//         (Qt has no GIF writer, so Magick++ writes it).
// The process exits non-zero at the first file it cannot produce.

#include <Magick++.h>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>
#include <list>

namespace {

const int kIcoSizes[] = {16, 24, 32, 48};
// Twelve frames at 80 ms: one turn a second, a calm busy indicator.
const int kGifFrames = 12;
const int kGifDelayCentiseconds = 8;

QImage renderSvg(QSvgRenderer& svg, const QSize& size, qreal turnDegrees = 0.0)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (turnDegrees != 0.0) {
        painter.translate(size.width() / 2.0, size.height() / 2.0);
        painter.rotate(turnDegrees);
        painter.translate(-size.width() / 2.0, -size.height() / 2.0);
    }
    svg.render(&painter, QRectF(QPointF(0, 0), size));
    return image;
}

Magick::Image toMagick(const QImage& image)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    Magick::Image out(rgba.width(), rgba.height(), "RGBA", Magick::CharPixel, rgba.constBits());
    out.depth(8);
    return out;
}

// Magick++ reports failure by throwing; returning means the file is complete.
bool writeIco(QSvgRenderer& svg, const QString& path)
{
    std::list<Magick::Image> sizes;
    for (int side : kIcoSizes)
        sizes.push_back(toMagick(renderSvg(svg, QSize(side, side))));
    Magick::writeImages(sizes.begin(), sizes.end(), "ICO:" + QFile::encodeName(path).toStdString());
    return true;
}

bool writeGif(QSvgRenderer& svg, const QString& path)
{
    std::list<Magick::Image> frames;
    for (int i = 0; i < kGifFrames; ++i) {
        Magick::Image frame = toMagick(renderSvg(svg, svg.defaultSize(), 360.0 * i / kGifFrames));
        frame.animationDelay(kGifDelayCentiseconds);
        frame.animationIterations(0);
        // Frames have transparent parts: each must replace, not overlay, the last.
        frame.gifDisposeMethod(MagickCore::BackgroundDispose);
        frames.push_back(frame);
    }
    Magick::writeImages(frames.begin(), frames.end(),
                        "GIF:" + QFile::encodeName(path).toStdString());
    return true;
}

bool renderOne(const QString& svgDir, const QString& outDir, const QString& name)
{
    const QFileInfo info(name);
    const QString source = svgDir + "/" + info.completeBaseName() + ".svg";
    QSvgRenderer svg(source);
    if (!svg.isValid()) {
        QTextStream(stderr) << "cannot read " << source << "\n";
        return false;
    }
    const QString target = outDir + "/" + name;
    const QString suffix = info.suffix().toLower();
    bool written = false;
    try {
        if (suffix == "png")
            written = renderSvg(svg, svg.defaultSize()).save(target, "PNG");
        else if (suffix == "ico")
            written = writeIco(svg, target);
        else if (suffix == "gif")
            written = writeGif(svg, target);
        else
            QTextStream(stderr) << "unsupported output type " << name << "\n";
    } catch (const Magick::Exception& e) {
        QTextStream(stderr) << target << ": " << e.what() << "\n";
    }
    // A half-written file would look up to date to the build; leave none behind.
    if (!written)
        QFile::remove(target);
    return written;
}

} // namespace

int main(int argc, char* argv[])
{
    // Text in the SVGs needs fonts, hence an application; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Magick::InitializeMagick(argv[0]);

    const QStringList args = app.arguments();
    if (args.size() < 4) {
        QTextStream(stderr) << "usage: tarvo_icon_renderer <svg-dir> <out-dir> <name>...\n";
        return 2;
    }
    if (!QDir().mkpath(args.at(2))) {
        QTextStream(stderr) << "cannot create " << args.at(2) << "\n";
        return 1;
    }
    for (int i = 3; i < args.size(); ++i) {
        if (!renderOne(args.at(1), args.at(2), args.at(i))) {
            QTextStream(stderr) << "failed: " << args.at(i) << "\n";
            return 1;
        }
    }
    return 0;
}
