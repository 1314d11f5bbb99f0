#include "RubberBandWidget.h"

#include "FileTableModel.h"
#include "FlowLayout.h"
#include "ImageUnitView.h"
#include "ThumbnailLoader.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QRubberBand>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

RubberBandWidget::RubberBandWidget(ThumbnailLoader* loader, QWidget* parent)
    : QWidget(parent), m_loader(loader)
{
    setObjectName(QStringLiteral("RubberBandWidget"));
    setFocusPolicy(Qt::StrongFocus);
    m_flow = new FlowLayout(this, 30, 20, 20);
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("menu_rubberband"));
    QAction* check = m_menu->addAction(QStringLiteral("勾选"));
    QAction* uncheck = m_menu->addAction(QStringLiteral("取消勾选"));
    connect(check, &QAction::triggered, this, [this] { applyToBand(true); });
    connect(uncheck, &QAction::triggered, this, [this] { applyToBand(false); });
    connect(m_menu, &QMenu::aboutToHide, this, &RubberBandWidget::dropBand);
    connect(m_loader, &ThumbnailLoader::thumbnailReady, this, &RubberBandWidget::onThumbnail);
}

RubberBandWidget::~RubberBandWidget() = default;

QStringList RubberBandWidget::listPages(const QString& folder, int sortIndex)
{
    // An empty path would mean the working folder, which is no page folder.
    if (folder.isEmpty())
        return {};
    QFileInfoList entries = QDir(folder).entryInfoList(
        FileTableModel::imageNameFilters(), QDir::Files | QDir::NoSymLinks, QDir::Unsorted);
    std::sort(entries.begin(), entries.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return a.fileName() < b.fileName(); });
    if (sortIndex == 1)
        std::stable_sort(
            entries.begin(), entries.end(),
            [](const QFileInfo& a, const QFileInfo& b) { return a.size() < b.size(); });
    QStringList paths;
    for (const QFileInfo& entry : entries)
        paths << entry.absoluteFilePath();
    return paths;
}

namespace {

// Frames are built for this long per turn of the event loop (at least one),
// so input and painting are never held up for long, on any machine.
const int kBatchMs = 8;

} // namespace

void RubberBandWidget::refreshView(const QString& folder, int sortIndex)
{
    qDebug() << "RubberBandWidget::refreshView" << folder << sortIndex;
    while (QLayoutItem* item = m_flow->takeAt(0))
        delete item;
    qDeleteAll(m_units);
    m_units.clear();
    m_byKey.clear();
    m_cursor = -1;
    m_pending = listPages(folder, sortIndex);
    addFrames(kBatchMs);
}

void RubberBandWidget::finishFrames()
{
    addFrames(-1);
}

void RubberBandWidget::addFrames(int budgetMs)
{
    const int first = m_units.size();
    QElapsedTimer clock;
    clock.start();
    // Showing a frame lays out its visible ancestors first: with the sheet's
    // layout on, every frame would place all frames before it again. The
    // sheet is laid out once when the batch is in (framesAdded).
    m_flow->setEnabled(false);
    while (!m_pending.isEmpty() &&
           (budgetMs < 0 || m_units.size() == first || clock.elapsed() < budgetMs)) {
        const QString path = m_pending.takeFirst();
        const QString key = ThumbnailLoader::identity(path);
        auto* unit = new ImageUnitView(path, key, this);
        QImage image;
        if (m_loader->lookup(key, &image))
            unit->setThumbnail(image);
        if (m_zoom != 1.0)
            unit->setZoom(m_zoom);
        unit->setOpen(path == m_openFile);
        connect(unit, &ImageUnitView::doubleClicked, this, &RubberBandWidget::openRequested);
        m_flow->addWidget(unit);
        // Children added to a shown sheet stay hidden unless told.
        unit->show();
        m_units << unit;
        m_byKey.insert(key, unit);
    }
    m_flow->setEnabled(true);
    m_flow->invalidate();
    if (m_units.size() > first)
        emit framesAdded(first);
    if (!m_pending.isEmpty())
        QTimer::singleShot(0, this, [this] { addFrames(kBatchMs); });
}

void RubberBandWidget::requestThumbnails(const QRect& visible, int first)
{
    QList<ThumbnailLoader::Job> front;
    QList<ThumbnailLoader::Job> rest;
    for (int i = first; i < m_units.size(); ++i) {
        const ImageUnitView* unit = m_units.at(i);
        if (m_loader->lookup(unit->key(), nullptr))
            continue;
        const ThumbnailLoader::Job job{unit->path(), unit->key()};
        if (visible.intersects(unit->geometry()))
            front << job;
        else
            rest << job;
    }
    // Frames of a later batch join the queue behind those already asked for.
    if (first == 0)
        m_loader->request(front + rest);
    else
        m_loader->enqueue(front + rest);
}

void RubberBandWidget::prioritise(const QRect& visible)
{
    QStringList keys;
    for (ImageUnitView* unit : qAsConst(m_units)) {
        if (!unit->hasThumbnail() && visible.intersects(unit->geometry()))
            keys << unit->key();
    }
    if (!keys.isEmpty())
        m_loader->prioritise(keys);
}

void RubberBandWidget::onThumbnail(const QString& key, const QImage& image)
{
    const auto units = m_byKey.values(key);
    for (ImageUnitView* unit : units)
        unit->setThumbnail(image);
}

