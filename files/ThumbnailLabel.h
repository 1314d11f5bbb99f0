#pragma once

#include <QImage>
#include <QLabel>

// A label that shows a page fitted into itself, keeping the page's aspect
// ratio, and an empty face while the page is still being decoded. It scales
// when painted, so zooming a sheet of hundreds of pages costs nothing until
// a page is on screen.
class ThumbnailLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ThumbnailLabel(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }
    // The rectangle the page takes inside the label (empty without a page).
    QRect imageRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    QImage m_scaled; // m_image at imageRect's size, made on the first paint at that size
};
