#pragma once

#include <QMap>
#include <QPoint>
#include <QStringList>
#include <memory>

class OriginalPage;

// What a batch run did, file by file.
struct BatchSummary
{
    int total = 0;              // files in the list
    int processed = 0;          // read, transformed and written back
    QStringList skipped;        // could not be read; left as they were
    QStringList failed;         // read, but not written back (original kept)
    QStringList actionFailures; // an action did not apply (file still written)
    int stamped = 0;            // files that received a page number
    QStringList stampFailures;  // readable but the number could not be written
    // Batch resolution record: full path -> resolution the file was read with.
    QMap<QString, QPoint> initialResolutions;
    // Full path -> the page as it was before the run, for every page that was
    // read (only with BatchJob::originalsFolder).
    QMap<QString, std::shared_ptr<OriginalPage>> originals;

    bool allSucceeded() const
    {
        return skipped.isEmpty() && failed.isEmpty() && actionFailures.isEmpty() &&
               stampFailures.isEmpty();
    }
};
