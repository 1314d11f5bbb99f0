#include "ImageViewDlg.h"

#include "CommonDialogs.h"
#include "ImageUnitView.h"
#include "LargeImageView.h"
#include "RubberBandWidget.h"
#include "ThumbnailLoader.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text,
                        const QString& icon = QString())
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    if (!icon.isEmpty())
        button->setIcon(QIcon(icon));
    return button;
}

} // namespace

ImageViewDlg::ImageViewDlg(QWidget* parent, ThumbnailLoader* loader)
    : QWidget(parent), m_loader(loader ? loader : ThumbnailLoader::shared()),
      m_confirm([](const QString& title, const QString& text) {
          return showQuestion(title, text) == QMessageBox::Ok;
      }),
      m_askPermanent(askPermanentDelete)
{
    setObjectName(QStringLiteral("ImageViewDlg"));
    resize(1153, 599);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* title = new QLabel(QStringLiteral("  预览"), this);
    title->setObjectName(QStringLiteral("label_title"));
    title->setStyleSheet(QStringLiteral("font: 700 12pt \"Microsoft YaHei UI\";"));
    column->addWidget(title);

    auto* tools = new QFrame(this);
    tools->setObjectName(QStringLiteral("frame_tools"));
    tools->setFixedHeight(51);
    auto* row = new QHBoxLayout(tools);
    QPushButton* del = makeButton(tools, "btn_del", QStringLiteral("删除"));
    m_comboBox = new QComboBox(tools);
    m_comboBox->setObjectName(QStringLiteral("comboBox"));
    m_comboBox->addItems({QStringLiteral("文件名排序"), QStringLiteral("文件大小排序")});
    QPushButton* rename = makeButton(tools, "btn_rename", QStringLiteral("重命名"));
    rename->hide();
    QPushButton* big =
        makeButton(tools, "btn_big", QStringLiteral("＋"), QStringLiteral(":/images/zoom_in.ico"));
    QPushButton* small = makeButton(tools, "btn_small", QStringLiteral("－"),
                                    QStringLiteral(":/images/zoom_out.ico"));
    for (QWidget* widget :
         {static_cast<QWidget*>(del), static_cast<QWidget*>(m_comboBox),
          static_cast<QWidget*>(rename), static_cast<QWidget*>(big), static_cast<QWidget*>(small)})
        row->addWidget(widget);
    row->addStretch(1);
    column->addWidget(tools);

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setObjectName(QStringLiteral("scrollArea"));
    m_scrollArea->setStyleSheet(QStringLiteral("QScrollArea {border:0px solid #838486;  }"));
    m_scrollArea->setWidgetResizable(true);
    column->addWidget(m_scrollArea, 1);

    connect(del, &QPushButton::clicked, this, &ImageViewDlg::on_btn_del_clicked);
    connect(big, &QPushButton::clicked, this, &ImageViewDlg::on_btn_big_clicked);
    connect(small, &QPushButton::clicked, this, &ImageViewDlg::on_btn_small_clicked);
    connect(m_comboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ImageViewDlg::on_comboBox_currentIndexChanged);
    connect(m_scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &ImageViewDlg::schedulePrioritise);
}

int ImageViewDlg::sortIndex() const
{
    return m_comboBox->currentIndex();
}

