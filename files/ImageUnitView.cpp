#include "ImageUnitView.h"

#include "ThumbnailLabel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

const QSize ImageUnitView::kFrameSize(307, 393);
const QSize ImageUnitView::kImageSize(210, 297);

ImageUnitView::ImageUnitView(const QString& path, const QString& key, QWidget* parent)
    : QFrame(parent), m_path(path), m_key(key)
{
    setObjectName(QStringLiteral("ImageUnitView"));
    // Grey paper, no border, white name in 12 pt: set as palette and font, which
    // costs a fraction of a style sheet in a sheet of hundreds of frames.
    static const QPalette look = [] {
        QPalette palette;
        palette.setColor(QPalette::Window, QColor(156, 156, 156));
        return palette;
    }();
    setPalette(look);
    setAutoFillBackground(true);
    setFrameShape(QFrame::NoFrame);
    auto* column = new QVBoxLayout(this);
    m_image = new ThumbnailLabel(this);
    m_image->setObjectName(QStringLiteral("label_image"));
    m_image->installEventFilter(this);
    column->addWidget(m_image, 1, Qt::AlignCenter);

    auto* row = new QHBoxLayout;
    m_box = new QCheckBox(this);
    m_box->setObjectName(QStringLiteral("checkBox"));
    m_box->setFocusPolicy(Qt::NoFocus);
    m_name = new QLabel(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1), this);
    m_name->setObjectName(QStringLiteral("label_fileName"));
    static const QFont nameFont(QStringLiteral("Microsoft YaHei UI"), 12);
    m_name->setFont(nameFont);
    QPalette white = look;
    white.setColor(QPalette::WindowText, Qt::white);
    m_name->setPalette(white);
    m_name->setMaximumHeight(28);
    row->addWidget(m_box);
    row->addWidget(m_name, 1);
    column->addLayout(row);
    connect(m_box, &QCheckBox::toggled, this, [this](bool on) { m_checked = on; });
    setZoom(1.0);
}

void ImageUnitView::setChecked(bool checked)
{
    m_checked = checked;
    m_box->setChecked(checked);
}

void ImageUnitView::setZoom(double f)
{
    setFixedSize(int(kFrameSize.width() * f), int(kFrameSize.height() * f));
    m_image->setFixedSize(int(kImageSize.width() * f), int(kImageSize.height() * f));
}

void ImageUnitView::setThumbnail(const QImage& image)
{
    m_image->setImage(image);
}

bool ImageUnitView::hasThumbnail() const
{
    return !m_image->image().isNull();
}

void ImageUnitView::setOpen(bool open)
{
    if (m_open == open)
        return;
    m_open = open;
    update();
}

void ImageUnitView::setKeyboardCursor(bool cursor)
{
    if (m_cursor == cursor)
        return;
    m_cursor = cursor;
    update();
}

bool ImageUnitView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_image)
        return QFrame::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        setChecked(!m_checked);
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        emit doubleClicked(m_path);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void ImageUnitView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!m_open && !m_cursor)
        return;
    // Drawn in the frame's margin, which the children leave free.
    QPainter painter(this);
    if (m_open)
        painter.setPen(QPen(QColor(255, 140, 0), 6));
    else
        painter.setPen(QPen(Qt::white, 2, Qt::DashLine));
    painter.drawRect(rect().adjusted(3, 3, -3, -3));
}
