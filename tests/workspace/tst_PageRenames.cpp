// The open page, its history and its resolution follow a reorder on disk, and
// nothing the window writes afterwards lands on another page.
#include "../app/ModalDriver.h"
#include "AppPaths.h"
#include "FileTableModel.h"
#include "OperationId.h"
#include "Toast.h"
#include "WorkspaceTestSupport.h"

#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QTableView>
#include <QTemporaryDir>

namespace {

// Page k is told apart by its width (and its resolution), so every content can
// be found again whatever name it ends up under; the edit turns it, which swaps
// width and height.
QSize pageSize(int k)
{
    return QSize(100 + 20 * k, 150);
}
int pageDpi(int k)
{
    return 100 + 50 * k;
}

} // namespace

class PageRenamesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<MainWindow> m_window;

    QString page(int n) const
    {
        return QStringLiteral("%1/卷 一/000%2.jpg").arg(m_data->path()).arg(n);
    }
    FileTableModel* files() const
    {
        return qobject_cast<FileTableModel*>(
            m_window->findChild<QTableView*>(QStringLiteral("tb_file"))->model());
    }
    void openWindow(int saveMode)
    {
        m_window = openMainWindow(m_data->path(), saveMode, page(1));
        QCOMPARE(m_window->currentFile(), page(1));
        files()->setConfirmHandler([](const QString&, const QString&) { return true; });
    }
    void dropRow(int from, int onto)
    {
        FileTableModel* model = files();
        std::unique_ptr<QMimeData> data(model->mimeData({model->index(from, 1)}));
        QVERIFY(model->dropMimeData(data.get(), Qt::MoveAction, -1, -1, model->index(onto, 1)));
    }
    // Which original page each name holds now, and whether it is turned.
    void expectPages(const QList<int>& originals, int turnedAt)
    {
        for (int n = 1; n <= originals.size(); ++n) {
            const int k = originals.at(n - 1);
            const PageInfo info = PageFile::readInfo(page(n));
            const QSize expected = n == turnedAt ? pageSize(k).transposed() : pageSize(k);
            QCOMPARE(QSize(info.width, info.height), expected);
            QCOMPARE(QPoint(info.dpiX, info.dpiY), QPoint(pageDpi(k), pageDpi(k)));
        }
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
        QVERIFY(QDir().mkpath(m_data->path() + QStringLiteral("/卷 一")));
        for (int k = 1; k <= 4; ++k) {
            cv::Mat content(pageSize(k).height(), pageSize(k).width(), CV_8UC3,
                            cv::Scalar(240, 240, 240));
            content(cv::Rect(10, 10, 30, 60)).setTo(cv::Scalar(20, 20, 20));
            QVERIFY(PageFile::saveWithDensity(content, page(k), pageDpi(k), pageDpi(k)));
        }
    }

    void cleanup() { m_window.reset(); }

    void reorderUnderAnEditedPage_data()
    {
        QTest::addColumn<int>("saveMode");
        QTest::addColumn<QString>("then");
        QTest::addColumn<bool>("turnedOnDisk");
        const struct
        {
            int mode;
            const char* then;
            bool turned;
        } rows[] = {
            {1, "undo", false}, {2, "turn", true}, {2, "undo", true},
            {3, "turn", false}, {3, "save", true}, {2, "undoFolder", false},
        };
        for (const auto& row : rows)
            QTest::addRow("mode %d, %s", row.mode, row.then) << row.mode << row.then << row.turned;
    }
    // Page 1 edited (turned), then dragged onto the row of page 3: old 1 becomes
    // 0003, old 2 becomes 0001, old 3 becomes 0002. Page 3 was opened first, so
    // its name carried another resolution before the move.
    void reorderUnderAnEditedPage()
    {
        QFETCH(int, saveMode);
        QFETCH(QString, then);
        QFETCH(bool, turnedOnDisk);
        openWindow(saveMode);
        m_window->nextPage();
        m_window->nextPage();
        QCOMPARE(m_window->currentFile(), page(3));
        m_window->previousPage();
        m_window->previousPage();
        QCOMPARE(m_window->currentFile(), page(1));
        m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());

        dropRow(0, 2);
        QCOMPARE(m_window->currentFile(), page(3));
        QCOMPARE(m_window->findChild<QTableView*>(QStringLiteral("tb_file"))->currentIndex().row(),
                 2);
        QCOMPARE(
            QSize(m_window->currentImage().image().cols, m_window->currentImage().image().rows),
            pageSize(1).transposed());
        QVERIFY(m_window->currentImage().canUndo());

        if (then == "turn") {
            m_window->nextPage();
            QCOMPARE(m_window->currentFile(), page(4));
        } else if (then == "undo") {
            m_window->undo();
        } else if (then == "save") {
            m_window->save();
        } else {
            whenModal([](QWidget* box) {
                if (auto* question = qobject_cast<QMessageBox*>(box)) {
                    question->button(QMessageBox::Ok)->click();
                    return true;
                }
                return false;
            });
            m_window->undoFolder();
        }
        expectPages({2, 3, 1, 4}, turnedOnDisk ? 3 : 0);
    }

    // Turning away from a page that was only looked at must not re-encode it.
    void unchangedPageIsNotRewrittenOnTurn()
    {
        const QByteArray bytes = [this] {
            QFile file(page(1));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        const QDateTime modified = QFileInfo(page(1)).lastModified();
        openWindow(2);
        m_window->nextPage();
        m_window->previousPage();
        m_window->nextPage();
        QFile file(page(1));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QCOMPARE(QFileInfo(page(1)).lastModified(), modified);
    }

    void failedSaveIsShownAndKeptUnsaved()
    {
        openWindow(3);
        QVERIFY(QFile::setPermissions(page(1), QFile::ReadOwner | QFile::ReadGroup));
        m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
        m_window->save();
        QFile::setPermissions(page(1), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QCOMPARE(sizeOnDisk(page(1)), pageSize(1));
        QVERIFY(m_window->currentImage().hasUnsavedChanges());
        bool toasted = false;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* toast = qobject_cast<Toast*>(widget))
                toasted = toasted || toast->label()->text().contains(page(1));
        }
        QVERIFY(toasted);
        QVERIFY(m_window->findChild<QLabel*>(QStringLiteral("lb_status_path"))
                    ->text()
                    .contains(QStringLiteral("未保存")));
        // Once the page is writable again the same button writes it.
        m_window->save();
        QCOMPARE(sizeOnDisk(page(1)), pageSize(1).transposed());
        QVERIFY(!m_window->currentImage().hasUnsavedChanges());
    }
};

QTEST_MAIN(PageRenamesTest)
#include "tst_PageRenames.moc"