void ImageViewDlg::loadFolder(const QString& folder, int sortIndex)
{
    m_folder = folder;
    if (QWidget* old = m_scrollArea->takeWidget()) {
        old->hide();
        old->deleteLater();
    }
    m_sheet = new RubberBandWidget(m_loader);
    connect(m_sheet, &RubberBandWidget::openRequested, this, &ImageViewDlg::openRequested);
    connect(m_sheet, &RubberBandWidget::enlargeRequested, this, &ImageViewDlg::openLarge);
    connect(m_sheet, &RubberBandWidget::deleteRequested, this, &ImageViewDlg::on_btn_del_clicked);
    connect(m_sheet, &RubberBandWidget::zoomRequested, this, &ImageViewDlg::zoomBy);
    connect(m_sheet, &RubberBandWidget::cursorMoved, this,
            [this](QWidget* unit) { m_scrollArea->ensureWidgetVisible(unit, 20, 20); });
    connect(m_sheet, &RubberBandWidget::framesAdded, this, [this](int first) {
        layOutSheet();
        m_sheet->requestThumbnails(visibleRect(), first);
    });
    m_sheet->setOpenFile(m_openFile);
    // The zoom holds across reloads, so a sort or a delete keeps the size chosen.
    m_sheet->setZoom(m_zoomFactor);
    m_scrollArea->setWidget(m_sheet);
    // The keys work on the sheet at once: arrows, Space, Delete, Ctrl+A.
    if (isVisible())
        m_sheet->setFocus();
    m_sheet->refreshView(folder, sortIndex);
}

void ImageViewDlg::showFolder(const QString& folder)
{
    const QSignalBlocker quiet(m_comboBox);
    m_comboBox->setCurrentIndex(0);
    loadFolder(folder, 0);
}

void ImageViewDlg::setOpenFile(const QString& path)
{
    m_openFile = path;
    if (m_sheet)
        m_sheet->setOpenFile(path);
}

void ImageViewDlg::on_comboBox_currentIndexChanged(int index)
{
    loadFolder(m_folder, index);
}

void ImageViewDlg::on_btn_del_clicked()
{
    if (!m_sheet || !m_confirm(QStringLiteral("提示"), QStringLiteral("是否确定删除勾选的文件？")))
        return;
    const PageTrash::Result result = m_sheet->deleteChecked(m_askPermanent);
    loadFolder(m_folder, sortIndex());
    if (!result.removed.isEmpty())
        emit pagesDeleted(result.removed);
    if (!result.failed.isEmpty())
        showMessage(QStringLiteral("提示"),
                    QStringLiteral("以下文件未能删除：\n%1").arg(result.failed.join('\n')),
                    QMessageBox::Warning);
}

void ImageViewDlg::on_btn_big_clicked()
{
    zoomBy(1);
}

void ImageViewDlg::on_btn_small_clicked()
{
    zoomBy(-1);
}

void ImageViewDlg::zoomBy(int steps)
{
    // A ladder of tenths from 0.5 to 1.5: counted whole, so any number of steps
    // in and as many out end where they began.
    const int tenths = int(std::lround(m_zoomFactor * 10));
    const int next = qBound(int(kMinZoom * 10), tenths + (steps > 0 ? 1 : -1), int(kMaxZoom * 10));
    if (steps == 0 || next == tenths)
        return;
    m_zoomFactor = next / 10.0;
    applyZoom();
}

void ImageViewDlg::applyZoom()
{
    if (!m_sheet)
        return;
    m_sheet->setZoom(m_zoomFactor);
    layOutSheet();
    m_sheet->prioritise(visibleRect());
}

void ImageViewDlg::layOutSheet()
{
    const int width = m_scrollArea->viewport()->width();
    m_sheet->resize(width, m_sheet->layout()->heightForWidth(width));
    m_sheet->layout()->setGeometry(m_sheet->rect());
}

QRect ImageViewDlg::visibleRect() const
{
    if (!m_sheet)
        return QRect();
    return QRect(-m_sheet->pos(), m_scrollArea->viewport()->size());
}

void ImageViewDlg::schedulePrioritise()
{
    // A scroll moves many pixels at once: one reordering per turn of the event loop.
    if (m_prioritiseQueued)
        return;
    m_prioritiseQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_prioritiseQueued = false;
        if (m_sheet)
            m_sheet->prioritise(visibleRect());
    });
}

void ImageViewDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    schedulePrioritise();
}

void ImageViewDlg::openLarge(const QString& path)
{
    if (m_large)
        m_large->close();
    m_large = LargeImageView::open(path, this);
}
