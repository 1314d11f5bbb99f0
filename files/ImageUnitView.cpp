#include "ImageUnitView.h"

#include "ThumbnailLabel.h"
#include "ui_ImageUnitView.h"

#include <QMouseEvent>
#include <QPainter>

const QSize ImageUnitView::kFrameSize(307, 393);
const QSize ImageUnitView::kImageSize(210, 297);

ImageUnitView::ImageUnitView(const QString& path, const QString& key, QWidget* parent)
    : QFrame(parent), ui(std::make_unique<Ui::ImageUnitView>()), m_path(path), m_key(key)
{
    // The form gives the grey paper and the white 12 pt name as palette and
    // font: a style sheet of each frame's own made 300 frames a third slower.
    ui->setupUi(this);
    ui->label_fileName->setText(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
    ui->label_image->installEventFilter(this);
    connect(ui->checkBox, &QCheckBox::toggled, this, [this](bool on) { m_checked = on; });
    setZoom(1.0);
}

ImageUnitView::~ImageUnitView() = default;

void ImageUnitView::setChecked(bool checked)
{
    m_checked = checked;
    ui->checkBox->setChecked(checked);
}

void ImageUnitView::setZoom(double f)
{
    setFixedSize(int(kFrameSize.width() * f), int(kFrameSize.height() * f));
    ui->label_image->setFixedSize(int(kImageSize.width() * f), int(kImageSize.height() * f));
}

void ImageUnitView::setThumbnail(const QImage& image)
{
    ui->label_image->setImage(image);
}

bool ImageUnitView::hasThumbnail() const
{
    return !ui->label_image->image().isNull();
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
    if (watched != ui->label_image)
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
