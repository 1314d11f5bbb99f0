#include "ImageViewDlg.h"

#include "CommonDialogs.h"
#include "ImageUnitView.h"
#include "LargeImageView.h"
#include "RubberBandWidget.h"
#include "ThumbnailLoader.h"
#include "ui_ImageViewDlg.h"

#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <cmath>

ImageViewDlg::ImageViewDlg(QWidget* parent, ThumbnailLoader* loader)
    : QWidget(parent), ui(std::make_unique<Ui::ImageViewDlg>()),
      m_loader(loader ? loader : ThumbnailLoader::shared()),
      m_confirm([](const QString& title, const QString& text) {
          return showQuestion(title, text) == QMessageBox::Ok;
      }),
      m_askPermanent(askPermanentDelete)
{
    ui->setupUi(this);
    connect(ui->scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &ImageViewDlg::schedulePrioritise);
}

int ImageViewDlg::sortIndex() const
{
    return ui->comboBox->currentIndex();
}

ImageViewDlg::~ImageViewDlg() = default;

void ImageViewDlg::loadFolder(const QString& folder, int sortIndex)
{
    m_folder = folder;
    if (QWidget* old = ui->scrollArea->takeWidget()) {
        old->hide();
        old->deleteLater();
    }
    m_sheet = new RubberBandWidget(m_loader);
    connect(m_sheet, &RubberBandWidget::openRequested, this, &ImageViewDlg::openRequested);
    connect(m_sheet, &RubberBandWidget::enlargeRequested, this, &ImageViewDlg::openLarge);
    connect(m_sheet, &RubberBandWidget::deleteRequested, this, &ImageViewDlg::on_btn_del_clicked);
    connect(m_sheet, &RubberBandWidget::zoomRequested, this, &ImageViewDlg::zoomBy);
    connect(m_sheet, &RubberBandWidget::cursorMoved, this,
            [this](QWidget* unit) { ui->scrollArea->ensureWidgetVisible(unit, 20, 20); });
    connect(m_sheet, &RubberBandWidget::framesAdded, this, [this](int first) {
        layOutSheet();
        m_sheet->requestThumbnails(visibleRect(), first);
    });
    m_sheet->setOpenFile(m_openFile);
    // The zoom holds across reloads, so a sort or a delete keeps the size chosen.
    m_sheet->setZoom(m_zoomFactor);
    ui->scrollArea->setWidget(m_sheet);
    // The keys work on the sheet at once: arrows, Space, Delete, Ctrl+A.
    if (isVisible())
        m_sheet->setFocus();
    m_sheet->refreshView(folder, sortIndex);
}

void ImageViewDlg::showFolder(const QString& folder)
{
    const QSignalBlocker quiet(ui->comboBox);
    ui->comboBox->setCurrentIndex(0);
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
    const int width = ui->scrollArea->viewport()->width();
    m_sheet->resize(width, m_sheet->layout()->heightForWidth(width));
    m_sheet->layout()->setGeometry(m_sheet->rect());
}

QRect ImageViewDlg::visibleRect() const
{
    if (!m_sheet)
        return QRect();
    return QRect(-m_sheet->pos(), ui->scrollArea->viewport()->size());
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
