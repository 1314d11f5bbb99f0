#pragma once

#include <QCache>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <QThreadPool>

// Decodes page thumbnails off the GUI thread and keeps them. Decoding runs on a
// pool of its own, so a folder of pages never waits behind other background work
// and other work never waits behind it; JPEG pages are decoded at thumbnail
// scale straight through libjpeg, the rest through the image reader. Thumbnails are kept by file
// identity, so they survive a new sort, a zoom, a rename and reopening the folder, and a replaced
// file is decoded anew.
class ThumbnailLoader : public QObject
{
    Q_OBJECT
public:
    struct Job
    {
        QString path;
        QString key; // identity(path)
    };

    // cacheBytes bounds the memory the kept thumbnails take.
    explicit ThumbnailLoader(qint64 cacheBytes = 192ll << 20, QObject* parent = nullptr);
    ~ThumbnailLoader() override;

    // The program's loader, owned by the application object.
    static ThumbnailLoader* shared();

    // Device, inode, size and modification time: follows a rename, not a rewrite.
    static QString identity(const QString& path);
    // Thumbnails are decoded at most this big: about the largest zoom's size.
    static QSize decodeBox();
    // The page scaled to fit box, keeping its aspect ratio and turned upright;
    // null when unreadable.
    static QImage decode(const QString& path, const QSize& box);
    // The same through the general image reader, for formats other than JPEG.
    static QImage decodeWithReader(const QString& path, const QSize& box);
    // image (grey, RGB32 or premultiplied ARGB32) fitted into box.
    static QImage shrink(const QImage& image, const QSize& box);

    // True when key has been decoded (image is null for an unreadable file).
    bool lookup(const QString& key, QImage* image) const;
    // Replaces whatever was waiting by jobs, decoded in this order; queued jobs
    // of an earlier request are dropped.
    void request(const QList<Job>& jobs);
    // Adds jobs behind those waiting.
    void enqueue(const QList<Job>& jobs);
    // Moves the waiting jobs of these keys to the front, in this order.
    void prioritise(const QStringList& keys);
    void cancel();
    bool isIdle() const;

signals:
    void thumbnailReady(const QString& key, const QImage& image);
    // Nothing waits, nothing decodes and every result is handed over.
    void idle();

private:
    void startWorkers();
    void work();
    void deliver(const QString& key, const QImage& image);

    QThreadPool m_pool;
    mutable QMutex m_mutex; // m_queue, m_running, m_undelivered
    QList<Job> m_queue;
    int m_running = 0;     // workers on the pool
    int m_undelivered = 0; // taken from the queue, not yet handed to the GUI thread
    QCache<QString, QImage> m_cache;
};
