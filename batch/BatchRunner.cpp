#include "BatchRunner.h"

#include "BatchPageIO.h"
#include "MagickRuntime.h"
#include "OperationDispatcher.h"
#include "OperationRegistry.h"
#include "OriginalPage.h"
#include "PageFile.h"
#include "PageNumberPlacement.h"
#include "PageNumberStamper.h"
#include "SafeWrite.h"

#include <Magick++.h>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <opencv2/core.hpp>
#include <vector>

namespace {

// More workers than this only add memory (a colour A4 page at 300 dpi holds
// about 100 MB while it is decoded and encoded), not speed.
const int kMaxWorkers = 6;

enum class FileState
{
    Written,
    Unreadable,
    WriteFailed,
};

// One log line, kept until the file's turn comes so the log reads in list order.
struct LogLine
{
    QtMsgType type;
    QString text;
};

struct FileOutcome
{
    FileState state = FileState::Unreadable;
    int dpiX = 0; // resolution the file was read with
    int dpiY = 0;
    bool actionFailed = false;
    std::shared_ptr<OriginalPage> original;
    std::vector<LogLine> log;
};

void emitLine(const LogLine& line)
{
    switch (line.type) {
    case QtDebugMsg:
        qDebug().noquote() << line.text;
        break;
    case QtInfoMsg:
        qInfo().noquote() << line.text;
        break;
    default:
        qWarning().noquote() << line.text;
        break;
    }
}

QString actionLabel(int id)
{
    const OperationInfo* info = OperationRegistry::byId(id);
    return info && !info->label.isEmpty() ? info->label : QString::number(id);
}

OperationContext contextFor(const BatchJob& job, int dpiX, int dpiY)
{
    return OperationContext::make(job.backgroundColour, dpiX, dpiY, job.margins, job.pageSize,
                                  job.colour, true);
}

// Read, every action in order, write back with the resolution in force.
FileOutcome processFile(const BatchJob& job, const QString& path)
{
    FileOutcome outcome;
    auto log = [&outcome](QtMsgType type, const QString& text) {
        outcome.log.push_back({type, text});
    };
    log(QtInfoMsg, QStringLiteral("处理文件：") + path);

    cv::Mat image;
    int dpiX = 0;
    int dpiY = 0;
    if (!BatchPageIO::read(path, image, dpiX, dpiY)) {
        log(QtWarningMsg, QStringLiteral("imread failed ") + path);
        return outcome;
    }
    log(QtDebugMsg, QStringLiteral("%1 初始dpi： %2 %3").arg(path).arg(dpiX).arg(dpiY));
    outcome.dpiX = dpiX;
    outcome.dpiY = dpiY;
    if (!job.originalsFolder.isEmpty())
        outcome.original = OriginalPage::keep(path, job.originalsFolder);

    int position = 0;
    for (const int id : job.actions) {
        // Numbering is a pass of its own after every file is written.
        if (id == IMG_OPT_PAGENO_BATCH)
            continue;
        log(QtInfoMsg, QStringLiteral("动作%1：%2").arg(++position).arg(actionLabel(id)));
        if (id == IMG_OPT_DPI) {
            dpiX = job.dpiX;
            dpiY = job.dpiY;
            continue;
        }
        const OperationContext ctx = contextFor(job, dpiX, dpiY);
        // 22 applies the stored colour text, not the colour in force for clearing.
        const QVariant value = id == IMG_OPT_BGCOLOR_ADJUST
                                   ? QVariant(job.backgroundColourText)
                                   : OperationDispatcher::batchValue(id, ctx);
        bool ok = false;
        image = OperationDispatcher::apply(id, image, value, ctx, &ok);
        if (!ok) {
            outcome.actionFailed = true;
            log(QtWarningMsg, QStringLiteral("动作失败：%1 %2").arg(actionLabel(id), path));
        }
    }

    if (!BatchPageIO::write(image, path, dpiX, dpiY)) {
        outcome.state = FileState::WriteFailed;
        log(QtWarningMsg, QStringLiteral("写入失败，原文件保留：") + path);
        return outcome;
    }
    outcome.state = FileState::Written;
    return outcome;
}

// While several files run side by side, the libraries' own threads would only
// compete with them for the same cores; each file gets its share instead.
class ThreadShare
{
public:
    explicit ThreadShare(int workers)
        : m_cvThreads(cv::getNumThreads()),
          m_magickThreads(MagickCore::GetMagickResourceLimit(MagickCore::ThreadResource))
    {
        if (workers <= 1)
            return;
        const int share = std::max(1, QThread::idealThreadCount() / workers);
        cv::setNumThreads(share);
        MagickCore::SetMagickResourceLimit(MagickCore::ThreadResource,
                                           static_cast<MagickCore::MagickSizeType>(share));
        m_changed = true;
    }
    ~ThreadShare()
    {
        if (!m_changed)
            return;
        cv::setNumThreads(m_cvThreads);
        MagickCore::SetMagickResourceLimit(MagickCore::ThreadResource, m_magickThreads);
    }
    ThreadShare(const ThreadShare&) = delete;
    ThreadShare& operator=(const ThreadShare&) = delete;

private:
    int m_cvThreads;
    MagickCore::MagickSizeType m_magickThreads;
    bool m_changed = false;
};

// For each entry, the index of the previous entry naming the same file, or -1.
std::vector<int> previousOccurrences(const QStringList& files)
{
    std::vector<int> previous(static_cast<size_t>(files.size()), -1);
    QHash<QString, int> last;
    for (int i = 0; i < files.size(); ++i) {
        const QFileInfo info(files.at(i));
        const QString canonical = info.canonicalFilePath();
        const QString key =
            canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
        previous[static_cast<size_t>(i)] = last.value(key, -1);
        last.insert(key, i);
    }
    return previous;
}

// Runs processFile over the list on `workers` threads and hands each outcome
// to `deliver` on the calling thread, in list order. A file listed twice is
// processed twice, the second time only after the first, as one thread would.
void processAll(const BatchJob& job, int workers,
                const std::function<void(int, FileOutcome&)>& deliver)
{
    const int count = job.files.size();
    std::vector<FileOutcome> outcomes(static_cast<size_t>(count));
    std::vector<char> ready(static_cast<size_t>(count), 0);
    std::mutex mutex;
    std::condition_variable readyChanged;
    std::atomic<int> next{0};
    const std::vector<int> previous = previousOccurrences(job.files);

    QThreadPool pool;
    pool.setMaxThreadCount(workers);
    for (int w = 0; w < workers; ++w) {
        pool.start(QRunnable::create([&] {
            for (int i = next++; i < count; i = next++) {
                // Indices are taken in order, so the earlier occurrence is already
                // in hand of a worker that does not wait for this one: no dead-lock.
                const int before = previous[static_cast<size_t>(i)];
                if (before >= 0) {
                    std::unique_lock<std::mutex> lock(mutex);
                    readyChanged.wait(lock,
                                      [&] { return ready[static_cast<size_t>(before)] != 0; });
                }
                FileOutcome outcome;
                try {
                    outcome = processFile(job, job.files.at(i));
                } catch (const std::exception& e) {
                    outcome = FileOutcome();
                    outcome.log.push_back({QtWarningMsg, QStringLiteral("Caught exception: %1 %2")
                                                             .arg(QString::fromLocal8Bit(e.what()),
                                                                  job.files.at(i))});
                }
                std::lock_guard<std::mutex> lock(mutex);
                outcomes[static_cast<size_t>(i)] = std::move(outcome);
                ready[static_cast<size_t>(i)] = 1;
                readyChanged.notify_all();
            }
        }));
    }
    for (int i = 0; i < count; ++i) {
        FileOutcome outcome;
        {
            std::unique_lock<std::mutex> lock(mutex);
            readyChanged.wait(lock, [&] { return ready[static_cast<size_t>(i)] != 0; });
            outcome = std::move(outcomes[static_cast<size_t>(i)]);
        }
        deliver(i, outcome);
    }
    pool.waitForDone();
}

// One file at a time, so each page's outcome is known: with a view every page
// uses the view's snapshot scaled to it; without one each page is placed on
// its own, at its own resolution and size. Unreadable files use no number.
void stampPages(const BatchJob& job, BatchSummary& summary, const BatchRunner::Progress& progress)
{
    int number = job.pageNo.startNo;
    for (const QString& path : job.files) {
        PageNumberJob page;
        if (job.numberingFromView) {
            page = job.numbering;
        } else {
            const PageInfo info = PageFile::readInfo(path);
            if (!info.valid)
                continue;
            page = PageNumberPlacement::forPage(job.pageNo,
                                                PageNumberStamper::numberText(job.pageNo, number),
                                                info.width, info.height, info.dpiX, info.dpiY);
        }
        page.files = QStringList{path};
        page.pageNo = job.pageNo;
        page.startNumber = number;
        bool readable = false;
        QString fileName;
        const int stamped = PageNumberStamper::run(page, [&](const QString& name) {
            readable = true;
            fileName = name;
        });
        if (!readable)
            continue;
        ++number;
        if (stamped == 1)
            ++summary.stamped;
        else
            summary.stampFailures.append(path);
        if (progress)
            progress(fileName);
    }
}

// A run killed mid-write left hidden temporary files beside its pages; clear
// them once per folder before this run writes there again.
void removeLeftovers(const QStringList& files)
{
    QSet<QString> folders;
    for (const QString& path : files)
        folders.insert(QFileInfo(path).absolutePath());
    for (const QString& folder : folders)
        SafeWrite::removeLeftovers(folder);
}

} // namespace

