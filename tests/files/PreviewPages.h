#pragma once

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>

// A JPEG page of the given size with a dark bar, so it is no blank; quality
// varies the file size.
inline bool writePage(const QString& path, const QSize& size, int quality = 80)
{
    QImage page(size, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.fillRect(QRect(size.width() / 10, size.height() / 10, size.width() / 2, 8), Qt::black);
    painter.end();
    return page.save(path, "JPEG", quality);
}
