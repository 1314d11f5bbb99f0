#include "LargeImageView.h"

#include "ThumbnailLoader.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

LargeImageView* LargeImageView::open(const QString& path, QWidget* near)
{
    QScreen* screen = near && near->screen() ? near->screen() : QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() : QSize(1920, 1080);
    auto* view = new LargeImageView(path, room);
    view->showMaximized();
    view->activateWindow();
    return view;
}

LargeImageView::LargeImageView(const QString& path, const QSize& screen)
    : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("LargeImageView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QFileInfo(path).fileName());
    setStyleSheet(QStringLiteral("background-color: rgb(64, 64, 64);"));
    // Decoded no larger than the screen: a 300 dpi page needs no more to be seen whole.
    m_image = ThumbnailLoader::decode(path, screen);
}

void LargeImageView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void LargeImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(64, 64, 64));
    if (m_image.isNull())
        return;
    QRect target(QPoint(0, 0), m_image.size().scaled(size(), Qt::KeepAspectRatio));
    target.moveCenter(rect().center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_image);
}
