#include "QuietTiff.h"

#include <QDebug>
#include <QFile>
#include <cstdarg>
#include <cstdio>

namespace QuietTiff {
namespace {

// Returning 1 keeps libtiff from calling the process-wide handler as well.
int logError(TIFF*, void*, const char* module, const char* format, va_list arguments)
{
    char message[512];
    std::vsnprintf(message, sizeof message, format, arguments);
    qWarning().noquote() << "TIFF:" << (module ? module : "") << QString::fromLocal8Bit(message);
    return 1;
}

int dropWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

} // namespace

TIFFOpenOptions* options()
{
    // Made once and kept for the life of the process; libtiff only reads it.
    static TIFFOpenOptions* const shared = [] {
        TIFFOpenOptions* made = TIFFOpenOptionsAlloc();
        TIFFOpenOptionsSetErrorHandlerExtR(made, logError, nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(made, dropWarning, nullptr);
        return made;
    }();
    return shared;
}

TIFF* open(const QString& path, const char* mode)
{
    return TIFFOpenExt(QFile::encodeName(path).constData(), mode, options());
}

} // namespace QuietTiff
