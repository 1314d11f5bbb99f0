#pragma once

#include <QString>

// Where scans wait before they are named: the system temporary folder's
// "qavo-<uid>", private to this user (mode 0700). When that name is taken by a
// link, a file or another user's folder, a fresh private folder beside it is
// used instead. Empty only when no folder can be made at all.
QString scanTempDir();

// The non-widget part of start-up: logs the temporary folder, leaves "qavo"
// present and empty, loads the settings and the background colour.
void prepareProcessState();
