#include "ScanPanel.h"

#include "CurrentImage.h"
#include "FileTableModel.h"
#include "ImageToolbar.h"
#include "PendingEdits.h"
#include "ScanChoices.h"
#include "ScanRecovery.h"
#include "ScanSession.h"
#include "SettingsStore.h"
#include "StartupPreparation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

const QString kDevice = QStringLiteral("scanner/device");
const QString kShowUi = QStringLiteral("scanner/showui");
const QString kIgnoreBlank = QStringLiteral("scanner/ignoreblank");
const QString kPrefix = QStringLiteral("scanner/prefix");
const QString kSuffix = QStringLiteral("scanner/suffix");
const QString kCodeLength = QStringLiteral("scanner/codelength");

// Shortcut command numbers of the four buttons, after the toolbar's own commands.
constexpr int kScanCommandBase = 94;

struct ModeTexts
{
    const char* slot;
    const char* started;
};

ModeTexts textsOf(int mode)
{
    switch (mode) {
    case ScanPlacement::Insert:
        return {"MainWindow::on_btn_scan_insert_clicked", "启动扫描程序成功：插扫"};
    case ScanPlacement::Replace:
        return {"MainWindow::on_btn_scan_replace_clicked", "启动扫描程序成功：替扫"};
    case ScanPlacement::Preview:
        return {"MainWindow::on_btn_scan_preview_clicked", "启动扫描程序成功：预扫"};
    default:
        return {"MainWindow::on_btn_scan_clicked", "成功启动扫描程序：追加扫描"};
    }
}

void fill(QComboBox* box, const QVector<ScanChoices::Choice>& choices)
{
    box->clear();
    for (const ScanChoices::Choice& choice : choices)
        box->addItem(choice.text, choice.value);
}

int valueOf(const QComboBox* box)
{
    return box->currentData().toInt();
}

QString key(const QComboBox* box)
{
    return QStringLiteral("scanner/") + box->objectName();
}

void selectText(QComboBox* box, const QString& text)
{
    const int index = box->findText(text);
    if (index >= 0)
        box->setCurrentIndex(index);
}

} // namespace

ScanPanel::ScanPanel(const Hooks& hooks, QObject* parent) : QObject(parent), m_hooks(hooks)
{
    const Widgets& w = m_hooks.widgets;
    m_previewText = w.preview->text();
    fillChoices();
    restoreChoices();
    // Each choice holds from now on and for the next start.
    for (QComboBox* box : {w.deviceType, w.sides, w.paperSize, w.colour, w.resolution,
                           w.orientation, w.fileFormat, w.compression, w.quality}) {
        connect(box, &QComboBox::currentTextChanged, this,
                [box](const QString& text) { SettingsStore::setSettingValue(key(box), text); });
    }
    connect(w.colour, &QComboBox::currentTextChanged, this, [this] { applyColourRule(); });
    connect(w.device, QOverload<int>::of(&QComboBox::activated), this, [this] {
        if (m_hooks.widgets.device->currentData().isValid())
            SettingsStore::setSettingValue(kDevice, m_hooks.widgets.device->currentText());
    });
    connect(w.showUi, &QCheckBox::toggled, this,
            [](bool on) { SettingsStore::setSettingValue(kShowUi, on); });
    connect(w.ignoreBlankPage, &QCheckBox::toggled, this,
            [](bool on) { SettingsStore::setSettingValue(kIgnoreBlank, on); });

    if (ScanSession* session = m_hooks.session) {
        connect(session, &ScanSession::sourcesListed, this, &ScanPanel::onSourcesListed);
        connect(session, &ScanSession::managerMissing, this, [this] { m_managerMissing = true; });
        connect(session, &ScanSession::pageArrived, this, &ScanPanel::onPage);
        connect(session, &ScanSession::scanFinished, this, &ScanPanel::onFinished);
        // The session may have finished listing before the connections above.
        m_managerMissing = session->isManagerMissing();
        QStringList names;
        for (const TW_IDENTITY& source : session->sources())
            names << QString::fromUtf8(source.ProductName);
        onSourcesListed(names);
    }
}