int BatchRunner::workerCount(const BatchJob& job)
{
    const int wanted =
        job.workers > 0 ? job.workers : std::min(kMaxWorkers, QThread::idealThreadCount());
    return std::max(1, std::min(wanted, static_cast<int>(job.files.size())));
}

BatchSummary BatchRunner::run(const BatchJob& job, const Progress& progress)
{
    BatchSummary summary;
    summary.total = job.files.size();
    if (job.files.isEmpty())
        return summary;
    MagickRuntime::ensureInitialised();
    removeLeftovers(job.files);

    bool anyRead = false;
    {
        const int workers = workerCount(job);
        const ThreadShare share(workers);
        processAll(job, workers, [&](int index, FileOutcome& outcome) {
            for (const LogLine& line : outcome.log)
                emitLine(line);
            const QString& path = job.files.at(index);
            if (outcome.state == FileState::Unreadable) {
                summary.skipped.append(path);
                return;
            }
            anyRead = true;
            summary.initialResolutions.insert(path, QPoint(outcome.dpiX, outcome.dpiY));
            // A file listed twice keeps the state it had before the run.
            if (outcome.original && !summary.originals.contains(path))
                summary.originals.insert(path, outcome.original);
            if (outcome.actionFailed)
                summary.actionFailures.append(path);
            if (outcome.state == FileState::WriteFailed) {
                summary.failed.append(path);
                return;
            }
            ++summary.processed;
            if (progress)
                progress(QStringLiteral("%1/%2").arg(summary.processed).arg(summary.total));
        });
    }

    if (!anyRead || !job.actions.contains(IMG_OPT_PAGENO_BATCH))
        return summary;
    qDebug() << "start add page no";
    // Painting text needs the GUI application's font database.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        qWarning() << "page numbers not stamped: no QGuiApplication";
        summary.stampFailures = job.files;
        return summary;
    }
    stampPages(job, summary, progress);
    return summary;
}
