#include "MainWindow.h"

#include "AboutDlg.h"
#include "AppPaths.h"
#include "BackgroundTask.h"
#include "BatchPanel.h"
#include "BatchReport.h"
#include "BlankPage.h"
#include "CommonDialogs.h"
#include "DemoArchive.h"
#include "DispatcherEngine.h"
#include "FileListCommands.h"
#include "FilePanelSetup.h"
#include "FileRenameCommands.h"
#include "FileTableModel.h"
#include "FolderBrowser.h"
#include "FolderCommands.h"
#include "GestureController.h"
#include "GraphicsView.h"
#include "ImageConvertDlg.h"
#include "ImageStatusText.h"
#include "ImageToolbar.h"
#include "ImageViewDlg.h"
#include "OperationId.h"
#include "PageDisplay.h"
#include "PageFile.h"
#include "PageNavigator.h"
#include "PageScene.h"
#include "ProcessParams.h"
#include "QcPanel.h"
#include "SaveModeMenu.h"
#include "ScanPanel.h"
#include "ScanSession.h"
#include "ScannerStartup.h"
#include "SettingsStore.h"
#include "ShortcutConfig.h"
#include "ShortcutkeykeysSettingsDlg.h"
#include "SplitTabImport.h"
#include "SplitTabRun.h"
#include "SplitToolDlg.h"
#include "StartupPreparation.h"
#include "StatisticsDlg.h"
#include "ToolbarCommands.h"
#include "ui_MainWindow.h"

#include <QCloseEvent>
#include <QDebug>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

const char* const kVersion = "1.1.1";

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui(new Ui::MainWindow),
      m_image(DispatcherEngine::forImage(&m_image, &m_clipboard))
{
    ui->setupUi(this);
    m_image.setLoader([this](const QString& path) { return m_prefetch.load(path); });
    m_image.setSaveFailedHandler([](const QString& path) {
        showToast(QStringLiteral("保存失败，修改未写入：%1").arg(path),
                  QColor(QStringLiteral("#FF0000")), QColor(QStringLiteral("#FFFFFF")));
    });
    setAttribute(Qt::WA_QuitOnClose);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    ui->checkBox_constantScan->hide();
    prepareProcessState();
    setUpTitleBar();
    // Before the toolbar: its entries take their keys as they are built.
    ShortcutConfig::loadShortcutConfig();
    setUpSaveModeMenu();
    setUpCentreColumn();
    setUpLayout();
    setUpStatusBar();
    ui->widget_right->removeTab(ui->widget_right->indexOf(ui->tab_fj));
    ui->widget_right->removeTab(ui->widget_right->indexOf(ui->tab_entry));
    setUpFolderPanel();
    setUpRenameCommands();
    setUpBatchPanel();
    m_scanner = ScannerStartup::start(this);
    setUpScanPanel();
    setUpShortcutPanel();
    setUpSplitTab();
    setUpPreview();
    setUpQcTab();
    setUpFolderCommands();
    setUpFileCommands();
}

MainWindow::~MainWindow()
{
    delete ui;
}

QString MainWindow::currentFolder() const
{
    return m_browser->currentFolder();
}

void MainWindow::on_ac_about_us_triggered()
{
    AboutDlg dialog(QString::fromLatin1(kVersion), this);
    dialog.exec();
}

void MainWindow::on_action_convert_triggered()
{
    // The tool renames, replaces and deletes page files, the open one among them.
    releaseOpenPage();
    ImageConvertDlg dialog(this);
    dialog.exec();
    on_btn_folder_refresh_clicked();
}

void MainWindow::releaseOpenPage()
{
    m_image.leave();
    m_image.close();
    m_prefetch.clear();
    showNoImage();
}

void MainWindow::on_action_statistics_triggered()
{
    StatisticsDlg(this).exec();
}

void MainWindow::setUpTitleBar()
{
    ui->btn_mode_qc->hide();
    const QString title = QStringLiteral("Tarvo影像扫描加工系统单机版 v%1").arg(kVersion);
    setWindowTitle(title);
    ui->lb_title->setText(title);
    ui->lb_logo->setPixmap(QPixmap(QStringLiteral(":/images/logo_tarvo_qavo.ico")));
    connect(ui->action_view_shortcut, &QAction::triggered, this, &MainWindow::toggleShortcutDock);
}

void MainWindow::setUpSaveModeMenu()
{
    m_image.setSaveMode(ProcessParams::current().saveMode);
    m_saveModeMenu = new SaveModeMenu(ui->menu_savemode, ProcessParams::current().saveMode);
    // The operator's choice holds from now on and for the next start.
    connect(m_saveModeMenu, &SaveModeMenu::modeChosen, this, [this](int mode) {
        m_image.setSaveMode(mode);
        SettingsStore::setSettingValue(SettingsStore::kSaveMode, mode);
    });
}

void MainWindow::setUpCentreColumn()
{
    // The quick-action row, the image toolbar and the confirmation row go into
    // this host, above the view; it is disabled while no page is open.
    m_toolRows = new QWidget(ui->widget_center);
    m_toolRows->setObjectName(QStringLiteral("widget_toolrows"));
    auto* rows = new QVBoxLayout(m_toolRows);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    m_toolRows->setEnabled(false);
    ui->verticalLayout_center->addWidget(m_toolRows);

    m_scene = new PageScene(this);
    m_view = new GraphicsView(ui->widget_center);
    m_view->setObjectName(QStringLiteral("graphicsView"));
    m_view->setScene(m_scene);
    ui->verticalLayout_center->addWidget(m_view, 1);
    connect(m_view, &GraphicsView::wheelModified, this, [this](int delta) {
        m_view->applyZoomStep(delta);
        displayImage(true);
    });
    m_scene->addFixedItems(ProcessParams::current().pageNo);
    setUpToolbar();
}

