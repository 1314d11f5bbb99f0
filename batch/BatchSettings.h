#pragma once

#include <QString>

struct BatchJob;

// Fills a job's parameters from a settings file with the keys and defaults of
// the program's own settings.ini, for runs outside the program (no process
// parameters to copy).
class BatchSettings
{
public:
    // Keys missing from the file keep the job's values. False when the file
    // does not exist or cannot be parsed.
    static bool read(const QString& iniPath, BatchJob& job);
};
