#pragma once

#include "CurrentImage.h"
#include "PagePrefetcher.h"
#include "TitleBarDrag.h"
#include "stDisplayScale.h"

#include <QMainWindow>
#include <QModelIndex>

class BatchPanel;
class FileRenameCommands;
class FileListCommands;
class FolderCommands;
class FolderBrowser;
class GraphicsView;
class ImageViewDlg;
class PageScene;
class QcPanel;
class QLabel;
class SaveModeMenu;
class ScanPanel;
class ScanSession;
class ShortcutkeykeysSettingsDlg;
class SplitTabImport;
class SplitTabRun;
class ToolbarCommands;

namespace Ui {
class MainWindow;
}

// The workstation's one window: frameless, with its own title bar, the folder
// tree and file list on the left, the current page in the centre and the
// scanning and batch tabs on the right. It only wires widgets to the units
// that do the work: FolderBrowser for the left panel, CurrentImage for the
// page being edited, GraphicsView and PageScene for showing it.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    QString currentFile() const { return m_image.file(); }
    QString currentFolder() const;
    GraphicsView* view() const { return m_view; }
    PageScene* scene() const { return m_scene; }
    const CurrentImage& currentImage() const { return m_image; }
    // Toolbar entries that take shortcuts, for the shortcut panel and the batch list.
    const QList<QObject*>& registeredEntries() const;
    ToolbarCommands* toolbarCommands() const { return m_commands; }
    BatchPanel* batchPanel() const { return m_batch; }
    ScanPanel* scanPanel() const { return m_scan; }
    ShortcutkeykeysSettingsDlg* shortcutPanel() const { return m_shortcutPanel; }
    ImageViewDlg* preview() const { return m_preview; }
    FileRenameCommands* renameCommands() const { return m_renames; }
    FolderCommands* folderCommands() const { return m_folderCommands; }
    FileListCommands* fileCommands() const { return m_fileCommands; }

    // Folder tree and file list hand-offs (connected in the constructor).
    void on_tv_floder_clicked(const QModelIndex& index);
    void on_tv_folder_row_changed(const QModelIndex& current, const QModelIndex& previous);
    void on_tb_file_row_changed(const QModelIndex& current, const QModelIndex& previous);

public slots:
    // Shows the current page fitted into the view, or at the kept zoom factor.
    void displayImage(bool keepScale);
    void showImageInfo();
    // The one entry of every interactive image operation; run false only
    // records the operation for a gesture still to come.
    void executeOperation(int optId, bool run, const QVariant& param);
    void undo();
    void redo();
    void save();
    void previousPage();
    void nextPage();
    void undoFolder();
    void clearHistories();
    // A finished rectangle or line gesture of the view (scene points).
    void on_roiFinished(const QPoint& first, const QPoint& second);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;
#endif

private slots:
    void on_tb_file_clicked(const QModelIndex& index);
    void on_btn_folder_refresh_clicked();
    // Rename hand-offs to FileRenameCommands.
    void on_tb_file_doubleClicked(const QModelIndex& index);
    void on_btn_file_replacename_clicked();
    void on_btn_folder_rename_clicked();
    // Folder and file command hand-offs to FolderCommands and FileListCommands.
    void on_btn_folder_new_clicked();
    void on_btn_folder_del_clicked();
    void on_btn_rootpath_clicked();
    void on_btn_folder_open_clicked();
    void on_btn_file_del_clicked();
    void on_btn_hide_clicked();
    void on_btn_max_clicked();
    void on_btn_close_clicked();
    void toggleShortcutDock();
    void on_ac_about_us_triggered();
    void on_action_convert_triggered();
    void on_action_statistics_triggered();
    // Batch tab hand-offs to BatchPanel.
    void on_tb_action_clicked(const QModelIndex& index);
    void on_btn_batch_process_clicked();
    void on_btn_batch_process_checked_clicked();
    // Scan tab hand-offs to ScanPanel.
    void on_btn_scan_clicked();
    void on_btn_scan_insert_clicked();
    void on_btn_scan_replace_clicked();
    void on_btn_scan_preview_clicked();
    // Split tab hand-offs to SplitTabImport and SplitTabRun.
    void on_btn_fj_import_excel_clicked();
    void on_btn_fj_pagecount_clicked();
    void on_btn_fj_pageno_clicked();
    void on_btn_fj_undo_clicked();
    void on_action_view_fj_toggled(bool shown);
    void on_action_fj_triggered();
    // Quality-check mode and tab hand-offs to QcPanel.
    void on_btn_mode_qc_clicked(bool checked);
    bool on_btn_qc_import_clicked();
    void on_btn_qc_export_clicked();