PageTrash::Result RubberBandWidget::deleteChecked(const PageTrash::AskPermanent& askPermanent)
{
    finishFrames();
    QStringList paths;
    for (ImageUnitView* unit : qAsConst(m_units)) {
        if (unit->isChecked() && QFile::exists(unit->path()))
            paths << unit->path();
    }
    if (paths.isEmpty())
        return {};
    const PageTrash::Result result = PageTrash::remove(paths, askPermanent);
    for (int i = m_units.size() - 1; i >= 0; --i) {
        ImageUnitView* unit = m_units.at(i);
        if (!result.removed.contains(unit->path()))
            continue;
        m_byKey.remove(unit->key(), unit);
        m_units.removeAt(i);
        delete unit; // leaves the layout as it goes
    }
    m_cursor = qMin(m_cursor, m_units.size() - 1);
    return result;
}

void RubberBandWidget::setZoom(double f)
{
    m_zoom = f;
    for (ImageUnitView* unit : qAsConst(m_units))
        unit->setZoom(f);
    update();
}

void RubberBandWidget::setOpenFile(const QString& path)
{
    m_openFile = path;
    for (ImageUnitView* unit : qAsConst(m_units))
        unit->setOpen(unit->path() == path);
}

void RubberBandWidget::setAllChecked(bool checked)
{
    finishFrames();
    for (ImageUnitView* unit : qAsConst(m_units))
        unit->setChecked(checked);
}

QStringList RubberBandWidget::checkedPaths() const
{
    // Frames still to be built are unchecked.
    QStringList paths;
    for (ImageUnitView* unit : m_units) {
        if (unit->isChecked())
            paths << unit->path();
    }
    return paths;
}

void RubberBandWidget::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    m_origin = event->pos();
    if (!m_band)
        m_band = new QRubberBand(QRubberBand::Rectangle, this);
    m_band->setGeometry(QRect(m_origin, QSize()));
    m_band->show();
}

void RubberBandWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_band)
        m_band->setGeometry(QRect(m_origin, event->pos()).normalized());
}

void RubberBandWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint delta = event->pos() - m_origin;
    if (qAbs(delta.x()) < kDragThreshold && qAbs(delta.y()) < kDragThreshold) {
        dropBand();
        return;
    }
    if (!m_band) {
        qDebug() << "no check";
        return;
    }
    m_selection = m_band->geometry();
    m_menu->popup(event->globalPos());
}

void RubberBandWidget::applyToBand(bool checked)
{
    for (ImageUnitView* unit : qAsConst(m_units)) {
        if (m_selection.contains(unit->geometry()))
            unit->setChecked(checked);
    }
    dropBand();
}

void RubberBandWidget::dropBand()
{
    if (!m_band)
        return;
    m_band->hide();
    m_band->deleteLater();
    m_band = nullptr;
}

int RubberBandWidget::columns() const
{
    int count = 0;
    for (ImageUnitView* unit : m_units) {
        if (unit->y() != m_units.first()->y())
            break;
        ++count;
    }
    return qMax(1, count);
}

void RubberBandWidget::moveCursor(int index)
{
    if (m_units.isEmpty())
        return;
    index = qBound(0, index, m_units.size() - 1);
    if (ImageUnitView* old = m_units.value(m_cursor))
        old->setKeyboardCursor(false);
    m_cursor = index;
    m_units.at(index)->setKeyboardCursor(true);
    emit cursorMoved(m_units.at(index));
}

void RubberBandWidget::keyPressEvent(QKeyEvent* event)
{
    const int across = columns();
    // A page of rows is what fits on the screen's height, at least one row.
    const int rowHeight = m_units.isEmpty() ? 1 : m_units.first()->height() + 20;
    const int pageRows =
        qMax(1, (parentWidget() ? parentWidget()->height() : height()) / rowHeight);
    const int at = qMax(m_cursor, 0);
    if (event->matches(QKeySequence::SelectAll)) {
        setAllChecked(true);
        return;
    }
    if (event->matches(QKeySequence::ZoomIn)) {
        emit zoomRequested(1);
        return;
    }
    if (event->matches(QKeySequence::ZoomOut)) {
        emit zoomRequested(-1);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        moveCursor(m_cursor < 0 ? 0 : at - 1);
        return;
    case Qt::Key_Right:
        moveCursor(m_cursor < 0 ? 0 : at + 1);
        return;
    case Qt::Key_Up:
        moveCursor(m_cursor < 0 ? 0 : at - across);
        return;
    case Qt::Key_Down:
        moveCursor(m_cursor < 0 ? 0 : at + across);
        return;
    case Qt::Key_PageUp:
        moveCursor(at - across * pageRows);
        return;
    case Qt::Key_PageDown:
        moveCursor(at + across * pageRows);
        return;
    case Qt::Key_Home:
        moveCursor(0);
        return;
    case Qt::Key_End:
        finishFrames();
        moveCursor(m_units.size() - 1);
        return;
    case Qt::Key_Space:
        if (ImageUnitView* unit = cursorUnit())
            unit->setChecked(!unit->isChecked());
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ImageUnitView* unit = cursorUnit())
            emit enlargeRequested(unit->path());
        return;
    case Qt::Key_Delete:
        emit deleteRequested();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void RubberBandWidget::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore(); // the scroll area scrolls
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta != 0)
        emit zoomRequested(delta > 0 ? 1 : -1);
    event->accept();
}
