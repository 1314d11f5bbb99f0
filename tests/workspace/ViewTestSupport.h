#pragma once

#include "GraphicsView.h"
#include "PageScene.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>

// A shown view on a page scene with a white page of the given size, and
// mouse input sent to the viewport as real events.
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

    QPoint toView(const QPointF& scenePos) const { return view.mapFromScene(scenePos); }

    void send(QEvent::Type type, const QPointF& scenePos, Qt::MouseButton button,
              Qt::MouseButtons buttons)
    {
        QWidget* viewport = view.viewport();
        const QPoint pos = toView(scenePos);
        QMouseEvent event(type, pos, viewport->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    }

    // Left-button drag in scene coordinates, through one intermediate move.
    void drag(const QPointF& from, const QPointF& to)
    {
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
};
