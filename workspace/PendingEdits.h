#pragma once

#include <QString>
#include <functional>

class CurrentImage;

// Before work that rewrites pages on disk behind the open page's back (a batch,
// folder numbering), the open page's unsaved pixels must reach its file, or the
// reopen afterwards would drop them. In the manual save mode nothing is written
// unasked: the operator decides, and may call the work off.
namespace PendingEdits {

// Asks a yes/no question; true means yes.
using Ask = std::function<bool(const QString& title, const QString& text)>;

// True when the work may start: nothing was pending, or it was written. False
// when the operator declined in the manual mode or the write failed (the page
// stays open with its edits; the failure has been reported by the image).
bool settle(CurrentImage& image, const Ask& ask);

} // namespace PendingEdits
