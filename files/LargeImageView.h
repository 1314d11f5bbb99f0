#pragma once

#include <QImage>
#include <QWidget>

// One page as large as the screen allows, whole and upright, in a window of
// its own that Esc closes. The window frees itself when closed.
class LargeImageView : public QWidget
{
    Q_OBJECT
public:
    // Opens path maximised on the screen of near (or the primary screen).
    static LargeImageView* open(const QString& path, QWidget* near = nullptr);

    explicit LargeImageView(const QString& path, const QSize& screen);
    const QImage& image() const { return m_image; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};
