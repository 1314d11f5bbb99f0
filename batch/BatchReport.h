#pragma once

#include "BatchSummary.h"

#include <QString>

// What the operator is told after a batch run from the window: the counts and,
// for every page that did not go through, its path and what happened to it.
namespace BatchReport {

// At most this many paths are listed per kind; the rest are counted.
constexpr int kListedPaths = 15;

QString text(const BatchSummary& summary);

} // namespace BatchReport
