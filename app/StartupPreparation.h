#pragma once

#include <QString>

// The system temporary folder's "qavo", where scans wait before they are named.
QString scanTempDir();

// The non-widget part of start-up: logs the temporary folder, leaves "qavo"
// present and empty, loads the settings and the background colour.
void prepareProcessState();
