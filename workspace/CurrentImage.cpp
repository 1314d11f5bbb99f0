#include "CurrentImage.h"

#include "PageFile.h"
#include "PathRekey.h"

#include <QDebug>
#include <QFileInfo>

CurrentImage::CurrentImage(Engine engine) : engine_(std::move(engine)) {}

void CurrentImage::setSaveMode(int mode)
{
    // Any value other than the two named ones behaves as saving on page turn.
    saveMode_ = mode == FullyAutomatic ? FullyAutomatic : mode == Manual ? Manual : OnPageTurn;
}

bool CurrentImage::leave()
{
    // Not "has an undo list": undoing back past a batch leaves the list empty
    // while the file still holds the batch's result.
    if (saveMode_ == OnPageTurn && hasUnsavedChanges())
        return save();
    return true;
}

bool CurrentImage::hasUnsavedChanges() const
{
    return isOpen() && (writeFailed_ || history_.undoDepth(file_) != diskDepth_);
}

void CurrentImage::markOnDisk()
{
    diskDepth_ = history_.undoDepth(file_);
    writeFailed_ = false;
}

void CurrentImage::close()
{
    file_.clear();
    image_.release();
    diskDepth_ = 0;
    writeFailed_ = false;
}

bool CurrentImage::open(const QString& path)
{
    // Reading the open file anew means it changed on disk: writing the pixels
    // held now would put the old page back over the new one.
    if (path != file_)
        leave();
    file_ = path;
    image_.release();
    cv::Mat loaded = loader_ ? loader_(path) : PageFile::loadForEdit(path);
    if (loaded.empty()) {
        qWarning() << "curOpendMat is NULL" << path;
        return false;
    }
    image_ = loaded;
    markOnDisk();
    if (!resolutions_.contains(path)) {
        const PageInfo info = PageFile::readInfo(path);
        resolutions_.insert(path, {info.dpiX, info.dpiY});
    }
    return true;
}

void CurrentImage::clearHistory()
{
    const bool unsaved = hasUnsavedChanges();
    history_.clear();
    // No depth of an empty history is -1, so the pixels on screen stay unsaved.
    diskDepth_ = unsaved ? -1 : 0;
}

bool CurrentImage::reload()
{
    if (file_.isEmpty())
        return false;
    cv::Mat loaded = PageFile::loadForEdit(file_);
    if (loaded.empty())
        return false;
    image_ = loaded;
    markOnDisk();
    return true;
}

bool CurrentImage::executeOperation(int optId, bool run, const QVariant& param)
{
    if (image_.empty())
        return false;
    lastOperation_ = optId;
    if (!run || !engine_)
        return false;
    // A new step drops the redo list, and with it the state on disk if it was there.
    if (diskDepth_ > history_.undoDepth(file_))
        diskDepth_ = -1;
    history_.pushUndo(file_, image_);
    OperationResult result = engine_(optId, image_, param);
    if (result.status == OperationResult::UnknownOperation)
        return false;
    if (result.status == OperationResult::Applied && !result.image.empty())
        image_ = result.image;
    history_.clearRedo(file_);
    changed();
    return true;
}

bool CurrentImage::undo()
{
    cv::Mat previous = history_.undo(file_, image_);
    if (previous.empty())
        return false;
    image_ = previous;
    changed();
    return true;
}

bool CurrentImage::redo()
{
    cv::Mat next = history_.redo(file_, image_);
    if (next.empty())
        return false;
    image_ = next;
    changed();
    return true;
}

bool CurrentImage::save()
{
    if (file_.isEmpty() || image_.empty() || !QFileInfo::exists(file_))
        return false;
    if (!writeTo(file_, image_)) {
        writeFailed_ = true;
        if (saveFailed_)
            saveFailed_(file_);
        return false;
    }
    markOnDisk();
    return true;
}

void CurrentImage::changed()
{
    if (saveMode_ == FullyAutomatic)
        save();
}

void CurrentImage::followRenames(const QHash<QString, QString>& oldToNew)
{
    history_.rename(oldToNew);
    rekeyPaths(resolutions_, oldToNew);
    file_ = oldToNew.value(file_, file_);
}

void CurrentImage::followFolderRenames(const QHash<QString, QString>& oldToNew)
{
    followRenames(filesUnderRenamedFolders(history_.knownPaths() + resolutions_.keys(), oldToNew));
}

void CurrentImage::forgetUnder(const QString& folder)
{
    forget(pathsUnder(history_.knownPaths() + resolutions_.keys(), folder));
}

void CurrentImage::forget(const QStringList& paths)
{
    history_.forget(paths);
    for (const QString& path : paths)
        resolutions_.remove(path);
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
        const HistoryEntry original = history_.oldest(path);
        if (original.isNull() || !QFileInfo::exists(path))
            continue;
        // A page kept by a batch gets its very bytes back; an edited one is
        // written with the file's own stored resolution, so its dpi stays.
        bool ok = false;
        if (original.original()) {
            ok = original.original()->restoreTo(path);
        } else {
            const PageInfo info = PageFile::readInfo(path);
            ok = PageFile::saveWithDensity(original.pixels(), path, info.dpiX, info.dpiY);
        }
        if (ok)
            ++written;
    }
    return written;
}
