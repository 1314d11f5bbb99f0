#pragma once

#include <QString>
#include <memory>
#include <opencv2/core.hpp>

// A page file as it was before a batch rewrote it: a private copy of its bytes
// in a folder of the caller's, removed when the last reference goes. Keeping
// the bytes instead of decoded pixels costs the file's size (a few MB per A4
// page) rather than about 25 MB, and nothing is decoded until the operator
// actually steps back to it.
class OriginalPage
{
public:
    // Copies path into folder (which must exist); null when the copy fails.
    // Safe to call from several threads at once.
    static std::shared_ptr<OriginalPage> keep(const QString& path, const QString& folder);

    ~OriginalPage();
    OriginalPage(const OriginalPage&) = delete;
    OriginalPage& operator=(const OriginalPage&) = delete;

    const QString& copyPath() const { return m_copy; }
    // The copy's pixels as an edit opens them (3 channels); empty when unreadable.
    cv::Mat pixels() const;
    // Puts the exact original bytes back over target, crash-safely.
    bool restoreTo(const QString& target) const;

private:
    explicit OriginalPage(const QString& copy) : m_copy(copy) {}

    QString m_copy;
};