void MainWindow::setUpLayout()
{
    // The splitter handles are zero-wide, so nobody can widen the left panel by
    // hand: it gets its full width, enough for the file list's three columns.
    ui->widget_left->setMinimumWidth(ui->widget_left->maximumWidth());
    ui->splitter_left->setStretchFactor(0, 1);
    ui->splitter_left->setStretchFactor(1, 1);
    const int centre = ui->splitter_main->indexOf(ui->widget_center);
    for (int i = 0; i < ui->splitter_main->count(); ++i)
        ui->splitter_main->setStretchFactor(i, i == centre ? 1 : 0);
    ui->dockWidget->hide();
}

void MainWindow::setUpStatusBar()
{
    auto makeLabel = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    m_sizeLabel = makeLabel("lb_status_size");
    m_colourLabel = makeLabel("lb_status_colour");
    m_dpiLabel = makeLabel("lb_status_dpi");
    m_pathLabel = makeLabel("lb_status_path");
    for (QLabel* label : {m_sizeLabel, m_colourLabel, m_dpiLabel}) {
        label->setFixedWidth(150);
        statusBar()->addWidget(label);
    }
    m_pathLabel->setAlignment(Qt::AlignCenter);
    statusBar()->addWidget(m_pathLabel, 1);
    statusBar()->show();
}

void MainWindow::setUpFolderPanel()
{
    m_browser = new FolderBrowser(this);
    FileTableModel* files = m_browser->fileModel();
    files->setConfirmHandler([](const QString& title, const QString& text) {
        return showQuestion(title, text) == QMessageBox::Ok;
    });
    files->setErrorNotifier([](const QString& text) {
        showToast(text, QColor(QStringLiteral("#FF0000")), QColor(QStringLiteral("#FFFFFF")));
    });

    // A first start gets the demo archive, so there is something to browse.
    const QString root = DemoArchive::ensureRootPath();
    const QModelIndex rootIndex = m_browser->rootIndex(root);
    FilePanelSetup::setUpFolderView(ui->tv_folder, m_browser->folderModel(), rootIndex);
    FilePanelSetup::setUpFileView(ui->tb_file, files);

    connect(ui->tv_folder, &QTreeView::clicked, this, &MainWindow::on_tv_floder_clicked);
    connect(ui->tv_folder->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &MainWindow::on_tv_folder_row_changed);
    connect(ui->tb_file->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &MainWindow::on_tb_file_row_changed);
    // The page being left is written under its own name before any name changes.
    connect(files, &FileTableModel::namesAboutToChange, this, [this] { m_image.leave(); });
    connect(files, &FileTableModel::namesChanged, this, &MainWindow::followRenames);

    if (!rootIndex.isValid())
        return;
    // The tree fills in the background; once the data directory is listed,
    // its first folder opens so the window never starts blank.
    QFileSystemModel* folders = m_browser->folderModel();
    const QString rootPath = folders->filePath(rootIndex);
    connect(folders, &QFileSystemModel::directoryLoaded, this,
            [this, rootPath](const QString& path) {
                if (path == rootPath)
                    QTimer::singleShot(0, this, &MainWindow::selectFirstFolder);
            });
    if (folders->canFetchMore(rootIndex))
        folders->fetchMore(rootIndex);
}

void MainWindow::setUpRenameCommands()
{
    FileRenameCommands::Hooks hooks;
    hooks.parent = this;
    hooks.files = m_browser->fileModel();
    hooks.listFolder = [this] { return m_browser->currentFolder(); };
    hooks.treeFolder = [this] {
        const QModelIndex current = ui->tv_folder->currentIndex();
        return current.isValid() ? m_browser->folderModel()->filePath(current) : QString();
    };
    hooks.dataRoot = [this] {
        return m_browser->folderModel()->filePath(ui->tv_folder->rootIndex());
    };
    hooks.releaseOpenPage = [this] { releaseOpenPage(); };
    hooks.foldersRenamed = [this](const QHash<QString, QString>& oldToNew) {
        m_image.followFolderRenames(oldToNew);
    };
    hooks.showFolder = [this](const QString& path) { showFolder(path); };
    m_renames = new FileRenameCommands(hooks, this);

    auto* fileMenu = new QMenu(ui->btn_file_rename);
    QAction* all = fileMenu->addAction(QIcon(QStringLiteral(":/images/file_all.png")),
                                       QStringLiteral("全部文件"));
    QAction* checked = fileMenu->addAction(QIcon(QStringLiteral(":/images/file_checked.png")),
                                           QStringLiteral("勾选文件"));
    QAction* undo = fileMenu->addAction(QStringLiteral("撤销重命名"));
    all->setObjectName(QStringLiteral("action_rename_all"));
    checked->setObjectName(QStringLiteral("action_rename_checked"));
    undo->setObjectName(QStringLiteral("action_undo_rename"));
    connect(all, &QAction::triggered, m_renames, &FileRenameCommands::renameAllFiles);
    connect(checked, &QAction::triggered, m_renames, &FileRenameCommands::renameCheckedFiles);
    connect(undo, &QAction::triggered, m_renames, &FileRenameCommands::undoLastRename);
    // Files may have moved on since the last rename: asked each time the menu opens.
    connect(fileMenu, &QMenu::aboutToShow, this,
            [this, undo] { undo->setEnabled(m_renames->canUndo()); });
    ui->btn_file_rename->setMenu(fileMenu);
    ui->btn_file_rename->setPopupMode(QToolButton::InstantPopup);

    auto* folderMenu = new QMenu(ui->btn_folder_rename);
    QAction* batch = folderMenu->addAction(QIcon(QStringLiteral(":/images/folder_batch.png")),
                                           QStringLiteral("批量重命名"));
    batch->setObjectName(QStringLiteral("action_folder_batch_rename"));
    connect(batch, &QAction::triggered, m_renames, &FileRenameCommands::renameSubFolders);
    ui->btn_folder_rename->setMenu(folderMenu);
    ui->btn_folder_rename->setPopupMode(QToolButton::MenuButtonPopup);
}

