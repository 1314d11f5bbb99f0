#include "ThumbnailLoader.h"

#include "JpegThumbnailDecoder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QMutexLocker>
#include <QPointer>
#include <opencv2/imgproc.hpp>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

// An eighth of an A4 page at 300 dpi (2480 x 3508): the JPEG reader's cheapest
// scale, a hair under the largest zoom's 315 x 445, which nobody can tell apart.
const QSize kDecodeBox(310, 438);

// Decoders yield to the window's thread when both want the processor.
void lowerThreadPriority()
{
#ifdef Q_OS_LINUX
    static thread_local bool lowered = false;
    if (!lowered) {
        setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 5);
        lowered = true;
    }
#endif
}

} // namespace

ThumbnailLoader::ThumbnailLoader(qint64 cacheBytes, QObject* parent)
    : QObject(parent), m_cache(int(qMin<qint64>(cacheBytes >> 10, INT_MAX)))
{
    // A decoder a core: they run at a lower priority than the window's thread,
    // so it still answers at once; two at least, so a slow page never holds
    // up the rest.
    m_pool.setMaxThreadCount(qBound(2, QThread::idealThreadCount(), 8));
    m_pool.setExpiryTimeout(5000);
}

ThumbnailLoader::~ThumbnailLoader()
{
    cancel();
    m_pool.waitForDone();
}

ThumbnailLoader* ThumbnailLoader::shared()
{
    static QPointer<ThumbnailLoader> loader;
    if (!loader)
        loader = new ThumbnailLoader(192ll << 20, QCoreApplication::instance());
    return loader;
}

QString ThumbnailLoader::identity(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        return QStringLiteral("%1:%2:%3:%4.%5")
            .arg(qulonglong(st.st_dev))
            .arg(qulonglong(st.st_ino))
            .arg(qlonglong(st.st_size))
            .arg(qlonglong(st.st_mtim.tv_sec))
            .arg(qlonglong(st.st_mtim.tv_nsec));
#endif
    const QFileInfo info(path);
    return QStringLiteral("%1:%2:%3")
        .arg(info.absoluteFilePath())
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch());
}

QSize ThumbnailLoader::decodeBox()
{
    return kDecodeBox;
}

QImage ThumbnailLoader::decode(const QString& path, const QSize& box)
{
    // JPEG pages, the common case, skip the general reader: read whole (a page
    // is a few MB from the page cache, a fraction of a millisecond) rather than
    // mapped, since a file cut short by another program while mapped would
    // end the process.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray head = file.peek(3);
        const auto* bytes = reinterpret_cast<const unsigned char*>(head.constData());
        if (JpegThumbnailDecoder::looksLikeJpeg(bytes, std::size_t(head.size()))) {
            const QByteArray data = file.readAll();
            QImage image;
            const JpegThumbnailDecoder::Outcome outcome = JpegThumbnailDecoder::decode(
                reinterpret_cast<const unsigned char*>(data.constData()), std::size_t(data.size()),
                box, &image);
            if (outcome != JpegThumbnailDecoder::Outcome::NotHandled)
                return image;
        }
    }
    return decodeWithReader(path, box);
}

QImage ThumbnailLoader::decodeWithReader(const QString& path, const QSize& box)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    // Readers without scaled decoding (TIFF) would scale the whole page
    // smoothly themselves, which costs more than the decoding: shrink() does it.
    if (size.isValid() && reader.supportsOption(QImageIOHandler::ScaledSize)) {
        // The scaled size applies before the turn the metadata asks for.
        const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
        const QSize upright = turned ? size.transposed() : size;
        if (upright.width() > box.width() || upright.height() > box.height()) {
            const QSize fitted = upright.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
            reader.setScaledSize(turned ? fitted.transposed() : fitted);
        }
    }
    QImage image = reader.read();
    if (image.isNull())
        return image;
    if (image.format() != QImage::Format_Grayscale8 && image.format() != QImage::Format_RGB32 &&
        image.format() != QImage::Format_ARGB32_Premultiplied) {
        // Bilevel and grey-indexed pages (fax-coded scans) average to grey.
        const bool grey = image.depth() <= 8 && image.isGrayscale();
        image =
            image.convertToFormat(grey                      ? QImage::Format_Grayscale8
                                  : image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                            : QImage::Format_RGB32);
    }
    if (image.width() > box.width() || image.height() > box.height())
        image = shrink(image, box);
    return image;
}

