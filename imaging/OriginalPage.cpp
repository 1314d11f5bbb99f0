#include "OriginalPage.h"

#include "PageFile.h"
#include "SafeWrite.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <atomic>

namespace {

std::atomic<quint64> g_counter{0};

} // namespace

std::shared_ptr<OriginalPage> OriginalPage::keep(const QString& path, const QString& folder)
{
    const QString suffix = QFileInfo(path).suffix();
    // The suffix stays, so the decoder is chosen as it was for the page itself.
    QString copy = folder + QLatin1Char('/') + QString::number(QCoreApplication::applicationPid()) +
                   QLatin1Char('-') + QString::number(++g_counter);
    if (!suffix.isEmpty())
        copy += QLatin1Char('.') + suffix;
    QFile::remove(copy);
    if (!QFile::copy(path, copy)) {
        qWarning().noquote() << "cannot keep the original of" << path << "in" << folder;
        return nullptr;
    }
    return std::shared_ptr<OriginalPage>(new OriginalPage(copy));
}

OriginalPage::~OriginalPage()
{
    QFile::remove(m_copy);
}

cv::Mat OriginalPage::pixels() const
{
    return PageFile::loadForEdit(m_copy);
}

bool OriginalPage::restoreTo(const QString& target) const
{
    QString error;
    const bool ok = SafeWrite::replaceFile(
        target,
        [this](const QString& temporary) {
            QFile::remove(temporary);
            return QFile::copy(m_copy, temporary);
        },
        &error);
    if (!ok)
        qWarning().noquote() << "restore failed:" << error;
    return ok;
}
