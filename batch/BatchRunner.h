#pragma once

#include "BatchJob.h"
#include "BatchSummary.h"

#include <QString>
#include <functional>

// Applies a job's actions, in order, to every file of its list and writes each
// file back over itself with the resolution in force; then, when operation 43
// is among the actions, stamps page numbers over the same files in list order.
//
// Files are independent, so several are processed at once; what is written,
// logged and reported does not depend on how many: log lines and progress
// come out in list order, and progress ("k/N", k the files written so far)
// only rises. A file that cannot be read, or whose result cannot be written,
// is logged with its path and left as it was; the run goes on.
class BatchRunner
{
public:
    // Called on the thread that called run(): "k/N" after each written file,
    // then the file name of each stamped file.
    using Progress = std::function<void(const QString& text)>;

    static BatchSummary run(const BatchJob& job, const Progress& progress = Progress());

    // Files processed at the same time for this job.
    static int workerCount(const BatchJob& job);
};