void MainWindow::showFolder(const QString& path)
{
    const QModelIndex index = m_browser->folderModel()->index(path);
    if (index.isValid() && index != ui->tv_folder->currentIndex())
        ui->tv_folder->setCurrentIndex(index);
    else
        on_btn_folder_refresh_clicked();
}

void MainWindow::on_tb_file_doubleClicked(const QModelIndex& index)
{
    m_renames->renameFile(index.row());
}

void MainWindow::on_btn_file_replacename_clicked()
{
    m_renames->replaceNames();
}

void MainWindow::on_btn_folder_rename_clicked()
{
    m_renames->renameFolder();
}

void MainWindow::selectFirstFolder()
{
    if (ui->tv_folder->currentIndex().isValid())
        return;
    // The model sorts its rows on a timer of its own; sort now so "first" means
    // first by name, as the tree will show it.
    QFileSystemModel* folders = m_browser->folderModel();
    folders->sort(0, Qt::AscendingOrder);
    const QModelIndex first = folders->index(0, 0, ui->tv_folder->rootIndex());
    if (first.isValid())
        ui->tv_folder->setCurrentIndex(first);
}

void MainWindow::on_tv_floder_clicked(const QModelIndex& index)
{
    const FolderBrowser::FolderClick click = m_browser->folderClicked(index);
    if (click.valid && click.folderChanged) {
        clearHistories();
        ui->tv_folder->resizeColumnToContents(0);
    }
}

void MainWindow::on_tv_folder_row_changed(const QModelIndex& current, const QModelIndex&)
{
    const FolderBrowser::FolderState state = m_browser->folderChanged(current);
    if (!state.valid)
        return;
    ui->lb_page_cnt->setText(QString::number(state.pageCount));
    ui->spinbox_code_next->setValue(state.nextCode);
    if (m_preview->isVisible() && state.folder != m_preview->folder())
        m_preview->loadFolder(state.folder, m_preview->sortIndex());
    if (state.isEmpty()) {
        m_image.leave();
        m_image.close();
        showNoImage();
    } else {
        ui->tb_file->setCurrentIndex(state.firstFile);
    }
    clearHistories();
    showEntryInfo();
}

void MainWindow::on_tb_file_clicked(const QModelIndex& index)
{
    m_browser->fileClicked(index);
}

void MainWindow::on_btn_folder_refresh_clicked()
{
    const QModelIndex current = ui->tv_folder->currentIndex();
    on_tv_folder_row_changed(current, current);
}

void MainWindow::on_tb_file_row_changed(const QModelIndex& current, const QModelIndex&)
{
    if (!current.isValid())
        return;
    const stFileModelInfo record = m_browser->fileModel()->fileInfo(current.row());
    m_scan->fillNamingFrom(record.fileName);
    if (m_reselecting)
        return;
    openFile(QStringLiteral("%1/%2").arg(record.dirPath, record.fileName));
    prefetchNeighbours(current.row());
}

void MainWindow::openFile(const QString& path)
{
    // Nothing stays open on a failure, so the previous page must not stay on
    // screen as if it were this file.
    const bool opened = m_image.open(path);
    m_preview->setOpenFile(m_image.file());
    if (!opened) {
        showNoImage();
        return;
    }
    displayImage(false);
}

void MainWindow::followRenames(const QHash<QString, QString>& oldToNew)
{
    m_image.followRenames(oldToNew);
    m_batch->followRenames(oldToNew);
    m_preview->setOpenFile(m_image.file());
    // Pixels decoded under the old names belong to other pages now.
    m_prefetch.clear();
    const int row = m_browser->fileModel()->filePaths().indexOf(m_image.file());
    if (row < 0)
        return;
    // The open page stays open, with its pixels and history, under its new name.
    m_reselecting = true;
    ui->tb_file->setCurrentIndex(m_browser->fileModel()->index(row, 1));
    m_reselecting = false;
    prefetchNeighbours(row);
    displayImage(true);
}

void MainWindow::prefetchNeighbours(int row)
{
    const FileTableModel* files = m_browser->fileModel();
    for (int neighbour : {row + 1, row - 1}) {
        const stFileModelInfo record = files->fileInfo(neighbour);
        if (!record.fileName.isEmpty())
            m_prefetch.prefetch(QStringLiteral("%1/%2").arg(record.dirPath, record.fileName));
    }
}

void MainWindow::showNoImage()
{
    displayImage(false);
    showImageInfo();
}

