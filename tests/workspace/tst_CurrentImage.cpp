#include "CurrentImage.h"
#include "WorkspaceTestSupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <opencv2/imgproc.hpp>

namespace {

constexpr int kTurn = 1;
constexpr int kGesture = 2;

// A stand-in engine that only knows how to turn the page a quarter.
CurrentImage::OperationResult fakeEngine(int id, const cv::Mat& in, const QVariant&)
{
    CurrentImage::OperationResult r;
    if (id == kTurn)
        cv::rotate(in, r.image, cv::ROTATE_90_CLOCKWISE);
    else
        r.status = CurrentImage::OperationResult::UnknownOperation;
    return r;
}

QString writePage(const QString& path, int w, int h, int dpi)
{
    cv::Mat page(h, w, CV_8UC3, cv::Scalar(250, 250, 250));
    cv::rectangle(page, cv::Rect(5, 5, 10, 4), cv::Scalar(0, 0, 0), cv::FILLED);
    PageFile::saveWithDensity(page, path, dpi, dpi);
    return path;
}

} // namespace

class TestCurrentImage : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        a_ = writePage(dir_.filePath("页 a.png"), 60, 40, 200);
        b_ = writePage(dir_.filePath("b.png"), 30, 20, 300);
    }

    void saveModesDecideWhenTheDiskChanges_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QSize>("afterOperation");
        QTest::addColumn<QSize>("afterTurn");
        QTest::newRow("automatic") << 1 << QSize(40, 60) << QSize(40, 60);
        QTest::newRow("on page turn") << 2 << QSize(60, 40) << QSize(40, 60);
        QTest::newRow("manual") << 3 << QSize(60, 40) << QSize(60, 40);
    }
    void saveModesDecideWhenTheDiskChanges()
    {
        QFETCH(int, mode);
        QFETCH(QSize, afterOperation);
        QFETCH(QSize, afterTurn);
        CurrentImage current(fakeEngine);
        current.setSaveMode(mode);
        QVERIFY(current.open(a_));
        QVERIFY(current.executeOperation(kTurn, true, {}));
        QCOMPARE(sizeOnDisk(a_), afterOperation);
        QVERIFY(current.open(b_));
        QCOMPARE(sizeOnDisk(a_), afterTurn);
        // Written back with the resolution the file had.
        QCOMPARE(PageFile::readInfo(a_).dpiX, 200);
        // Selected again: the disk version is shown and the edit can still be undone.
        QVERIFY(current.open(a_));
        QCOMPARE(current.image().cols, afterTurn.width());
        QVERIFY(current.undo());
        QCOMPARE(current.image().cols, 60);
    }

    void undoneEditsAreNotWrittenOnTurn()
    {
        CurrentImage current(fakeEngine);
        current.setSaveMode(CurrentImage::OnPageTurn);
        QVERIFY(current.open(a_));
        const QByteArray before = readAll(a_);
        current.executeOperation(kTurn, true, {});
        QVERIFY(current.undo());
        QVERIFY(current.open(b_));
        QCOMPARE(readAll(a_), before);
    }

    void historyRules()
    {
        CurrentImage current(fakeEngine);
        current.setSaveMode(CurrentImage::Manual);
        QVERIFY(!current.executeOperation(kTurn, true, {})); // nothing open
        QVERIFY(current.open(a_));
        current.executeOperation(kTurn, true, {});
        current.executeOperation(kTurn, true, {});
        QCOMPARE(current.history().undoDepth(a_), 2);
        QVERIFY(current.undo());
        QVERIFY(current.canRedo());
        current.executeOperation(kTurn, true, {});
        QVERIFY(!current.canRedo()); // a new operation empties redo

        // A gesture being armed records the id but changes nothing.
        QVERIFY(!current.executeOperation(kGesture, false, {}));
        QCOMPARE(current.lastOperation(), kGesture);
        QCOMPARE(current.history().undoDepth(a_), 2);
    }

    // A folder renamed or deleted takes its pages' lists along: a page that
    // later takes an old path must never undo into another page's states.
    void historiesFollowWholeFolders()
    {
        CurrentImage current(fakeEngine);
        current.setSaveMode(CurrentImage::Manual);
        QVERIFY(current.open(a_));
        current.executeOperation(kTurn, true, {});
        const QString folder = QFileInfo(a_).absolutePath();
        const QString moved = folder + QStringLiteral(" 新");
        const QString movedPage = moved + QLatin1Char('/') + QFileInfo(a_).fileName();
        // A sibling whose name starts like the folder's is not under it.
        current.followFolderRenames({{folder.left(folder.size() - 1), moved + "x"}});
        QCOMPARE(current.history().undoDepth(a_), 1);
        current.followFolderRenames({{folder, moved}});
        QCOMPARE(current.history().undoDepth(a_), 0);
        QCOMPARE(current.history().undoDepth(movedPage), 1);
        QCOMPARE(current.resolution(movedPage).first, 200);
        current.forgetUnder(moved);
        QCOMPARE(current.history().undoDepth(movedPage), 0);
        QCOMPARE(current.resolution(movedPage).first, 0);
    }

    void failedOpenLeavesNothingToWrite()
    {
        CurrentImage current(fakeEngine);
        QVERIFY(current.open(a_));
        const QString broken = dir_.filePath("broken.jpg");
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not an image at all");
        f.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("curOpendMat is NULL"));
        QVERIFY(!current.open(broken));
        QCOMPARE(current.file(), broken);
        QVERIFY(!current.executeOperation(kTurn, true, {}));
        QVERIFY(!current.save());
        QCOMPARE(readAll(broken), QByteArray("not an image at all"));
    }

    void restoreOriginalsWritesFirstStatesInEveryMode()
    {
        CurrentImage current(fakeEngine);
        current.setSaveMode(CurrentImage::OnPageTurn);
        QVERIFY(current.open(a_));
        current.executeOperation(kTurn, true, {});
        current.executeOperation(kTurn, true, {});
        QVERIFY(current.open(b_)); // a is written turned twice
        QCOMPARE(sizeOnDisk(a_), QSize(60, 40));
        current.executeOperation(kTurn, true, {});
        current.save();
        QCOMPARE(sizeOnDisk(b_), QSize(20, 30));
        QStringList seen;
        QCOMPARE(current.restoreOriginals([&](const QString& name) { seen << name; }), 2);
        QCOMPARE(seen, QStringList({"b.png", "页 a.png"}));
        QCOMPARE(sizeOnDisk(b_), QSize(30, 20));
        QCOMPARE(PageFile::readInfo(b_).dpiX, 300);
        // The undo lists stay, so the operator may still step back to an edit.
        QVERIFY(current.canUndo());
        QVERIFY(!current.canRedo());
    }

private:
    static QByteArray readAll(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
    QString a_;
    QString b_;
};

QTEST_MAIN(TestCurrentImage)
#include "tst_CurrentImage.moc"
