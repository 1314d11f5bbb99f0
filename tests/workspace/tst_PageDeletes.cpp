// Deleting pages through the real window: the open page closes and its
// neighbour opens, an edit kept for the page turn lands on its own page only,
// and 撤销删除 brings the pages back.
#include "AppPaths.h"
#include "FileListCommands.h"
#include "FileTableModel.h"
#include "OperationId.h"
#include "WorkspaceTestSupport.h"

#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

// Page k is told apart by its width; the edit turns it, which swaps width and height.
QSize pageSize(int k)
{
    return QSize(100 + 20 * k, 150);
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class PageDeletesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<MainWindow> m_window;
    QString m_trash;
    QMap<int, QByteArray> m_before;

    QString page(int n) const
    {
        return QStringLiteral("%1/卷 一/000%2.jpg").arg(m_data->path()).arg(n);
    }
    QTableView* list() const { return m_window->findChild<QTableView*>(QStringLiteral("tb_file")); }
    FileTableModel* files() const { return qobject_cast<FileTableModel*>(list()->model()); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_base.isValid());
        QApplication::setQuitOnLastWindowClosed(false);
        AppPaths::setBaseDirForTesting(m_base.path());
    }

    void init()
    {
        m_data = std::make_unique<QTemporaryDir>();
        // Not made yet, as on a fresh account.
        const QString share = m_data->filePath("home/share");
        qputenv("XDG_DATA_HOME", QFile::encodeName(share));
        m_trash = share + "/Trash/files/";
        QVERIFY(QDir().mkpath(m_data->path() + QStringLiteral("/卷 一")));
        for (int k = 1; k <= 4; ++k) {
            cv::Mat content(pageSize(k).height(), pageSize(k).width(), CV_8UC3,
                            cv::Scalar(240, 240, 240));
            QVERIFY(PageFile::saveWithDensity(content, page(k), 200, 200));
            m_before.insert(k, bytesOf(page(k)));
        }
    }

    void cleanup() { m_window.reset(); }

    void deletingTheEditedOpenPage_data()
    {
        QTest::addColumn<int>("open");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("neighbour");
        QTest::newRow("current, middle") << 2 << "current" << 3;
        QTest::newRow("current, last") << 4 << "current" << 3;
        QTest::newRow("checked, button") << 3 << "button" << 4;
    }
    // Save mode 2: the edit of the open page is written as a page turn would,
    // the page goes to the trash with it, and no other page changes.
    void deletingTheEditedOpenPage()
    {
        QFETCH(int, open);
        QFETCH(QString, how);
        QFETCH(int, neighbour);
        m_window = openMainWindow(m_data->path(), 2, page(1));
        QCOMPARE(m_window->currentFile(), page(1));
        list()->setCurrentIndex(files()->index(open - 1, 1));
        QCOMPARE(m_window->currentFile(), page(open));
        m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
        QList<int> gone{open};
        if (how != "current")
            gone << open - 1; // a page before it goes too
        FileListCommands* commands = m_window->fileCommands();
        QString asked;
        commands->setAsk(
            [&asked](const QString&, const QString& text) { return asked = text, true; });
        if (how == "current") {
            commands->deleteCurrent();
            QCOMPARE(asked, "是否确认删除选文件：" + QFileInfo(page(open)).fileName());
        } else {
            files()->setChecked({open - 1, open - 2}, true);
            m_window->findChild<QToolButton*>(QStringLiteral("btn_file_del"))->click();
        }

        QCOMPARE(m_window->currentFile(), page(neighbour));
        QCOMPARE(files()->filePaths().indexOf(page(neighbour)), list()->currentIndex().row());
        QVERIFY(!m_window->currentImage().hasUnsavedChanges());
        QCOMPARE(sizeOnDisk(m_trash + QFileInfo(page(open)).fileName()),
                 pageSize(open).transposed());
        // Turning pages now writes nothing anywhere.
        m_window->previousPage();
        m_window->nextPage();
        for (int k = 1; k <= 4; ++k)
            QVERIFY(gone.contains(k) ? !QFile::exists(page(k)) : bytesOf(page(k)) == m_before[k]);

        // 撤销删除: the pages are back, the open one stays open.
        const QString openNow = m_window->currentFile();
        commands->undoDelete();
        QCOMPARE(files()->rowCount(), 4);
        QCOMPARE(m_window->currentFile(), openNow);
        QCOMPARE(sizeOnDisk(page(open)), pageSize(open).transposed());
        for (int k = 1; k <= 4; ++k) {
            if (k != open)
                QCOMPARE(bytesOf(page(k)), m_before.value(k));
        }
    }

    void deletingTheOnlyPageLeavesNothingOpen()
    {
        for (int k = 2; k <= 4; ++k)
            QVERIFY(QFile::remove(page(k)));
        m_window = openMainWindow(m_data->path(), 2, page(1));
        m_window->fileCommands()->setAsk([](const QString&, const QString&) { return true; });
        m_window->fileCommands()->deleteCurrent();
        QVERIFY(!m_window->currentImage().isOpen());
        QCOMPARE(files()->rowCount(), 0);
        QVERIFY(QFile::exists(m_trash + "0001.jpg"));
    }
};

QTEST_MAIN(PageDeletesTest)
#include "tst_PageDeletes.moc"