void MainWindow::displayImage(bool keepScale)
{
    m_commands->toolbar()->setHistoryState(m_image.isOpen() && m_image.canUndo(),
                                           m_image.isOpen() && m_image.canRedo(),
                                           m_image.hasUnsavedChanges());
    if (!m_image.isOpen()) {
        m_scene->setDisplayedImage(QImage());
        m_toolRows->setEnabled(false);
        m_view->viewport()->update();
        return;
    }
    const cv::Mat& full = m_image.image();
    const QSize target = PageDisplay::targetSize(
        QSize(full.cols, full.rows), m_view->viewport()->size(), keepScale, m_view->zoomFactor());
    const QImage shown = PageDisplay::scaled(full, target, &m_scale);
    if (shown.isNull()) {
        qWarning() << "图片已损坏" << m_image.file();
        return;
    }
    m_toolRows->setEnabled(true);
    m_view->setZoomFactor(m_scale.zoom);
    qDebug() << "zoomScale" << m_scale.ratioX << m_scale.ratioY;
    m_scene->setDisplayedImage(shown);
    showImageInfo();
    const ProcessParams& params = ProcessParams::current();
    m_scene->applyPageSettings(params.margins, params.pageNo, m_dpiX, m_dpiY, m_scale);
    m_view->viewport()->update();
}

void MainWindow::showImageInfo()
{
    const QString path = m_image.file();
    if (!m_image.isOpen()) {
        m_sizeLabel->clear();
        m_colourLabel->clear();
        m_dpiLabel->clear();
        m_pathLabel->setText(path);
        return;
    }
    const PageInfo info = PageFile::readInfo(path);
    const QSize full(m_image.image().cols, m_image.image().rows);
    const ImageStatusText text = ImageStatusText::make(full, info, path);
    m_sizeLabel->setText(text.size);
    m_colourLabel->setText(text.colour);
    m_dpiLabel->setText(text.resolution);
    m_pathLabel->setText(m_image.hasUnsavedChanges() ? text.path + QStringLiteral(" （未保存）")
                                                     : text.path);
    m_dpiX = info.dpiX;
    m_dpiY = info.dpiY;
}

void MainWindow::executeOperation(int optId, bool run, const QVariant& param)
{
    if (!m_image.executeOperation(optId, run, param))
        return;
    displayImage(optId == IMG_OPT_CROP);
}

void MainWindow::undo()
{
    if (!m_image.undo())
        return;
    displayImage(false);
}

void MainWindow::redo()
{
    if (!m_image.redo())
        return;
    displayImage(false);
}

void MainWindow::save()
{
    m_image.save();
    showImageInfo();
}

void MainWindow::previousPage()
{
    const int row = PageNavigator::previousRow(ui->tb_file->currentIndex().row(),
                                               m_browser->fileModel()->rowCount());
    if (row >= 0)
        ui->tb_file->setCurrentIndex(m_browser->fileModel()->index(row, 1));
}

void MainWindow::nextPage()
{
    const int row = PageNavigator::nextRow(ui->tb_file->currentIndex().row(),
                                           m_browser->fileModel()->rowCount());
    if (row >= 0) {
        ui->tb_file->setCurrentIndex(m_browser->fileModel()->index(row, 1));
        return;
    }
    const QModelIndex next = PageNavigator::nextFolder(ui->tv_folder->currentIndex());
    if (!next.isValid())
        return;
    const QFileSystemModel* folders = m_browser->folderModel();
    qDebug().noquote() << "next dir" << folders->filePath(next) << folders->fileName(next);
    ui->tv_folder->setCurrentIndex(next);
}

void MainWindow::undoFolder()
{
    if (showQuestion(
            QStringLiteral("提示"),
            QStringLiteral("一键撤销将撤销当前文件夹下所有影像文件的修改，是否继续执行")) !=
        QMessageBox::Ok)
        return;
    BackgroundTask::run(this, [this](TaskContext& task) {
        m_image.restoreOriginals([&task](const QString& name) { task.progress(name); });
    });
    // The originals are on disk now: drop the edited pixels, so leaving the page
    // cannot write them back over the original. The undo lists stay, so the
    // operator can still step back to an edit.
    m_image.close();
    const QModelIndex current = ui->tb_file->currentIndex();
    on_tb_file_row_changed(current, current);
}

void MainWindow::clearHistories()
{
    m_image.clearHistory();
}

QRect MainWindow::titleBarRect() const
{
    return QRect(ui->widget_top->mapTo(this, QPoint(0, 0)), ui->widget_top->size());
}

void MainWindow::toggleMaximised()
{
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_drag.press(event->globalPos(), frameGeometry().topLeft(), titleBarRect());
    QMainWindow::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint delta = m_drag.move(event->globalPos(), isMaximized());
    if (!delta.isNull())
        move(pos() + delta);
    QMainWindow::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_drag.release();
    QMainWindow::mouseReleaseEvent(event);
}

void MainWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton &&
        TitleBarDrag::onTitleBar(event->globalPos(), frameGeometry().topLeft(), titleBarRect()))
        toggleMaximised();
    QMainWindow::mouseDoubleClickEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Quality-check edits live only in memory until they are exported.
    if (!m_qc->mayDiscardEdits()) {
        event->ignore();
        return;
    }
    // Quitting leaves the page too: in the save-on-turn mode its edits are kept.
    m_image.leave();
    QMainWindow::closeEvent(event);
}

#ifdef Q_OS_WIN
bool MainWindow::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    // While a scan waits, the source's messages come through this window.
    if (m_scanner && m_scanner->offerNativeMessage(message))
        return false;
    return QMainWindow::nativeEvent(eventType, message, result);
}
#endif

void MainWindow::on_btn_hide_clicked()
{
    showMinimized();
}

void MainWindow::on_btn_max_clicked()
{
    toggleMaximised();
}

void MainWindow::on_btn_close_clicked()
{
    if (showQuestion(QStringLiteral("提示"), QStringLiteral("确认要退出系统吗？")) ==
        QMessageBox::Ok)
        close();
}

void MainWindow::toggleShortcutDock()
{
    const bool show = ui->dockWidget->isHidden();
    ui->dockWidget->setVisible(show);
    ui->action_view_shortcut->setChecked(show);
}

