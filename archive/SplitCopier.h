#pragma once

#include "SplitPlan.h"

#include <atomic>
#include <functional>

// Carries out the splitting tool's plan: copies every page to its item folder.
// A page first lands under a hidden temporary name in the destination folder and
// is then renamed into place without replacing anything, so no file is ever
// overwritten and no half-copied page carries a real name. The sources stay.
class SplitCopier
{
public:
    using Progress = std::function<void(const QString& archiveNo)>;

    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // Looked at before every page; the copies made so far stay.
    void setCancelFlag(const std::atomic_bool* cancelled) { m_cancelled = cancelled; }

    SplitResult run(const SplitPlan& plan);
    // Copies one file to target, which must not exist; "" or why it failed.
    static QString copyFile(const QString& source, const QString& target);

private:
    Progress m_progress;
    const std::atomic_bool* m_cancelled = nullptr;
};
