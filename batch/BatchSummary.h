#pragma once

#include <QMap>
#include <QPoint>
#include <QStringList>

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

    bool allSucceeded() const
    {
        return skipped.isEmpty() && failed.isEmpty() && actionFailures.isEmpty() &&
               stampFailures.isEmpty();
    }
};
