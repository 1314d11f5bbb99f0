#pragma once

#include "LargeImageView.h"
#include "PageTrash.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class RubberBandWidget;
class ThumbnailLoader;

namespace Ui {
class ImageViewDlg;
}

// The multi-view preview: a tool row (delete the checked pages, sort, zoom)
// over a scrolling sheet of the current folder's pages. It takes the place of
// the main window's centre column while shown.
class ImageViewDlg : public QWidget
{
    Q_OBJECT
public:
    // Asked before the checked pages go; true to go ahead.
    using Confirm = std::function<bool(const QString& title, const QString& text)>;

    static constexpr double kMinZoom = 0.5;
    static constexpr double kMaxZoom = 1.5;

    explicit ImageViewDlg(QWidget* parent = nullptr, ThumbnailLoader* loader = nullptr);
    ~ImageViewDlg() override;

    void loadFolder(const QString& folder, int sortIndex);
    // The sheet of folder sorted by name, as when the preview is switched on.
    void showFolder(const QString& folder);
    QString folder() const { return m_folder; }
    int sortIndex() const;
    double zoomFactor() const { return m_zoomFactor; }
    RubberBandWidget* sheet() const { return m_sheet; }
    // The page open in the main window, marked on the sheet.
    void setOpenFile(const QString& path);
    LargeImageView* largeView() const { return m_large; }

    void setConfirm(Confirm confirm) { m_confirm = std::move(confirm); }
    void setAskPermanent(PageTrash::AskPermanent ask) { m_askPermanent = std::move(ask); }

signals:
    void openRequested(const QString& path);
    void pagesDeleted(const QStringList& paths);

public slots:
    void on_comboBox_currentIndexChanged(int index);
    void on_btn_del_clicked();
    void on_btn_big_clicked();
    void on_btn_small_clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void zoomBy(int steps);
    void applyZoom();
    // Lays the sheet out at the view's width now, so what is on screen is known.
    void layOutSheet();
    QRect visibleRect() const;
    void schedulePrioritise();
    void openLarge(const QString& path);

    std::unique_ptr<Ui::ImageViewDlg> ui;
    ThumbnailLoader* m_loader;
    QString m_folder;
    QString m_openFile;
    RubberBandWidget* m_sheet = nullptr;
    double m_zoomFactor = 1.0;
    bool m_prioritiseQueued = false;
    QPointer<LargeImageView> m_large;
    Confirm m_confirm;
    PageTrash::AskPermanent m_askPermanent;
};