void MainWindow::setUpToolbar()
{
    ToolbarCommands::Hooks hooks;
    hooks.window = this;
    hooks.image = &m_image;
    hooks.scene = m_scene;
    hooks.view = m_view;
    hooks.clipboard = &m_clipboard;
    hooks.execute = [this](int optId, bool run, const QVariant& param) {
        executeOperation(optId, run, param);
    };
    // From disk after something else wrote the page; a page whose changes did
    // not reach the disk is only redrawn, since reading it would drop them.
    hooks.reopen = [this]() {
        if (m_image.hasUnsavedChanges())
            displayImage(false);
        else
            openFile(m_image.file());
    };
    hooks.fileList = [this]() {
        QStringList paths;
        const FileTableModel* files = m_browser->fileModel();
        for (int row = 0; row < files->rowCount(); ++row) {
            const stFileModelInfo record = files->fileInfo(row);
            paths << QStringLiteral("%1/%2").arg(record.dirPath, record.fileName);
        }
        return paths;
    };
    m_commands = new ToolbarCommands(hooks, ShortcutConfig::table(), this);

    // The quick-action row works without a page ("显示页边距" says so); the
    // image toolbar and the confirmation row sit in the host enabled with a page.
    ImageToolbar* bar = m_commands->toolbar();
    QVBoxLayout* centre = ui->verticalLayout_center;
    centre->insertWidget(centre->indexOf(m_toolRows), bar->quickRow());
    m_toolRows->layout()->addWidget(bar->toolBar());
    m_toolRows->layout()->addWidget(bar->confirmRow());
    connect(bar, &ImageToolbar::saveRequested, this, &MainWindow::save);
    connect(bar, &ImageToolbar::undoFolderRequested, this, &MainWindow::undoFolder);
    connect(bar, &ImageToolbar::undoRequested, this, &MainWindow::undo);
    connect(bar, &ImageToolbar::redoRequested, this, &MainWindow::redo);
    connect(bar, &ImageToolbar::previousPageRequested, this, &MainWindow::previousPage);
    connect(bar, &ImageToolbar::nextPageRequested, this, &MainWindow::nextPage);
    connect(m_view, &GraphicsView::roiFinished, this, &MainWindow::on_roiFinished);
}

void MainWindow::setUpShortcutPanel()
{
    // After the scan buttons: the panel lists every registered entry.
    m_shortcutPanel =
        new ShortcutkeykeysSettingsDlg(registeredEntries(), ui->dockWidgetContents_shortcut);
    ui->verticalLayout_4->addWidget(m_shortcutPanel);
    const QString setAside = ShortcutConfig::takeSetAsideFile();
    if (!setAside.isEmpty())
        showToast(
            QStringLiteral("快捷键配置文件有误，已恢复默认快捷键，原文件另存为：%1").arg(setAside),
            QColor(QStringLiteral("#FF0000")), QColor(QStringLiteral("#FFFFFF")));
}

const QList<QObject*>& MainWindow::registeredEntries() const
{
    return m_commands->toolbar()->registeredEntries();
}

void MainWindow::on_roiFinished(const QPoint& first, const QPoint& second)
{
    m_commands->gestures()->onRoiFinished(first, second);
}

void MainWindow::setUpBatchPanel()
{
    BatchPanel::Hooks hooks;
    hooks.window = this;
    hooks.view = ui->tb_action;
    hooks.stopButton = ui->btn_batch_process_cancel;
    hooks.commands = m_commands;
    hooks.image = &m_image;
    hooks.scene = m_scene;
    hooks.allFiles = [this]() { return m_browser->fileModel()->filePaths(); };
    hooks.checkedFiles = [this]() {
        QStringList paths;
        for (const stFileModelInfo& record : m_browser->fileModel()->checkedFiles())
            paths << record.fullPath();
        return paths;
    };
    hooks.ask = [](const QString& title, const QString& text) {
        return showQuestion(title, text) == QMessageBox::Ok;
    };
    hooks.report = [](const BatchSummary& summary) {
        if (summary.allSucceeded())
            showToast(BatchReport::text(summary), QColor(QStringLiteral("#0000FF")),
                      QColor(QStringLiteral("#FFFFFF")));
        else
            showMessage(QStringLiteral("提示"), BatchReport::text(summary), QMessageBox::Warning);
    };
    hooks.reopen = [this]() {
        // Neighbours decoded before the run hold the old pixels.
        m_prefetch.clear();
        const QModelIndex current = ui->tb_file->currentIndex();
        if (current.isValid())
            on_tb_file_row_changed(current, current);
        else
            showNoImage();
    };
    m_batch = new BatchPanel(hooks, this);
}

void MainWindow::on_tb_action_clicked(const QModelIndex& index)
{
    m_batch->actionClicked(index);
}

void MainWindow::on_btn_batch_process_clicked()
{
    m_batch->runAll();
}

void MainWindow::on_btn_batch_process_checked_clicked()
{
    m_batch->runChecked();
}

