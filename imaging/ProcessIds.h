#pragma once

#include <QtGlobal>

// Process ids written into the names of our temporary files and journals, so
// that whatever a killed process left behind can be told from what a running
// one is still writing.
namespace ProcessIds {

qint64 own();

// True only for a definite "no such process": one we may not signal (EPERM)
// still exists and may be writing. Never true where processes cannot be checked.
bool isGone(qint64 pid);

} // namespace ProcessIds
