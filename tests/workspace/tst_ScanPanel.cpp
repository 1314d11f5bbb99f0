// The scan tab through the real window and SANE's test devices: the panel's
// set-up, append, insert under an edited page, preview, the refusals before a
// scan and a paper jam. Feeder batches are the scan session's tests.
#include "../app/ModalDriver.h"
#include "AppPaths.h"
#include "FileTableModel.h"
#include "NameUtils.h"
#include "OperationId.h"
#include "ScanPanel.h"
#include "StartupPreparation.h"
#include "WorkspaceTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>

namespace {

// Page k is told apart by its width.
QSize pageSize(int k)
{
    return QSize(100 + 20 * k, 150);
}

} // namespace

class ScanPanelTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<MainWindow> m_window;
    QString m_folder;

    template <typename T> T* child(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }
    QString page(const QString& name) const { return m_folder + QLatin1Char('/') + name; }
    // Pages named name -> k, written with width pageSize(k).
    void writePages(const QMap<QString, int>& pages)
    {
        for (auto it = pages.begin(); it != pages.end(); ++it) {
            const QSize size = pageSize(it.value());
            cv::Mat content(size.height(), size.width(), CV_8UC3, cv::Scalar(200, 200, 200));
            QVERIFY(PageFile::saveWithDensity(content, page(it.key()), 150, 150));
        }
    }
    QStringList namesOnDisk() const { return QDir(m_folder).entryList(QDir::Files); }
    void openWindow(const QString& first, int saveMode = 1)
    {
        m_window.reset();
        m_window = openMainWindow(m_data->path(), saveMode, first.isEmpty() ? "" : page(first));
        QCOMPARE(m_window->currentFile(), first.isEmpty() ? QString() : page(first));
        auto* device = child<QComboBox>("combox_device");
        QVERIFY(QTest::qWaitFor([device] { return device->currentData().isValid(); }, 20000));
    }
    void choose(const char* box, const QString& text)
    {
        auto* combo = child<QComboBox>(box);
        const int index = combo->findText(text);
        QVERIFY2(index >= 0, qPrintable(text));
        combo->setCurrentIndex(index);
    }
    // Small, quick pages from a test device.
    void chooseQuickPages(const QString& deviceType = QStringLiteral("平板"))
    {
        choose("combox_dev_type", deviceType);
        choose("combox_paper_size", "A5");
        choose("combox_img_color", "灰度图");
        choose("combox_img_dpi", "75");
    }
    // Clicks button with a catcher for the message box it may raise (closed at
    // once, its text kept); when wait is set, until the scan has ended.
    QString click(const char* button, bool wait, bool* ended = nullptr)
    {
        QString text;
        QSignalSpy done(m_window->scanPanel(), &ScanPanel::scanDone);
        QPointer<QTimer> catcher = whenModal([&text](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box) {
                text = box->text();
                box->accept();
            }
            return box != nullptr;
        });
        child<QPushButton>(button)->click();
        const bool finished = wait && done.wait(60000);
        if (ended)
            *ended = finished;
        QCoreApplication::processEvents();
        delete catcher.data();
        return text;
    }
    bool scanWith(const char* button, QString* message = nullptr)
    {
        bool ended = false;
        const QString text = click(button, true, &ended);
        if (message)
            *message = text;
        return ended;
    }
    QString messageOf(const char* button) { return click(button, false); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_base.isValid());
        QApplication::setQuitOnLastWindowClosed(false);
        AppPaths::setBaseDirForTesting(m_base.path());
        // A temporary scan folder of this run's own: other scanning processes
        // of the same user share the usual one.
        qputenv("TMPDIR", QFile::encodeName(m_base.path()));
        QVERIFY(scanTempDir().startsWith(m_base.path()));
    }

    void init()
    {
        m_data = std::make_unique<QTemporaryDir>();
        m_folder = m_data->path() + QStringLiteral("/卷 一");
        QVERIFY(QDir().mkpath(m_folder));
    }

    void cleanup()
    {
        m_window.reset();
        // A preview's pages would be rescued into the next case's data directory.
        clearDir(scanTempDir());
    }

    void panelFollowsTheFolderAndKeepsItsChoices()
    {
        writePages({{"A01-0003.jpg", 1}, {"A01-0004.jpg", 2}});
        openWindow("A01-0003.jpg");
        // The folder's next code, and the naming of the selected file.
        QCOMPARE(child<QSpinBox>("spinbox_code_next")->value(), 5);
        QCOMPARE(child<QLineEdit>("edit_code_prefix")->text(), QString("A01-"));
        QCOMPARE(child<QSpinBox>("spinbox_code_len")->value(), 4);

        // The colour rule, and a choice that holds for the next start.
        auto* format = child<QComboBox>("combox_file_suffix");
        choose("combox_file_suffix", ".tiff");
        choose("combox_img_color", "黑白");
        QCOMPARE(format->currentText(), QString(".bmp"));
        QVERIFY(!format->isEnabled());
        choose("combox_img_color", "灰度图");
        QCOMPARE(format->currentText(), QString(".jpg"));
        QVERIFY(format->isEnabled());
        choose("combox_img_dpi", "600");
        openWindow("A01-0003.jpg");
        QCOMPARE(child<QComboBox>("combox_img_dpi")->currentText(), QString("600"));
        QCOMPARE(child<QComboBox>("combox_img_color")->currentText(), QString("灰度图"));
    }

    void appendTakesTheNextNamesAndShowsThem()
    {
        writePages({{"0001.jpg", 1}, {"0002.jpg", 2}});
        openWindow("0001.jpg");
        QCOMPARE(child<QSpinBox>("spinbox_code_next")->value(), 3);
        chooseQuickPages();
        choose("combox_img_dpi", "300");
        QVERIFY(scanWith("btn_scan"));
        QCOMPARE(namesOnDisk(), (QStringList{"0001.jpg", "0002.jpg", "0003.jpg"}));
        QCOMPARE(PageFile::readInfo(page("0003.jpg")).dpiX, 300);
        QCOMPARE(m_window->currentFile(), page("0003.jpg"));
        QCOMPARE(child<QTableView>("tb_file")->currentIndex().row(), 2);
        QCOMPARE(child<QSpinBox>("spinbox_code_next")->value(), 4);
        QVERIFY(QDir(scanWorkDir()).entryList(QDir::Files).isEmpty());
    }

    // Insert at 0002 of 0001, 0002, 0010 with the open page turned in the
    // save-on-turn mode: the turn stays with its page, now 0003.
    void insertKeepsTheOpenPagesEditOnItsOwnPage()
    {
        writePages({{"0001.jpg", 1}, {"0002.jpg", 2}, {"0010.jpg", 3}});
        openWindow("0001.jpg", 2);
        m_window->nextPage();
        QCOMPARE(m_window->currentFile(), page("0002.jpg"));
        m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
        chooseQuickPages();
        QVERIFY(scanWith("btn_scan_insert"));

        QCOMPARE(namesOnDisk(), (QStringList{"0001.jpg", "0002.jpg", "0003.jpg", "0010.jpg"}));
        QCOMPARE(sizeOnDisk(page("0001.jpg")), pageSize(1));
        QCOMPARE(sizeOnDisk(page("0003.jpg")), pageSize(2).transposed());
        QCOMPARE(sizeOnDisk(page("0010.jpg")), pageSize(3));
        const QSize scanned = sizeOnDisk(page("0002.jpg"));
        QVERIFY(scanned.width() > 300 && scanned != pageSize(2).transposed());
        // The new page is current and shown; nothing is pending on it.
        QCOMPARE(m_window->currentFile(), page("0002.jpg"));
        QCOMPARE(child<QTableView>("tb_file")->currentIndex().row(), 1);
        QCOMPARE(m_window->currentImage().image().cols, scanned.width());
        QVERIFY(!m_window->currentImage().hasUnsavedChanges());
        m_window->nextPage();
        QCOMPARE(sizeOnDisk(page("0003.jpg")), pageSize(2).transposed());
    }

    void previewLeavesTheFolderAlone()
    {
        writePages({{"0001.jpg", 1}, {"0002.jpg", 2}});
        openWindow("0001.jpg");
        chooseQuickPages();
        QVERIFY(scanWith("btn_scan_preview"));
        QCOMPARE(namesOnDisk(), (QStringList{"0001.jpg", "0002.jpg"}));
        QCOMPARE(child<QTableView>("tb_file")->model()->rowCount(), 2);
        QCOMPARE(m_window->currentFile(), page("0001.jpg"));
        QCOMPARE(QDir(scanWorkDir()).entryList(QDir::Files).size(), 1);
    }

    void refusalsComeBeforeTheScan()
    {
        // No folder in the data directory: nothing to scan into.
        QVERIFY(QDir(m_folder).removeRecursively());
        openWindow(QString());
        QCOMPARE(messageOf("btn_scan"), QStringLiteral("请先在目录树选择图像文件的存放目录"));
        QVERIFY(!m_window->scanPanel()->isScanning());

        QVERIFY(QDir().mkpath(m_folder));
        writePages({{"0001.jpg", 1}});
        openWindow("0001.jpg");
        child<QLineEdit>("edit_code_prefix")->setText("../");
        QCOMPARE(messageOf("btn_scan_insert"), ScanNaming::badTextMessage());
        QVERIFY(!m_window->scanPanel()->isScanning());
        QCOMPARE(namesOnDisk(), QStringList{"0001.jpg"});
    }

    void jamIsReportedAndTheNextScanWorks()
    {
        writePages({{"0001.jpg", 1}});
        openWindow("0001.jpg");
        chooseQuickPages(QStringLiteral("高扫"));
        // Line art: the test device's whole page fits in its reader's pipe, as a
        // real jammed scanner's reader has stopped sending.
        choose("combox_img_color", "黑白");
        m_window->scanPanel()->setSourceOptions({"read-return-value=SANE_STATUS_JAMMED"});
        QString message;
        QVERIFY(scanWith("btn_scan", &message));
        QCOMPARE(message, QStringLiteral("卡纸，请检查进纸器"));
        QCOMPARE(namesOnDisk(), QStringList{"0001.jpg"});
        QVERIFY(child<QPushButton>("btn_scan")->isEnabled());

        m_window->scanPanel()->setSourceOptions({"read-return-value=Default"});
        chooseQuickPages();
        message.clear();
        QVERIFY(scanWith("btn_scan", &message));
        QVERIFY(message.isEmpty());
        QCOMPARE(namesOnDisk(), (QStringList{"0001.jpg", "0002.jpg"}));
    }
};

QTEST_MAIN(ScanPanelTest)
#include "tst_ScanPanel.moc"