void ScanPanel::fillChoices()
{
    const Widgets& w = m_hooks.widgets;
    const QSignalBlocker colourBlock(w.colour);
    w.device->clear();
    w.device->addItem(QStringLiteral("没有可用的扫描仪"));
    fill(w.deviceType, ScanChoices::deviceTypes());
    fill(w.sides, ScanChoices::sides());
    fill(w.paperSize, ScanChoices::paperSizes());
    fill(w.colour, ScanChoices::colours());
    fill(w.resolution, ScanChoices::resolutions());
    fill(w.orientation, ScanChoices::orientations());
    fill(w.fileFormat, ScanChoices::fileFormats());
    fill(w.compression, ScanChoices::compressions());
    fill(w.quality, ScanChoices::qualities());
    selectText(w.resolution, ScanChoices::initialResolution());
    selectText(w.orientation, ScanChoices::initialOrientation());
    selectText(w.quality, ScanChoices::initialQuality());
    w.showUi->setEnabled(true);
    w.showUi->setChecked(false);
    w.ignoreBlankPage->setEnabled(true);
    w.ignoreBlankPage->setChecked(false);
    w.ignoreBlankPage->setToolTip(QStringLiteral("扫描后不保存空白页"));
}

void ScanPanel::restoreChoices()
{
    const Widgets& w = m_hooks.widgets;
    // The colour first: its rule sets the file format, which a stored format
    // may then override where the colour allows a choice.
    for (QComboBox* box : {w.deviceType, w.sides, w.paperSize, w.colour, w.resolution,
                           w.orientation, w.compression, w.quality}) {
        const QVariant stored = SettingsStore::settingValue(key(box));
        if (stored.isValid())
            selectText(box, stored.toString());
    }
    applyColourRule();
    const QVariant format = SettingsStore::settingValue(key(w.fileFormat));
    if (format.isValid() && w.fileFormat->isEnabled())
        selectText(w.fileFormat, format.toString());
    w.showUi->setChecked(SettingsStore::settingValue(kShowUi).toBool());
    w.ignoreBlankPage->setChecked(SettingsStore::settingValue(kIgnoreBlank).toBool());
    w.prefix->setText(SettingsStore::settingValue(kPrefix).toString());
    w.suffix->setText(SettingsStore::settingValue(kSuffix).toString());
    const QVariant length = SettingsStore::settingValue(kCodeLength);
    if (length.isValid())
        w.codeLength->setValue(length.toInt());
}

void ScanPanel::storeChoices() const
{
    const Widgets& w = m_hooks.widgets;
    SettingsStore::setSettingValues({{kPrefix, w.prefix->text()},
                                     {kSuffix, w.suffix->text()},
                                     {kCodeLength, w.codeLength->value()}});
}

void ScanPanel::applyColourRule()
{
    const Widgets& w = m_hooks.widgets;
    // Black and white pages are bitmaps; colour and grey start as JPEG.
    const bool blackWhite = valueOf(w.colour) == TWPT_BW;
    selectText(w.fileFormat, blackWhite ? QStringLiteral(".bmp") : QStringLiteral(".jpg"));
    w.fileFormat->setEnabled(!blackWhite);
}

void ScanPanel::onSourcesListed(const QStringList& names)
{
    QComboBox* device = m_hooks.widgets.device;
    if (names.isEmpty())
        return;
    device->clear();
    for (int i = 0; i < names.size(); ++i)
        device->addItem(names.at(i), i);
    // The scanner used last, when it is still there.
    selectText(device, SettingsStore::settingValue(kDevice).toString());
}

void ScanPanel::registerButtons(ImageToolbar* toolbar)
{
    const Widgets& w = m_hooks.widgets;
    int command = kScanCommandBase;
    for (QPushButton* button : {w.scan, w.insert, w.replace, w.preview})
        toolbar->registerEntry(button, button->text(), command++);
}

void ScanPanel::fillNamingFrom(const QString& fileName)
{
    if (fileName.isEmpty())
        return;
    const ScanNaming naming = ScanNaming::fromFileName(fileName, namingFromPanel());
    const Widgets& w = m_hooks.widgets;
    w.prefix->setText(naming.prefix);
    w.suffix->setText(naming.suffix);
    w.codeLength->setValue(naming.codeLength);
}

ScanNaming ScanPanel::namingFromPanel() const
{
    const Widgets& w = m_hooks.widgets;
    ScanNaming naming;
    naming.prefix = w.prefix->text();
    naming.suffix = w.suffix->text();
    naming.nextCode = w.nextCode->value();
    naming.codeLength = w.codeLength->value();
    naming.extension = w.fileFormat->currentText();
    return naming;
}

