#include "AppPaths.h"
#include "GraphicsView.h"
#include "ImageToolbar.h"
#include "MainWindow.h"
#include "PageFile.h"
#include "PageScene.h"
#include "SettingsStore.h"
#include "ToolbarCommands.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGraphicsPixmapItem>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <memory>

// The toolbar inside the real window: a drag in the view with "图像裁剪"
// checked crops the open page, and the quick-action row follows the history.
class MainWindowToolbarTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    QTemporaryDir m_data;
    std::unique_ptr<MainWindow> m_window;

    void drag(const QPointF& from, const QPointF& to)
    {
        GraphicsView* view = m_window->view();
        QWidget* viewport = view->viewport();
        auto send = [&](QEvent::Type type, const QPointF& scenePos, Qt::MouseButton button,
                        Qt::MouseButtons buttons) {
            const QPoint pos = view->mapFromScene(scenePos);
            QMouseEvent event(type, pos, viewport->mapToGlobal(pos), button, buttons,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &event);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_base.isValid() && m_data.isValid());
        QApplication::setQuitOnLastWindowClosed(false);
        AppPaths::setBaseDirForTesting(m_base.path());
        QVERIFY(QDir().mkpath(m_data.filePath(QStringLiteral("卷 01"))));
        const cv::Mat page(400, 300, CV_8UC3, cv::Scalar(250, 250, 250));
        QVERIFY(PageFile::saveWithDensity(page, m_data.filePath(QStringLiteral("卷 01/0001.jpg")),
                                          300, 300));
        SettingsStore::setSettingValue(SettingsStore::kRootPath, m_data.path());
        SettingsStore::setSettingValue(SettingsStore::kSaveMode, 3);
    }

    void dragWithCropCheckedCropsTheOpenPage()
    {
        m_window = std::make_unique<MainWindow>();
        m_window->resize(1315, 750);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTRY_VERIFY_WITH_TIMEOUT(m_window->currentImage().isOpen(), 10000);

        ImageToolbar* bar = m_window->toolbarCommands()->toolbar();
        QCOMPARE(m_window->registeredEntries().size(), 30);
        QVERIFY(bar->quickRow()->isVisible());
        QVERIFY(bar->toolBar()->isEnabled());
        QVERIFY(!bar->undoButton()->isEnabled());

        bar->rectangleAction(53)->trigger();
        QCOMPARE(m_window->view()->drawMode(), 1);
        const QSizeF shown = m_window->scene()->imageItem()->pixmap().size();
        drag(QPointF(0, 0), QPointF(shown.width() / 2, shown.height() / 2));
        const cv::Mat& now = m_window->currentImage().image();
        QVERIFY(qAbs(now.cols - 150) <= 2 && qAbs(now.rows - 200) <= 2);
        QVERIFY(bar->undoButton()->isEnabled());
        QVERIFY(bar->saveButton()->isEnabled());
        QCOMPARE(m_window->view()->drawMode(), 1); // still armed

        bar->undoButton()->click();
        QCOMPARE(m_window->currentImage().image().cols, 300);
        QVERIFY(bar->redoButton()->isEnabled());
        QVERIFY(!bar->undoButton()->isEnabled());
    }

    void cleanupTestCase() { m_window.reset(); }
};

QTEST_MAIN(MainWindowToolbarTest)
#include "tst_MainWindowToolbar.moc"
