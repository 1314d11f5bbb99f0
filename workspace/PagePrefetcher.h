#pragma once

#include <QDateTime>
#include <QFuture>
#include <QList>
#include <QString>
#include <opencv2/core.hpp>

// Decodes the pages the operator is likely to open next (the neighbours of the
// open page) on the global thread pool, so a page turn finds its pixels ready
// instead of waiting for a full-size decode. A prefetched page is handed out
// only while its file is unchanged on disk (size, modification and status
// change times as they were when the decode started); otherwise it is read anew.
class PagePrefetcher
{
public:
    // At most this many pages are held or under way; the oldest goes first.
    static constexpr int kCapacity = 2;

    PagePrefetcher() = default;
    PagePrefetcher(const PagePrefetcher&) = delete;
    PagePrefetcher& operator=(const PagePrefetcher&) = delete;
    ~PagePrefetcher();

    // Starts decoding path unless it is held or under way already.
    void prefetch(const QString& path);
    // The pixels of path for editing (PageFile::loadForEdit); waits for a
    // decode under way. The page is no longer held afterwards.
    cv::Mat load(const QString& path);
    bool holds(const QString& path) const;
    // Forgets every page; decodes under way finish unheeded.
    void clear();

private:
    struct Stamp
    {
        qint64 size = -1;
        QDateTime modified;
        QDateTime changed;
        bool operator==(const Stamp& other) const
        {
            return size == other.size && modified == other.modified && changed == other.changed;
        }
    };
    struct Entry
    {
        QString path;
        Stamp stamp;
        QFuture<cv::Mat> pixels;
    };

    static Stamp stampOf(const QString& path);

    QList<Entry> entries_;
};
