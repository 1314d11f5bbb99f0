#include "CurrentImage.h"

#include "PageFile.h"

#include <QDebug>
#include <QFileInfo>

CurrentImage::CurrentImage(Engine engine) : engine_(std::move(engine)) {}

void CurrentImage::setSaveMode(int mode)
{
    // Any value other than the two named ones behaves as saving on page turn.
    saveMode_ = mode == FullyAutomatic ? FullyAutomatic : mode == Manual ? Manual : OnPageTurn;
}

void CurrentImage::leave()
{
    if (saveMode_ == OnPageTurn && !file_.isEmpty() && history_.canUndo(file_))
        save();
}

void CurrentImage::close()
{
    file_.clear();
    image_.release();
}

bool CurrentImage::open(const QString& path)
{
    leave();
    file_ = path;
    image_.release();
    cv::Mat loaded = loader_ ? loader_(path) : PageFile::loadForEdit(path);
    if (loaded.empty()) {
        qWarning() << "curOpendMat is NULL" << path;
        return false;
    }
    image_ = loaded;
    if (!resolutions_.contains(path)) {
        const PageInfo info = PageFile::readInfo(path);
        resolutions_.insert(path, {info.dpiX, info.dpiY});
    }
    return true;
}

bool CurrentImage::reload()
{
    if (file_.isEmpty())
        return false;
    cv::Mat loaded = PageFile::loadForEdit(file_);
    if (loaded.empty())
        return false;
    image_ = loaded;
    return true;
}

bool CurrentImage::executeOperation(int optId, bool run, const QVariant& param)
{
    if (image_.empty())
        return false;
    lastOperation_ = optId;
    if (!run || !engine_)
        return false;
    history_.pushUndo(file_, image_);
    OperationResult result = engine_(optId, image_, param);
    if (result.status == OperationResult::UnknownOperation)
        return false;
    if (result.status == OperationResult::Applied && !result.image.empty())
        image_ = result.image;
    history_.clearRedo(file_);
    saveIfAutomatic();
    return true;
}

bool CurrentImage::undo()
{
    cv::Mat previous = history_.undo(file_, image_);
    if (previous.empty())
        return false;
    image_ = previous;
    saveIfAutomatic();
    return true;
}

bool CurrentImage::redo()
{
    cv::Mat next = history_.redo(file_, image_);
    if (next.empty())
        return false;
    image_ = next;
    saveIfAutomatic();
    return true;
}

bool CurrentImage::save()
{
    if (file_.isEmpty() || image_.empty() || !QFileInfo::exists(file_))
        return false;
    return writeTo(file_, image_);
}

void CurrentImage::saveIfAutomatic()
{
    if (saveMode_ == FullyAutomatic)
        save();
}

QPair<int, int> CurrentImage::resolution(const QString& path) const
{
    return resolutions_.value(path, {0, 0});
}

void CurrentImage::rememberResolution(const QString& path, int dpiX, int dpiY)
{
    resolutions_.insert(path, {dpiX, dpiY});
}

bool CurrentImage::writeTo(const QString& path, const cv::Mat& image) const
{
    const QPair<int, int> dpi = resolution(path);
    return PageFile::saveWithDensity(image, path, dpi.first, dpi.second);
}

int CurrentImage::restoreOriginals(const Progress& progress)
{
    history_.clearAllRedo();
    int written = 0;
    for (const QString& path : history_.undoPaths()) {
        if (progress)
            progress(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
        const cv::Mat original = history_.oldest(path);
        if (original.empty() || !QFileInfo::exists(path))
            continue;
        // The file's own stored resolution, so restoring never changes its dpi.
        const PageInfo info = PageFile::readInfo(path);
        if (PageFile::saveWithDensity(original, path, info.dpiX, info.dpiY))
            ++written;
    }
    return written;
}
