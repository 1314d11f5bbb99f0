#pragma once

#include "CurrentImage.h"
#include "DispatcherEngine.h"
#include "GraphicsView.h"
#include "ImageConvert.h"
#include "MainWindow.h"
#include "PageFile.h"
#include "PageScene.h"
#include "SettingsStore.h"

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <opencv2/core.hpp>

inline QSize sizeOnDisk(const QString& path)
{
    const PageInfo info = PageFile::readInfo(path);
    return QSize(info.width, info.height);
}

inline bool same(const cv::Mat& a, const cv::Mat& b)
{
    return a.size == b.size && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

inline double darkest(const cv::Mat& area)
{
    double value = 255;
    cv::minMaxLoc(area.reshape(1), &value);
    return value;
}

// The main window on the data directory `root`, shown, after the background
// listing has opened `firstPage` (the caller checks that it did).
inline std::unique_ptr<MainWindow> openMainWindow(const QString& root, int saveMode,
                                                  const QString& firstPage)
{
    SettingsStore::setSettingValue(SettingsStore::kRootPath, root);
    SettingsStore::setSettingValue(SettingsStore::kSaveMode, saveMode);
    auto window = std::make_unique<MainWindow>();
    window->resize(1315, 750);
    window->show();
    if (QTest::qWaitForWindowExposed(window.get()))
        (void)QTest::qWaitFor([&] { return window->currentFile() == firstPage; }, 10000);
    return window;
}

// Mouse input sent to a view's viewport as real events, in scene coordinates.
inline void sendMouse(GraphicsView& view, QEvent::Type type, const QPointF& scenePos,
                      Qt::MouseButton button, Qt::MouseButtons buttons)
{
    const QPoint pos = view.mapFromScene(scenePos);
    QMouseEvent event(type, pos, view.viewport()->mapToGlobal(pos), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &event);
}

// Left-button drag through one intermediate move.
inline void drag(GraphicsView& view, const QPointF& from, const QPointF& to)
{
    sendMouse(view, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    sendMouse(view, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    sendMouse(view, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// A shown view on a page scene with a white page of the given size.
struct ViewFixture
{
    PageScene scene;
    GraphicsView view;

    explicit ViewFixture(const QSize& page = QSize(400, 300))
    {
        scene.addFixedItems(stPageNoInfo());
        view.setScene(&scene);
        view.resize(640, 520);
        view.show();
        QImage image(page, QImage::Format_RGB32);
        image.fill(Qt::white);
        scene.setDisplayedImage(image);
    }
};

// A page file edited with the real engine in manual save mode, shown at half
// size as a fitted view shows it. The caller opens it.
struct EditBench
{
    QString file;
    cv::Mat clipboard;
    CurrentImage image;
    PageScene scene;
    GraphicsView view;

    EditBench(const QString& path, const cv::Mat& page, int dpi) : file(path)
    {
        view.setScene(&scene);
        PageFile::saveWithDensity(page, file, dpi, dpi);
        // The engine asks the image itself for the file's resolution.
        image = CurrentImage(DispatcherEngine::forImage(&image, &clipboard));
        image.setSaveMode(CurrentImage::Manual);
        scene.addFixedItems(stPageNoInfo());
    }
    bool open()
    {
        if (!image.open(file))
            return false;
        display();
        return true;
    }
    void display()
    {
        const QImage full = ImageHelper::matToQImage(image.image());
        scene.setDisplayedImage(full.scaled(full.size() / 2));
    }
    void execute(int id, bool run, const QVariant& param)
    {
        if (image.executeOperation(id, run, param))
            display();
    }
    int undoSteps() { return image.history().undoDepth(file); }
};
