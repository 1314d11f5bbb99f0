// The rename commands of the left panel through the real window: the open,
// edited page follows every rename and its edit lands on its own page only.
#include "../app/ModalDriver.h"
#include "AppPaths.h"
#include "FileBatchRenameDlg.h"
#include "FileTableModel.h"
#include "OperationId.h"
#include "WorkspaceTestSupport.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

QSize pageSize(int k)
{
    return QSize(100 + 20 * k, 150);
}

// Answers the next text input with answer.
QTimer* answerInput(const QString& answer, QString* title)
{
    return whenModal([answer, title](QWidget* modal) {
        auto* input = qobject_cast<QInputDialog*>(modal);
        if (!input)
            return false;
        *title = input->windowTitle() + ":" + input->labelText() + ":" + input->textValue();
        input->setTextValue(answer);
        input->accept();
        return true;
    });
}

} // namespace

class FileRenamesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<MainWindow> m_window;

    QString folder() const { return m_data->path() + QStringLiteral("/卷 一"); }
    QString page(int n, const QString& pattern = QStringLiteral("000%1.jpg")) const
    {
        return folder() + "/" + pattern.arg(n);
    }
    QTableView* fileView() const { return m_window->findChild<QTableView*>("tb_file"); }
    void openWindow()
    {
        m_window = openMainWindow(m_data->path(), 2, page(1));
        QCOMPARE(m_window->currentFile(), page(1));
        // Page 1 is edited and not yet written: mode 2 writes on leaving it.
        m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
    }
    QSize openSize() const
    {
        const cv::Mat& image = m_window->currentImage().image();
        return QSize(image.cols, image.rows);
    }
    // Which original page each path holds, page 1 turned.
    void expectPages(const QStringList& paths)
    {
        for (int k = 1; k <= paths.size(); ++k)
            QCOMPARE(sizeOnDisk(paths.at(k - 1)), k == 1 ? pageSize(k).transposed() : pageSize(k));
        QCOMPARE(QDir(QFileInfo(paths.first()).absolutePath())
                     .entryList(QDir::Files | QDir::Hidden)
                     .size(),
                 paths.size());
    }

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
        QVERIFY(QDir().mkpath(folder()));
        for (int k = 1; k <= 4; ++k) {
            cv::Mat content(pageSize(k).height(), pageSize(k).width(), CV_8UC3,
                            cv::Scalar(240, 240, 240));
            QVERIFY(PageFile::saveWithDensity(content, page(k), 200, 200));
        }
    }

    void cleanup() { m_window.reset(); }

    void renumberThenUndo()
    {
        openWindow();
        auto* button = m_window->findChild<QToolButton*>("btn_file_rename");
        auto* undo = m_window->findChild<QAction*>("action_undo_rename");
        emit button->menu()->aboutToShow();
        QVERIFY(!undo->isEnabled());

        // All files from 2 with prefix P: every target but the last was a source too.
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<FileBatchRenameDlg*>(modal);
            if (!dialog)
                return false;
            dialog->findChild<QLineEdit*>("edit_prefix")->setText("P");
            dialog->findChild<QSpinBox*>("spinBox_code_start")->setValue(2);
            dialog->findChild<QPushButton*>("btn_confirm")->click();
            return true;
        });
        m_window->findChild<QAction*>("action_rename_all")->trigger();
        const QString renamed = QStringLiteral("P00%1.jpg");
        QCOMPARE(m_window->currentFile(), page(2, renamed));
        QCOMPARE(fileView()->currentIndex().row(), 0);
        QCOMPARE(openSize(), pageSize(1).transposed());
        expectPages({page(2, renamed), page(3, renamed), page(4, renamed), page(5, renamed)});

        emit button->menu()->aboutToShow();
        QVERIFY(undo->isEnabled());
        undo->trigger();
        QCOMPARE(m_window->currentFile(), page(1));
        m_window->nextPage();
        m_window->previousPage();
        expectPages({page(1), page(2), page(3), page(4)});
    }

    // Into another format: the open page converts with its edit kept.
    void doubleClickRenames()
    {
        openWindow();
        QString asked;
        answerInput("首页.tif", &asked);
        emit fileView()->doubleClicked(fileView()->model()->index(0, 1));
        QCOMPARE(asked, QStringLiteral("文件重命名:文件名称:0001.jpg"));
        const QString now = folder() + "/首页.tif";
        QCOMPARE(m_window->currentFile(), now);
        QCOMPARE(openSize(), pageSize(1).transposed());
        m_window->nextPage();
        expectPages({now, page(2), page(3), page(4)});
    }

    void folderRename()
    {
        openWindow();
        QString asked;
        answerInput("卷 二", &asked);
        m_window->findChild<QToolButton*>("btn_folder_rename")->click();
        QCOMPARE(asked, QStringLiteral("文件夹重命名:文件夹名称:卷 一"));
        const QString moved = m_data->path() + QStringLiteral("/卷 二");
        QVERIFY(QTest::qWaitFor([&] { return m_window->currentFolder() == moved; }, 5000));
        QCOMPARE(m_window->currentFile(), moved + "/0001.jpg");
        // Taken back, the tree and the list follow the folder to its old name.
        m_window->findChild<QAction*>("action_undo_rename")->trigger();
        QVERIFY(QTest::qWaitFor([&] { return m_window->currentFolder() == folder(); }, 5000));
        QCOMPARE(m_window->currentFile(), page(1));
        m_window->nextPage();
        expectPages({page(1), page(2), page(3), page(4)});
    }
};

QTEST_MAIN(FileRenamesTest)
#include "tst_FileRenames.moc"
