// Entries and buttons of features still to come are disabled and say so; the
// rest of the window keeps working.
#include "AppPaths.h"
#include "WorkspaceTestSupport.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

class TestUnbuiltFeatures : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    QTemporaryDir m_data;
    std::unique_ptr<MainWindow> m_window;

private slots:
    void initTestCase()
    {
        QVERIFY(m_base.isValid() && m_data.isValid());
        AppPaths::setBaseDirForTesting(m_base.path());
        QVERIFY(QDir().mkpath(m_data.filePath("01 卷宗")));
        cv::Mat page(60, 40, CV_8UC3, cv::Scalar(250, 250, 250));
        const QString first = m_data.filePath("01 卷宗/0001.jpg");
        QVERIFY(PageFile::saveWithDensity(page, first, 300, 300));
        m_window = openMainWindow(m_data.path(), 2, first);
        QCOMPARE(m_window->currentFile(), first);
    }
    void cleanupTestCase()
    {
        m_window.reset();
        AppPaths::setBaseDirForTesting(QString());
    }

    void disabledWithTooltip_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name :
             {"action_statistics", "action_fj", "action_convert", "btn_scan", "btn_scan_insert",
              "btn_scan_replace", "btn_scan_preview", "btn_folder_new", "btn_folder_rename",
              "btn_folder_del", "btn_rootpath", "btn_folder_open", "btn_file_rename",
              "btn_file_replacename", "btn_file_del", "btn_file_view"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void disabledWithTooltip()
    {
        QFETCH(QString, name);
        if (auto* action = m_window->findChild<QAction*>(name)) {
            QVERIFY(!action->isEnabled());
            QCOMPARE(action->toolTip(), QStringLiteral("尚未提供"));
            auto* menu = qobject_cast<QMenu*>(action->associatedWidgets().value(0));
            QVERIFY(menu && menu->toolTipsVisible());
            return;
        }
        auto* button = m_window->findChild<QAbstractButton*>(name);
        QVERIFY2(button, qPrintable(name));
        QVERIFY(!button->isEnabled());
        QCOMPARE(button->toolTip(), QStringLiteral("尚未提供"));
    }

    void workingEntriesStayEnabled()
    {
        QVERIFY(m_window->findChild<QToolButton*>("btn_folder_refresh")->isEnabled());
        QVERIFY(m_window->findChild<QAction*>("ac_about_us")->isEnabled());
        QVERIFY(m_window->findChild<QAction*>("action_view_shortcut")->isEnabled());
    }

    void fileListOffersNoContextMenu()
    {
        auto* files = m_window->findChild<QTableView*>("tb_file");
        QSignalSpy requested(files, &QWidget::customContextMenuRequested);
        const QPoint at = files->visualRect(files->model()->index(0, 1)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, files->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(files->viewport(), &event);
        QCoreApplication::processEvents();
        QCOMPARE(requested.count(), 0);
        for (QWidget* top : QApplication::topLevelWidgets())
            QVERIFY(!(qobject_cast<QMenu*>(top) && top->isVisible()));
    }
};

QTEST_MAIN(TestUnbuiltFeatures)
#include "tst_UnbuiltFeatures.moc"
