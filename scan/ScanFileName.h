#pragma once

#include "stScanNaming.h"

#include <QString>

// The full path of the next scanned page. An empty directory becomes the
// temporary scan folder (kept in naming). The code is zero-filled to the code
// length and never cut; with advance the next code grows by one.
QString scanFileName(stScanNaming& naming, bool advance);
