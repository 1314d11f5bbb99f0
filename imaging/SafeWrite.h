#pragma once

#include <QString>
#include <functional>

// Writes over an existing page without ever leaving it half-written: the new
// content goes to a temporary file in the same folder (same suffix, so encoders
// that pick the format from the name still do), and only a complete file is
// renamed over the target. On any failure the target is untouched and the
// temporary file is removed.
namespace SafeWrite {

// Writer receives the temporary path and returns whether it wrote a complete file.
using Writer = std::function<bool(const QString& temporaryPath)>;

// A fresh, reserved (empty) file name beside target with target's suffix; empty on failure.
// The name is hidden and carries this process's id: ".tarvo-<pid>-XXXXXX.<suffix>".
QString reserveTemporaryPath(const QString& target);

// Runs writer on a temporary file beside target and renames it over target.
// A target that exists but is not writable is refused, as the operator made it read-only.
bool replaceFile(const QString& target, const Writer& writer, QString* error = nullptr);

// Runs writer on a temporary file beside target and renames it to target only
// while no file of that name exists: an output never replaces anything.
bool createFile(const QString& target, const Writer& writer, QString* error = nullptr);

// Renames from to to unless to exists (one step where the kernel offers it).
bool renameNoReplace(const QString& from, const QString& to, QString* error = nullptr);

// Removes the temporary files a killed writer left in folder (not its sub-folders):
// those whose process no longer exists, and those of the older name without a
// process id once they are an hour old. Files of a running process, pages and
// any other hidden file stay. Each removal is logged; returns how many were removed.
int removeLeftovers(const QString& folder);

} // namespace SafeWrite