stScanJob ScanPanel::jobFromPanel() const
{
    const Widgets& w = m_hooks.widgets;
    stScanJob job;
    // No data: no scanner was listed; the session then finds none to open.
    job.deviceIndex = w.device->currentData().isValid() ? valueOf(w.device) : 0;
    job.feeder = valueOf(w.deviceType);
    job.duplex = valueOf(w.sides);
    job.paperSize = valueOf(w.paperSize);
    job.pixelType = valueOf(w.colour);
    job.resolution = valueOf(w.resolution);
    job.orientation = valueOf(w.orientation);
    job.fileFormat = valueOf(w.fileFormat);
    job.compression = valueOf(w.compression);
    job.jpegQuality = valueOf(w.quality);
    job.showUi = w.showUi->isChecked();
    const ScanNaming naming = namingFromPanel();
    job.naming.prefix = naming.prefix;
    job.naming.suffix = naming.suffix;
    job.naming.nextCode = naming.nextCode;
    job.naming.codeLength = naming.codeLength;
    job.naming.extension = naming.extension;
    job.naming.directory.clear(); // the private temporary folder
    return job;
}

void ScanPanel::previewOrStop()
{
    if (m_running)
        stop();
    else
        start(ScanPlacement::Preview);
}

void ScanPanel::stop()
{
    qInfo() << "scan stop requested";
    if (m_hooks.session)
        m_hooks.session->stopFeeder();
}

bool ScanPanel::start(int mode)
{
    const ModeTexts texts = textsOf(mode);
    qInfo().noquote() << texts.slot;
    const QString title = QStringLiteral("提示");
    if (m_managerMissing || !m_hooks.session) {
        m_hooks.inform(title, QStringLiteral("加载扫描仪驱动失败：TWAINDSM.DLL"));
        return false;
    }
    if (m_running || m_hooks.session->isBusy()) {
        m_hooks.inform(title, QStringLiteral("扫描正在进行，请稍候"));
        return false;
    }
    const QString folder = m_hooks.folder ? m_hooks.folder() : QString();
    const ScanNaming naming = namingFromPanel();
    // A preview names its pages in the temporary folder only.
    const QString why = naming.validate(mode == ScanPlacement::Preview ? scanWorkDir() : folder);
    if (!why.isEmpty()) {
        m_hooks.inform(title, why);
        return false;
    }
    // Insert and replace rename pages: an open page's edits reach its own file
    // first, and in the manual mode the operator decides.
    if ((mode == ScanPlacement::Insert || mode == ScanPlacement::Replace) &&
        !PendingEdits::settle(*m_hooks.image, m_hooks.ask))
        return false;
    if (!prepareTemporaryFolder()) {
        m_hooks.inform(title, QStringLiteral("无法清空临时扫描目录：%1").arg(scanWorkDir()));
        return false;
    }

    m_job = ScanPlacement::Job();
    m_job.mode = mode;
    m_job.folder = folder;
    m_job.currentFile = m_hooks.currentFile ? m_hooks.currentFile() : QString();
    m_job.naming = naming;
    m_job.recoveryRoot = m_hooks.recoveryRoot();
    m_pagesScanned = 0;
    m_blankSkipped = 0;
    m_blankFolder.clear();
    stScanJob job = jobFromPanel();
    job.sourceOptions = m_sourceOptions;
    storeChoices();
    qInfo().noquote() << "scanner" << m_hooks.widgets.device->currentText();
    setRunning(true);
    m_hooks.session->startScan(job);
    qInfo().noquote() << texts.started;
    return true;
}

// Pages of an earlier scan still in the folder were never placed: they are
// kept in a recovery folder before the folder is emptied. Preview pages are
// left there on purpose and go.
bool ScanPanel::prepareTemporaryFolder()
{
    const QString temp = scanWorkDir();
    if (temp.isEmpty())
        return false;
    for (const QString& page : qAsConst(m_previewPages))
        QFile::remove(page);
    m_previewPages.clear();
    const QString rescued = ScanPlacement::rescueLeftovers(temp, m_hooks.recoveryRoot());
    if (!rescued.isEmpty() && m_hooks.notify)
        m_hooks.notify(QStringLiteral("上次扫描未放入目录的页已保存到：%1").arg(rescued));
    QDir dir(temp);
    bool emptied = true;
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const bool removed = entry.isDir() && !entry.isSymLink()
                                 ? QDir(entry.absoluteFilePath()).removeRecursively()
                                 : QFile::remove(entry.absoluteFilePath());
        emptied = emptied && removed;
    }
    return emptied;
}

