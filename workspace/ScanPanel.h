#pragma once

#include "ScanNaming.h"
#include "ScanPlacement.h"
#include "stScanJob.h"
#include "stScanResult.h"

#include <QObject>
#include <QStringList>
#include <functional>

class CurrentImage;
class FileTableModel;
class ImageToolbar;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class ScanSession;

// The scan tab of the main window: the scanner settings, the naming fields and
// the four scan commands. A scan always goes into the private temporary
// folder; its pages are then put into the folder open in the tree by
// ScanPlacement (append pages one by one as they come, insert and replace
// pages once the scan is over; preview pages stay where they are). The window
// supplies its widgets and the hooks below and forwards the clicks.
class ScanPanel : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QComboBox* device = nullptr;
        QComboBox* deviceType = nullptr;
        QComboBox* sides = nullptr;
        QComboBox* paperSize = nullptr;
        QComboBox* colour = nullptr;
        QComboBox* resolution = nullptr;
        QComboBox* orientation = nullptr;
        QComboBox* fileFormat = nullptr;
        QComboBox* compression = nullptr;
        QComboBox* quality = nullptr;
        QCheckBox* showUi = nullptr;
        QCheckBox* ignoreBlankPage = nullptr;
        QLineEdit* prefix = nullptr;
        QLineEdit* suffix = nullptr;
        QSpinBox* nextCode = nullptr;
        QSpinBox* codeLength = nullptr;
        QPushButton* scan = nullptr;
        QPushButton* insert = nullptr;
        QPushButton* replace = nullptr;
        QPushButton* preview = nullptr; // reads "停止" while a scan runs
    };

    struct Hooks
    {
        Widgets widgets;
        ScanSession* session = nullptr;
        CurrentImage* image = nullptr;
        FileTableModel* files = nullptr;
        std::function<QString()> folder;      // the tree's current folder; "" when none
        std::function<QString()> currentFile; // name of the list's current file; "" when none
        // Lists the folder anew and makes path current (shown); an empty path
        // keeps the open page current without reopening it.
        std::function<void(const QString& path)> showFolder;
        std::function<void(const QString& title, const QString& text)> inform; // a message box
        std::function<bool(const QString& title, const QString& text)> ask;    // yes/no
        std::function<void(const QString& text)> notify;                       // a passing note
        std::function<void(const QString& text)> progress;                     // status line
        // True when a page holds nothing worth keeping; without it no page is skipped.
        std::function<bool(const QString& path)> isBlankPage;
        // Where pages that cannot be placed (and skipped blank pages) are kept,
        // asked at each scan: the data directory can change meanwhile.
        std::function<QString()> recoveryRoot;
    };

    ScanPanel(const Hooks& hooks, QObject* parent = nullptr);

    // Gives the four buttons their shortcut properties and keys, by their texts.
    void registerButtons(ImageToolbar* toolbar);

    // The naming follows the file selected in the list.
    void fillNamingFrom(const QString& fileName);

    // The four commands (ScanPlacement::Mode). False when nothing started.
    bool start(int mode);
    // The preview button doubles as the stop button while a scan runs.
    void previewOrStop();
    void stop();
    bool isScanning() const { return m_running; }

    // The scan settings and naming as the panel shows them now.
    stScanJob jobFromPanel() const;
    ScanNaming namingFromPanel() const;

    // For checks: device options ("name=value") set before every later scan.
    void setSourceOptions(const QStringList& options) { m_sourceOptions = options; }

signals:
    // A scan ended and its pages were handled (placed, kept or recovered).
    void scanDone(const stScanResult& result);

private:
    void fillChoices();
    void restoreChoices();
    void storeChoices() const;
    void applyColourRule();
    void onSourcesListed(const QStringList& names);
    void onPage(const QString& path);
    void onFinished(const stScanResult& result);
    bool prepareTemporaryFolder();
    QStringList keptPages(const QStringList& pages);
    void place(const QStringList& pages);
    void setRunning(bool running);

    Hooks m_hooks;
    bool m_managerMissing = false;
    bool m_running = false;
    ScanPlacement::Job m_job; // captured when the scan started
    int m_pagesScanned = 0;
    int m_blankSkipped = 0;
    QString m_blankFolder; // the recovery folder of this scan's blank pages
    QStringList m_previewPages; // left in the temporary folder by the last preview
    QStringList m_sourceOptions;
    QString m_previewText;
};
