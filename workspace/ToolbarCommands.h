#pragma once

#include <QMap>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <opencv2/core.hpp>

class CurrentImage;
class GestureController;
class GraphicsView;
class ImageToolbar;
class PageScene;
class QWidget;

// What the toolbar's entries do beyond a plain operation: the parameter
// dialogs, the page-number signing and numbering, the margin frame and the
// colour choosers, and the wiring of the toolbar and the gesture controller to
// the view. The owner (the main window) supplies the hooks below and lays the
// three rows out; everything that changes the current image goes back through
// its execute hook, so history and save mode stay in one place.
class ToolbarCommands : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        QWidget* window = nullptr; // parent of every dialog
        CurrentImage* image = nullptr;
        PageScene* scene = nullptr;
        GraphicsView* view = nullptr;
        cv::Mat* clipboard = nullptr; // the matrix the engine's paste reads
        std::function<void(int optId, bool run, const QVariant& param)> execute;
        std::function<void()> reopen;          // reopen the current file from disk
        std::function<QStringList()> fileList; // full paths of the file list, in order
    };

    ToolbarCommands(const Hooks& hooks, const QMap<QString, QString>& shortcuts,
                    QObject* parent = nullptr);

    ImageToolbar* toolbar() const { return m_toolbar; }
    GestureController* gestures() const { return m_gestures; }

public slots:
    // Live previews of the page-number dialog on the page-number item.
    void slotUpdatePageNoArea(const QString& area, int marginH, int marginV);
    void slotUpdatePageNoFont(int type, const QVariant& value);
    void slotUpdatePageNoFormat(const QString& strNo);
    // Live preview of the margin dialog on the margin frame.
    void previewMargins(int left, int top, int right, int bottom);

    void toggleMargins(bool checked);
    void editMargins();
    void signPageNumber();
    void numberAllPages();
    void changeDpi();
    void changePageSize();
    void adjustColour();
    void editColourSettings();
    void chooseBackgroundColour();
    void changeGroundColour();

private:
    void connectToolbar();
    void connectPageNoPreview(QObject* dialog);
    QPair<int, int> shownResolution() const;

    Hooks m_hooks;
    ImageToolbar* m_toolbar = nullptr;
    GestureController* m_gestures = nullptr;
};