void MainWindow::setUpScanPanel()
{
    ScanPanel::Hooks hooks;
    ScanPanel::Widgets& w = hooks.widgets;
    w.device = ui->combox_device;
    w.deviceType = ui->combox_dev_type;
    w.sides = ui->combox_scan_mode;
    w.paperSize = ui->combox_paper_size;
    w.colour = ui->combox_img_color;
    w.resolution = ui->combox_img_dpi;
    w.orientation = ui->combox_paper_dir;
    w.fileFormat = ui->combox_file_suffix;
    w.compression = ui->combox_file_compression;
    w.quality = ui->combox_quality;
    w.showUi = ui->checkBox_showUi;
    w.ignoreBlankPage = ui->checkBox_ignoreBlankPage;
    w.prefix = ui->edit_code_prefix;
    w.suffix = ui->edit_code_suffix;
    w.nextCode = ui->spinbox_code_next;
    w.codeLength = ui->spinbox_code_len;
    w.scan = ui->btn_scan;
    w.insert = ui->btn_scan_insert;
    w.replace = ui->btn_scan_replace;
    w.preview = ui->btn_scan_preview;
    hooks.session = m_scanner;
    hooks.image = &m_image;
    hooks.files = m_browser->fileModel();
    hooks.folder = [this]() { return m_browser->currentFolder(); };
    hooks.currentFile = [this]() {
        const QModelIndex current = ui->tb_file->currentIndex();
        return current.isValid() ? m_browser->fileModel()->fileInfo(current.row()).fileName
                                 : QString();
    };
    hooks.showFolder = [this](const QString& path) { showScannedFolder(path); };
    hooks.inform = [](const QString& title, const QString& text) { showMessage(title, text); };
    hooks.ask = [](const QString& title, const QString& text) {
        return showQuestion(title, text) == QMessageBox::Ok;
    };
    hooks.notify = [](const QString& text) {
        showToast(text, QColor(QStringLiteral("#0000FF")), QColor(QStringLiteral("#FFFFFF")));
    };
    hooks.progress = [this](const QString& text) { statusBar()->showMessage(text, 5000); };
    hooks.recoveryRoot = []() { return scanRecoveryRoot(); };
    hooks.isBlankPage = [](const QString& path) {
        return isBlankPage(path, kDefaultBlankInkRatio, nullptr);
    };
    m_scan = new ScanPanel(hooks, this);
    m_scan->registerButtons(m_commands->toolbar());
}

void MainWindow::showScannedFolder(const QString& path)
{
    FileTableModel* files = m_browser->fileModel();
    files->loadDir(m_browser->currentFolder());
    ui->lb_page_cnt->setText(QString::number(files->rowCount()));
    ui->spinbox_code_next->setValue(files->maxTrailingNumber() + 1);
    const QStringList paths = files->filePaths();
    const int row = paths.indexOf(path);
    if (row >= 0) {
        ui->tb_file->setCurrentIndex(files->index(row, 1));
        return;
    }
    // The open page stays open; only its row is found again.
    const int open = paths.indexOf(m_image.file());
    if (open < 0)
        return;
    m_reselecting = true;
    ui->tb_file->setCurrentIndex(files->index(open, 1));
    m_reselecting = false;
}

void MainWindow::on_btn_scan_clicked()
{
    m_scan->start(ScanPlacement::Append);
}

void MainWindow::on_btn_scan_insert_clicked()
{
    m_scan->start(ScanPlacement::Insert);
}

void MainWindow::on_btn_scan_replace_clicked()
{
    m_scan->start(ScanPlacement::Replace);
}

void MainWindow::on_btn_scan_preview_clicked()
{
    m_scan->previewOrStop();
}

void MainWindow::setUpSplitTab()
{
    SplitTabImport::Widgets w;
    w.window = this;
    w.path = ui->edit_fj_excelpath;
    w.sheet = ui->combox_fj_sheet;
    w.archiveNo = ui->spinBox_fj_archiveNo;
    w.pageNo = ui->spinBox_fj_pageNo;
    w.pageCount = ui->spinBox_fj_pageCount;
    w.startRow = ui->spinBox_fj_startRow;
    m_splitTab = new SplitTabImport(w, this);

    SplitTabRun::Widgets run;
    run.window = this;
    run.path = ui->edit_fj_excelpath;
    run.sheet = ui->combox_fj_sheet;
    run.archiveNo = ui->spinBox_fj_archiveNo;
    run.pageNo = ui->spinBox_fj_pageNo;
    run.pageCount = ui->spinBox_fj_pageCount;
    run.startRow = ui->spinBox_fj_startRow;
    run.rename = ui->checkBox_fj_rename;
    run.undo = ui->btn_fj_undo;
    SplitTabRun::Hooks hooks;
    hooks.folder = [this]() { return m_browser->currentFolder(); };
    hooks.sources = [this]() { return m_browser->fileModel()->filePaths(); };
    hooks.closePage = [this]() { releaseOpenPage(); };
    hooks.reload = [this]() { on_btn_folder_refresh_clicked(); };
    m_splitRun = new SplitTabRun(run, hooks, this);
}

void MainWindow::on_btn_fj_import_excel_clicked()
{
    m_splitTab->importWorkbook();
}

void MainWindow::setUpPreview()
{
    m_preview = new ImageViewDlg(ui->splitter_main);
    ui->splitter_main->insertWidget(ui->splitter_main->indexOf(ui->widget_center) + 1, m_preview);
    ui->splitter_main->setStretchFactor(ui->splitter_main->indexOf(m_preview), 1);
    m_preview->hide();
    ui->btn_file_view->setCheckable(true);
    connect(ui->btn_file_view, &QAbstractButton::toggled, this, &MainWindow::showPreview);
    connect(m_preview, &ImageViewDlg::openRequested, this, &MainWindow::openFromPreview);
    // The list still holds the pages the sheet deleted: it is the order before.
    connect(m_preview, &ImageViewDlg::pagesDeleted, this, [this](const QStringList& paths) {
        afterPagesDeleted(paths, m_browser->fileModel()->filePaths(), true);
    });
}

void MainWindow::showPreview(bool on)
{
    ui->widget_center->setVisible(!on);
    ui->widget_right->setVisible(!on);
    m_preview->setVisible(on);
    if (!on)
        return;
    m_preview->setOpenFile(m_image.file());
    m_preview->showFolder(currentFolder());
}

