#pragma once

#include <QString>

// Where scans wait before they are named: the system temporary folder's
// "qavo-<uid>", private to this user (mode 0700). When that name is taken by a
// link, a file or another user's folder, a fresh private folder beside it is
// used instead. Empty only when no folder can be made at all.
QString scanTempDir();

// Where scanned pages that could not be placed are kept (in its
// "scan-recovery" folder): the data directory ("settings/rootpath") when it is
// a writable folder, else the user's home.
QString scanRecoveryRoot();

// The non-widget part of start-up: logs the temporary folder, loads the
// settings and the background colour, moves pages left in the scan folder
// into a recovery folder under scanRecoveryRoot() and leaves the folder
// present and empty.
void prepareProcessState();
