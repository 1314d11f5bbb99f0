#include "ThumbnailLabel.h"

#include <QPainter>

ThumbnailLabel::ThumbnailLabel(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
}

void ThumbnailLabel::setImage(const QImage& image)
{
    m_image = image;
    m_scaled = QImage();
    update();
}

QRect ThumbnailLabel::imageRect() const
{
    if (m_image.isNull())
        return QRect();
    const QSize fitted = m_image.size().scaled(size(), Qt::KeepAspectRatio);
    QRect rect(QPoint(0, 0), fitted);
    rect.moveCenter(this->rect().center());
    return rect;
}

void ThumbnailLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (m_image.isNull())
        return;
    const QRect target = imageRect();
    if (m_scaled.size() != target.size())
        m_scaled = m_image.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(this);
    painter.drawImage(target.topLeft(), m_scaled);
}