void MainWindow::openFromPreview(const QString& path)
{
    const int row = m_browser->fileModel()->filePaths().indexOf(path);
    if (row < 0)
        return;
    ui->btn_file_view->setChecked(false);
    ui->tb_file->setCurrentIndex(m_browser->fileModel()->index(row, 1));
}

void MainWindow::afterPagesDeleted(const QStringList& paths, const QStringList& before, bool reload)
{
    FileTableModel* files = m_browser->fileModel();
    const QString open = m_image.file();
    // A page that is gone must not be written back when the list moves on.
    const bool openGone = paths.contains(open);
    if (openGone)
        m_image.close();
    m_image.forget(paths);
    m_prefetch.clear();
    if (reload)
        files->loadDir(currentFolder());
    ui->lb_page_cnt->setText(QString::number(files->rowCount()));
    ui->spinbox_code_next->setValue(files->maxTrailingNumber() + 1);
    const QStringList now = files->filePaths();
    if (!openGone) {
        // The open page stays open, edits and all; only its row is found again.
        const int row = now.indexOf(open);
        if (row < 0)
            return;
        m_reselecting = true;
        ui->tb_file->setCurrentIndex(files->index(row, 1));
        m_reselecting = false;
        return;
    }
    // The page after the deleted one, else the one before it.
    const int was = before.indexOf(open);
    int next = -1;
    for (int i = was + 1; i < before.size() && next < 0; ++i)
        next = now.indexOf(before.at(i));
    for (int i = was - 1; i >= 0 && next < 0; --i)
        next = now.indexOf(before.at(i));
    if (next >= 0) {
        ui->tb_file->setCurrentIndex(files->index(next, 1));
    } else {
        ui->tb_file->setCurrentIndex(QModelIndex());
        showNoImage();
    }
}

void MainWindow::setUpFolderCommands()
{
    auto* menu = new QMenu(ui->btn_folder_new);
    QAction* batch = menu->addAction(QIcon(QStringLiteral(":/images/folder_add.png")),
                                     QStringLiteral("批量添加文件夹"));
    batch->setObjectName(QStringLiteral("action_folder_batch_new"));
    ui->btn_folder_new->setMenu(menu);
    ui->btn_folder_new->setPopupMode(QToolButton::MenuButtonPopup);

    FolderCommands::Hooks hooks;
    hooks.window = this;
    hooks.browser = m_browser;
    hooks.currentIndex = [this] { return ui->tv_folder->currentIndex(); };
    hooks.rootPath = [this] {
        return m_browser->folderModel()->filePath(ui->tv_folder->rootIndex());
    };
    hooks.ask = [](const QString& title, const QString& text) {
        return showQuestion(title, text) == QMessageBox::Ok;
    };
    hooks.askText = [](const QString& title, const QString& label, const QString& text) {
        return getText(title, label, text);
    };
    hooks.chooseDirectory = [this] {
        QFileDialog dialog(this);
        dialog.setLocale(QLocale(QLocale::Chinese, QLocale::China));
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    };
    hooks.askPermanent = askPermanentDelete;
    hooks.notifyError = [](const QString& text) {
        showToast(text, QColor(QStringLiteral("#FF0000")), QColor(QStringLiteral("#FFFFFF")));
    };
    hooks.notify = [](const QString& text) {
        showToast(text, QColor(QStringLiteral("#0000FF")), QColor(QStringLiteral("#FFFFFF")));
    };
    hooks.releasePagesUnder = [this](const QString& path) {
        const QString prefix = QDir::cleanPath(path) + QLatin1Char('/');
        if (m_image.file().startsWith(prefix) || (currentFolder() + '/').startsWith(prefix))
            releaseOpenPage();
        // Its pages go; a page that later takes one of their paths starts afresh.
        m_image.forgetUnder(path);
    };
    hooks.selectFolder = [this](const QString& path) {
        const QModelIndex index =
            path.isEmpty() ? QModelIndex() : m_browser->folderModel()->index(path);
        if (index.isValid()) {
            ui->tv_folder->setCurrentIndex(index);
            return;
        }
        ui->tv_folder->setCurrentIndex(QModelIndex());
        m_browser->fileModel()->clear();
        ui->lb_page_cnt->setText(QStringLiteral("0"));
    };
    hooks.setRoot = [this](const QString& path) { setRootPath(path); };
    hooks.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    m_folderCommands = new FolderCommands(hooks, this);
    connect(batch, &QAction::triggered, m_folderCommands, &FolderCommands::createFolders);
}

void MainWindow::setRootPath(const QString& path)
{
    releaseOpenPage();
    m_browser->fileModel()->clear();
    ui->lb_page_cnt->setText(QStringLiteral("0"));
    ui->tv_folder->setCurrentIndex(QModelIndex());
    const QModelIndex root = m_browser->rootIndex(path);
    ui->tv_folder->setRootIndex(root);
    SettingsStore::setSettingValue(SettingsStore::kRootPath, path);
    clearHistories();
    // Its first folder opens once the tree has listed it, as at start.
    QFileSystemModel* folders = m_browser->folderModel();
    if (!folders->canFetchMore(root)) {
        QTimer::singleShot(0, this, &MainWindow::selectFirstFolder);
        return;
    }
    auto* once = new QObject(this);
    const QString listed = folders->filePath(root);
    connect(folders, &QFileSystemModel::directoryLoaded, once,
            [this, once, listed](const QString& p) {
                if (p != listed)
                    return;
                once->deleteLater();
                QTimer::singleShot(0, this, &MainWindow::selectFirstFolder);
            });
    folders->fetchMore(root);
}

