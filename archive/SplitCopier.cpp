#include "SplitCopier.h"

#include "NameUtils.h"
#include "RenameTransaction.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kTagLength = 8;
constexpr size_t kBufferSize = 1 << 20;

QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    // Closing reports write errors that a lazy file system kept until now.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool copyByReading(int in, int out, QString* error)
{
    std::vector<char> buffer(kBufferSize);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), kBufferSize);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            *error = lastError();
            return false;
        }
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::write(out, buffer.data() + written, size_t(got - written));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                *error = lastError();
                return false;
            }
            written += put;
        }
    }
}

// The kernel copies without passing the data through this process where it can
// (and shares the blocks on file systems that allow it).
bool copyContents(int in, int out, QString* error)
{
#ifdef Q_OS_LINUX
    bool first = true;
    for (;;) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, kBufferSize * 64, 0);
        if (copied == 0)
            return true;
        if (copied > 0) {
            first = false;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (first && (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP))
            return copyByReading(in, out, error);
        *error = lastError();
        return false;
    }
#else
    return copyByReading(in, out, error);
#endif
}

} // namespace

QString SplitCopier::copyFile(const QString& source, const QString& target)
{
    const QString folder = QFileInfo(target).absolutePath();
    FileDescriptor in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return lastError();
    QString temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + QStringLiteral("/.tarvo-copy-") + randomString(kTagLength);
        fd = ::open(QFile::encodeName(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    0666);
        if (fd < 0 && errno != EEXIST)
            return lastError();
    }
    if (fd < 0)
        return lastError();
    FileDescriptor out(fd);
    QString error;
    bool copied = copyContents(in.get(), out.get(), &error);
    if (!out.close() && copied) {
        error = lastError();
        copied = false;
    }
    if (copied) {
        // One step, so the transaction renames at once and refuses a taken name.
        RenameTransaction place(folder);
        place.add(temp, target);
        const RenameTransaction::Result done = place.commit();
        if (done.ok)
            return QString();
        error = done.error;
    }
    QFile::remove(temp);
    return error;
}

SplitResult SplitCopier::run(const SplitPlan& plan)
{
    SplitResult result;
    if (!plan.ok()) {
        result.message = plan.error;
        return result;
    }
    auto stop = [&result](const QString& why) {
        qWarning().noquote() << "split stopped:" << why;
        result.message = splitUnfinishedText(result.items, result.pages, why);
        return result;
    };
    for (const SplitPlanItem& item : plan.items) {
        if (m_progress)
            m_progress(item.archiveNo);
        // An item without pages gets no folder, as it would get no page.
        if (!item.sources.isEmpty() && !QDir().mkpath(item.folder))
            return stop(QStringLiteral("无法创建文件夹：%1").arg(item.folder));
        for (int k = 0; k < item.sources.size(); ++k) {
            if (m_cancelled && m_cancelled->load())
                return stop(QStringLiteral("已取消"));
            const QString why = copyFile(item.sources.at(k), item.targets.at(k));
            if (!why.isEmpty())
                return stop(QStringLiteral("拷贝文件失败：%1（%2）").arg(item.targets.at(k), why));
            ++result.pages;
        }
        ++result.items;
    }
    result.ok = true;
    result.message = splitFinishedText();
    return result;
}
