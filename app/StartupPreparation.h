#pragma once

#include <QString>

// Where scans wait before they are named: the system temporary folder's
// "qavo-<uid>", private to this user (mode 0700). When that name is taken by a
// link, a file or another user's folder, a fresh private folder beside it is
// used instead. Empty only when no folder can be made at all.
QString scanTempDir();

// This process's own folder inside scanTempDir() ("<pid>", mode 0700), where
// its scans land: a second instance of the same user never sees them. Made
// again when it was removed; empty when no folder can be made.
QString scanWorkDir();

// Where scanned pages that could not be placed are kept (in its
// "scan-recovery" folder): the data directory ("settings/rootpath") when it is
// a writable folder, else the user's home.
QString scanRecoveryRoot();

// The non-widget part of start-up: logs the temporary folder, loads the
// settings and the background colour, and moves pages left in the scan
// folder by processes that are gone into a recovery folder under
// scanRecoveryRoot(); the folders of running instances are left alone.
void prepareProcessState();
