#pragma once

#include <QFrame>
#include <QImage>
#include <QString>
#include <memory>

namespace Ui {
class ImageUnitView;
}

// One page of the preview sheet: its thumbnail, file name and check box. A
// click on the picture checks or unchecks it; a double click asks to open it.
class ImageUnitView : public QFrame
{
    Q_OBJECT
public:
    static const QSize kFrameSize;
    static const QSize kImageSize;

    // key: the page's identity, by which its decoded thumbnail arrives.
    ImageUnitView(const QString& path, const QString& key, QWidget* parent = nullptr);
    ~ImageUnitView() override;

    const QString& path() const { return m_path; }
    const QString& key() const { return m_key; }
    bool isChecked() const { return m_checked; }
    void setChecked(bool checked);
    // Sizes are the base sizes times f: the same f always gives the same size.
    void setZoom(double f);
    void setThumbnail(const QImage& image);
    bool hasThumbnail() const;
    // The page open in the main window.
    void setOpen(bool open);
    bool isOpen() const { return m_open; }
    // The keyboard's place in the sheet.
    void setKeyboardCursor(bool cursor);

signals:
    void doubleClicked(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<Ui::ImageUnitView> ui;
    QString m_path;
    QString m_key;
    bool m_checked = false;
    bool m_open = false;
    bool m_cursor = false;
};