void MainWindow::setUpFileCommands()
{
    FileListCommands::Hooks hooks;
    hooks.files = m_browser->fileModel();
    hooks.currentRow = [this] { return ui->tb_file->currentIndex().row(); };
    // The page's name, whichever cell of its row is current.
    hooks.currentText = [this] {
        return m_browser->fileModel()->fileInfo(ui->tb_file->currentIndex().row()).fileName;
    };
    hooks.ask = [](const QString& title, const QString& text) {
        return showQuestion(title, text) == QMessageBox::Ok;
    };
    hooks.askSequence = [](const QString& title, const QString& pattern) {
        return getValidatedText(title, pattern);
    };
    hooks.notifyError = [](const QString& text) {
        showToast(text, QColor(QStringLiteral("#FF0000")), QColor(QStringLiteral("#FFFFFF")));
    };
    hooks.notify = [](const QString& text) {
        showToast(text, QColor(QStringLiteral("#0000FF")), QColor(QStringLiteral("#FFFFFF")));
    };
    hooks.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    // The open page is written as a page turn would, so the trash keeps it as
    // the operator last saw it and 撤销删除 brings that back.
    hooks.aboutToDelete = [this](const QStringList& paths) {
        if (paths.contains(m_image.file()))
            m_image.leave();
    };
    hooks.deleted = [this](const QStringList& paths, const QStringList& before, bool reload) {
        afterPagesDeleted(paths, before, reload);
        if (m_preview->isVisible())
            m_preview->loadFolder(currentFolder(), m_preview->sortIndex());
    };
    hooks.restored = [this](const QStringList&) {
        const QStringList before = m_browser->fileModel()->filePaths();
        afterPagesDeleted({}, before, true);
        if (m_preview->isVisible())
            m_preview->loadFolder(currentFolder(), m_preview->sortIndex());
    };
    m_fileCommands = new FileListCommands(hooks, this);
    m_browser->fileModel()->setAskPermanent(askPermanentDelete);
    connect(ui->tb_file, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = m_fileCommands->contextMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(ui->tb_file->viewport()->mapToGlobal(at));
    });
}

void MainWindow::on_btn_folder_new_clicked()
{
    m_folderCommands->newFolder();
}

void MainWindow::on_btn_folder_del_clicked()
{
    m_folderCommands->deleteFolder();
}

void MainWindow::on_btn_rootpath_clicked()
{
    m_folderCommands->setDataDirectory();
}

void MainWindow::on_btn_folder_open_clicked()
{
    m_folderCommands->openFolder();
}

void MainWindow::on_btn_file_del_clicked()
{
    m_fileCommands->deleteChecked(true);
}

void MainWindow::on_btn_fj_pagecount_clicked()
{
    m_splitRun->run(SplitMode::PageCount);
}

void MainWindow::on_btn_fj_pageno_clicked()
{
    m_splitRun->run(SplitMode::PageNumber);
}

void MainWindow::on_btn_fj_undo_clicked()
{
    m_splitRun->undo();
}

void MainWindow::on_action_view_fj_toggled(bool shown)
{
    const int index = ui->widget_right->indexOf(ui->tab_fj);
    if (shown && index < 0)
        ui->widget_right->setCurrentIndex(
            ui->widget_right->addTab(ui->tab_fj, QStringLiteral("  分件")));
    else if (!shown && index >= 0)
        ui->widget_right->removeTab(index);
}

void MainWindow::on_action_fj_triggered()
{
    SplitToolDlg dialog(this);
    dialog.exec();
}

void MainWindow::setUpQcTab()
{
    QcPanel::Widgets w;
    w.window = this;
    w.scroll = ui->scrollArea_entry;
    w.grid = ui->gridLayout_entry;
    w.messages = ui->btn_qc_msg;
    m_qc = new QcPanel(w, this);
    ui->scrollArea_entry->setEnabled(false);
    // The mode button is for archive offices only; the tools menu brings it out.
    auto* entry = ui->menu_tool->addAction(QStringLiteral("质检模式"));
    entry->setObjectName(QStringLiteral("action_qc_mode"));
    entry->setCheckable(true);
    connect(entry, &QAction::toggled, this, [this](bool on) {
        ui->btn_mode_qc->setVisible(on);
        if (!on && ui->btn_mode_qc->isChecked()) {
            ui->btn_mode_qc->setChecked(false);
            on_btn_mode_qc_clicked(false);
        }
    });
}

void MainWindow::on_btn_mode_qc_clicked(bool checked)
{
    QTabWidget* tabs = ui->widget_right;
    if (!checked) {
        tabs->removeTab(tabs->indexOf(ui->tab_entry));
        tabs->setCurrentWidget(ui->tab_sanner);
        return;
    }
    if (!on_btn_qc_import_clicked()) {
        ui->btn_mode_qc->setChecked(false);
        ui->scrollArea_entry->setEnabled(false);
        return;
    }
    if (tabs->indexOf(ui->tab_entry) < 0)
        tabs->addTab(ui->tab_entry, QStringLiteral("质检"));
    tabs->setCurrentWidget(ui->tab_entry);
}

bool MainWindow::on_btn_qc_import_clicked()
{
    if (!m_qc->importEntries())
        return false;
    const QModelIndex folder = m_browser->folderModel()->index(m_qc->dataDir());
    if (folder.isValid())
        ui->tv_folder->setCurrentIndex(folder);
    showEntryInfo();
    return true;
}

void MainWindow::on_btn_qc_export_clicked()
{
    m_qc->exportEntries();
}

void MainWindow::showEntryInfo()
{
    m_qc->showEntryInfo(currentFolder());
}