void ScanPanel::setRunning(bool running)
{
    m_running = running;
    const Widgets& w = m_hooks.widgets;
    for (QPushButton* button : {w.scan, w.insert, w.replace})
        button->setEnabled(!running);
    w.preview->setText(running ? QStringLiteral("停止") : m_previewText);
}

void ScanPanel::onPage(const QString& path)
{
    if (!m_running)
        return;
    ++m_pagesScanned;
    if (m_hooks.progress)
        m_hooks.progress(QStringLiteral("已扫描%1页").arg(m_pagesScanned));
    // Appended pages appear as they come, so the operator can check them while
    // the feeder runs.
    if (m_job.mode == ScanPlacement::Append)
        place({path});
}

void ScanPanel::onFinished(const stScanResult& result)
{
    if (!m_running)
        return;
    qInfo().noquote() << "扫描文件列表如下：(" + result.paths.join(QStringLiteral(", ")) + ")";
    if (m_job.mode == ScanPlacement::Insert || m_job.mode == ScanPlacement::Replace)
        place(result.paths);
    else if (m_job.mode == ScanPlacement::Preview)
        m_previewPages = result.paths;
    setRunning(false);
    if (m_hooks.progress) {
        QString summary = QStringLiteral("扫描结束，共%1页").arg(result.paths.size());
        if (m_blankSkipped > 0)
            summary += QStringLiteral("，跳过空白页%1页，已保存到：%2").arg(m_blankSkipped).arg(m_blankFolder);
        m_hooks.progress(summary);
    }
    // Pages delivered before a failure are kept (placed) all the same.
    if (!result.ok && !result.message.isEmpty())
        m_hooks.inform(QStringLiteral("提示"), result.message);
    emit scanDone(result);
}

// Blank pages (backs of single-sided sheets) are not placed, but kept in a
// recovery folder: a page taken for blank by mistake is never lost.
QStringList ScanPanel::keptPages(const QStringList& pages)
{
    if (!m_hooks.widgets.ignoreBlankPage->isChecked() || !m_hooks.isBlankPage)
        return pages;
    QStringList kept;
    QStringList blank;
    for (const QString& page : pages)
        (m_hooks.isBlankPage(page) ? blank : kept) << page;
    if (blank.isEmpty())
        return kept;
    QStringList notMoved;
    const QString folder = ScanRecovery::save(blank, m_job.recoveryRoot, &notMoved);
    qInfo().noquote() << "blank pages skipped:" << blank.join(QStringLiteral(", ")) << "->"
                      << folder;
    m_blankSkipped += blank.size() - notMoved.size();
    if (!folder.isEmpty())
        m_blankFolder = folder;
    // A blank page that could not be moved away is placed like any other.
    return kept + notMoved;
}

void ScanPanel::place(const QStringList& scanned)
{
    ScanPlacement::Job job = m_job;
    job.pages = keptPages(scanned);
    if (job.pages.isEmpty())
        return;
    const ScanPlacement::Plan plan = ScanPlacement::plan(job);
    const QDir dir(job.folder);
    QStringList affected;
    for (const ScanPlacement::Rename& shift : plan.shifts)
        affected << dir.filePath(shift.from);
    for (const QString& old : plan.replaced)
        affected << dir.filePath(old);

    ScanPlacement placement;
    ScanPlacement::Result result;
    auto run = [&] {
        result = placement.place(job, plan);
        return result.oldToNew;
    };
    // The list shows the folder: its open page is left (its edits written)
    // before names change, and follows them afterwards.
    const bool shown = m_hooks.folder && m_hooks.folder() == job.folder;
    if (shown && m_hooks.files)
        m_hooks.files->applyExternalChange(job.folder, affected, run);
    else
        run();
    if (!plan.replaced.isEmpty() && result.ok && m_hooks.image)
        // Undo steps of a replaced page would write it over its successor.
        m_hooks.image->clearHistory();
    if (shown)
        m_hooks.showFolder(result.selectName.isEmpty() ? QString()
                                                       : dir.filePath(result.selectName));
    if (!result.ok)
        m_hooks.inform(QStringLiteral("提示"), result.message);
    else if (!result.message.isEmpty() && m_hooks.notify)
        m_hooks.notify(result.message);
}