private:
    void setUpTitleBar();
    void setUpSaveModeMenu();
    void setUpCentreColumn();
    void setUpToolbar();
    void setUpLayout();
    void setUpStatusBar();
    void setUpFolderPanel();
    void setUpRenameCommands();
    // Makes path the tree's current folder and lists it anew.
    void showFolder(const QString& path);
    void setUpBatchPanel();
    void setUpScanPanel();
    void setUpShortcutPanel();
    void setUpSplitTab();
    void setUpPreview();
    // Writes the open page's edits as a page turn would and closes it, before
    // files change under it; the caches of pages read ahead go too.
    void releaseOpenPage();
    // The thumbnail sheet in place of the centre column and the right tabs, or back.
    void showPreview(bool on);
    // A page double-clicked on the sheet: opened in the main view.
    void openFromPreview(const QString& path);
    void setUpFolderCommands();
    void setUpFileCommands();
    // The one place pages deleted from the folder are followed: the open page
    // closes when it went (its neighbour in before opens), the caches drop
    // them, and the list is read anew when reload says so.
    void afterPagesDeleted(const QStringList& paths, const QStringList& before, bool reload);
    // Another data directory in the tree, remembered for the next start.
    void setRootPath(const QString& path);
    void setUpQcTab();
    // The quality check's editors follow the selected folder.
    void showEntryInfo();
    // The file list of the current folder anew after a scan, with path current.
    void showScannedFolder(const QString& path);
    void selectFirstFolder();
    void openFile(const QString& path);
    // Files renamed on disk: the open page, its history and caches follow.
    void followRenames(const QHash<QString, QString>& oldToNew);
    void prefetchNeighbours(int row);
    void showNoImage();
    QRect titleBarRect() const;
    void toggleMaximised();

    Ui::MainWindow* ui;
    CurrentImage m_image;
    PagePrefetcher m_prefetch;
    stDisplayScale m_scale; // of the page as displayed
    int m_dpiX = 0;         // resolution of the open file, for millimetre settings
    int m_dpiY = 0;
    bool m_reselecting = false; // the file list's row follows the open page; nothing opens
    TitleBarDrag m_drag;
    FolderBrowser* m_browser = nullptr;
    SaveModeMenu* m_saveModeMenu = nullptr;
    QWidget* m_toolRows = nullptr;
    ToolbarCommands* m_commands = nullptr;
    BatchPanel* m_batch = nullptr;
    FileRenameCommands* m_renames = nullptr;
    ScanPanel* m_scan = nullptr;
    ShortcutkeykeysSettingsDlg* m_shortcutPanel = nullptr;
    ImageViewDlg* m_preview = nullptr;
    FolderCommands* m_folderCommands = nullptr;
    FileListCommands* m_fileCommands = nullptr;
    ScanSession* m_scanner = nullptr; // child: joined when the window goes
    SplitTabImport* m_splitTab = nullptr;
    SplitTabRun* m_splitRun = nullptr;
    QcPanel* m_qc = nullptr;
    cv::Mat m_clipboard; // the region copied last; the engine's paste reads it
    GraphicsView* m_view = nullptr;
    PageScene* m_scene = nullptr;
    QLabel* m_sizeLabel = nullptr;
    QLabel* m_colourLabel = nullptr;
    QLabel* m_dpiLabel = nullptr;
    QLabel* m_pathLabel = nullptr;
};
