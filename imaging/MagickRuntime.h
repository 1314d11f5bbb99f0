#pragma once

#include <QString>

// One-time set-up of ImageMagick for this process. The distribution's policy
// forbids PDF output and caps images at 16000 px / 128 MP, which would refuse
// the merged PDFs and A0 pages at 600 dpi this workstation produces. At the
// first call a policy of our own is written to a private folder and put in
// force before the library starts: PDF may be written (never read), limits
// fit A0 at 600 dpi, and PostScript-family reading, network coders and
// '@' file lists stay blocked.
namespace MagickRuntime {

// Idempotent and thread-safe; every function that hands a file to Magick++
// calls it first.
void ensureInitialised();

// The policy text put in force (for tests and the log).
QString policyText();

// The policy file written at start-up; empty before ensureInitialised().
QString policyFilePath();

} // namespace MagickRuntime
