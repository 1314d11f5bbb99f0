#include "PagePrefetcher.h"

#include "PageFile.h"

#include <QFileInfo>
#include <QtConcurrent>

PagePrefetcher::~PagePrefetcher()
{
    // No decode of ours outlives the window that asked for it.
    for (Entry& entry : entries_)
        entry.pixels.waitForFinished();
}

PagePrefetcher::Stamp PagePrefetcher::stampOf(const QString& path)
{
    const QFileInfo info(path);
    Stamp stamp;
    if (!info.isFile())
        return stamp;
    stamp.size = info.size();
    stamp.modified = info.lastModified();
    stamp.changed = info.metadataChangeTime();
    return stamp;
}

bool PagePrefetcher::holds(const QString& path) const
{
    for (const Entry& entry : entries_) {
        if (entry.path == path)
            return true;
    }
    return false;
}

void PagePrefetcher::prefetch(const QString& path)
{
    if (path.isEmpty() || holds(path))
        return;
    const Stamp stamp = stampOf(path);
    if (stamp.size < 0)
        return;
    // A dropped decode still runs to its end; its result is simply discarded.
    while (entries_.size() >= kCapacity)
        entries_.removeFirst();
    entries_.append(
        {path, stamp, QtConcurrent::run([path] { return PageFile::loadForEdit(path); })});
}

cv::Mat PagePrefetcher::load(const QString& path)
{
    for (int i = 0; i < entries_.size(); ++i) {
        if (entries_.at(i).path != path)
            continue;
        Entry entry = entries_.takeAt(i);
        const cv::Mat pixels = entry.pixels.result();
        if (!pixels.empty() && entry.stamp == stampOf(path))
            return pixels;
        break;
    }
    return PageFile::loadForEdit(path);
}

void PagePrefetcher::clear()
{
    entries_.clear();
}