QImage ThumbnailLoader::shrink(const QImage& image, const QSize& box)
{
    // First by a whole factor, averaging square blocks (cheap on a full page),
    // then smoothly by what is left, on a small picture.
    const QSize fitted = image.size().scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const int factor = qMin(image.width() / fitted.width(), image.height() / fitted.height());
    QImage reduced = image;
    if (factor >= 2) {
        const int type = image.format() == QImage::Format_Grayscale8 ? CV_8UC1 : CV_8UC4;
        const cv::Size to(image.width() / factor, image.height() / factor);
        const cv::Mat from(to.height * factor, to.width * factor, type,
                           const_cast<uchar*>(image.constBits()), size_t(image.bytesPerLine()));
        reduced = QImage(to.width, to.height, image.format());
        if (reduced.isNull())
            return reduced;
        cv::Mat into(to, type, reduced.bits(), size_t(reduced.bytesPerLine()));
        cv::resize(from, into, to, 0, 0, cv::INTER_AREA);
    }
    if (reduced.width() > box.width() + 1 || reduced.height() > box.height() + 1)
        reduced = reduced.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return reduced;
}

bool ThumbnailLoader::lookup(const QString& key, QImage* image) const
{
    const QImage* found = m_cache.object(key);
    if (!found)
        return false;
    if (image)
        *image = *found;
    return true;
}

void ThumbnailLoader::request(const QList<Job>& jobs)
{
    {
        QMutexLocker lock(&m_mutex);
        m_queue = jobs;
    }
    startWorkers();
}

void ThumbnailLoader::enqueue(const QList<Job>& jobs)
{
    {
        QMutexLocker lock(&m_mutex);
        m_queue += jobs;
    }
    startWorkers();
}

void ThumbnailLoader::prioritise(const QStringList& keys)
{
    QMutexLocker lock(&m_mutex);
    QList<Job> front;
    for (const QString& key : keys) {
        for (int i = 0; i < m_queue.size(); ++i) {
            if (m_queue.at(i).key == key) {
                front << m_queue.takeAt(i);
                break;
            }
        }
    }
    m_queue = front + m_queue;
}

void ThumbnailLoader::cancel()
{
    QMutexLocker lock(&m_mutex);
    m_queue.clear();
}

bool ThumbnailLoader::isIdle() const
{
    QMutexLocker lock(&m_mutex);
    // Decoded but not yet handed over counts as busy: the sheet has not seen it.
    return m_queue.isEmpty() && m_undelivered == 0;
}

void ThumbnailLoader::startWorkers()
{
    QMutexLocker lock(&m_mutex);
    const int wanted = qMin(m_pool.maxThreadCount(), m_queue.size());
    while (m_running < wanted) {
        ++m_running;
        m_pool.start(QRunnable::create([this] { work(); }));
    }
}

void ThumbnailLoader::work()
{
    lowerThreadPriority();
    for (;;) {
        Job job;
        {
            QMutexLocker lock(&m_mutex);
            if (m_queue.isEmpty()) {
                --m_running;
                return;
            }
            job = m_queue.takeFirst();
            ++m_undelivered;
        }
        const QImage image = decode(job.path, decodeBox());
        QMetaObject::invokeMethod(
            this, [this, key = job.key, image] { deliver(key, image); }, Qt::QueuedConnection);
    }
}

void ThumbnailLoader::deliver(const QString& key, const QImage& image)
{
    // Costs in KiB, so a large budget fits the cache's int.
    m_cache.insert(key, new QImage(image), int(qMax<qint64>(1, image.sizeInBytes() >> 10)));
    emit thumbnailReady(key, image);
    bool done = false;
    {
        QMutexLocker lock(&m_mutex);
        --m_undelivered;
        done = m_undelivered == 0 && m_queue.isEmpty();
    }
    if (done)
        emit idle();
}
