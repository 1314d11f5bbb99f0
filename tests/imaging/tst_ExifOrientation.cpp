// The EXIF orientation parser on good and damaged segments, and the writers
// that re-encode a tagged page: each must keep the picture as shown and
// leave no orientation behind.
#include "ExifOrientation.h"
#include "ImageMagickHelper.h"
#include "MagickRuntime.h"
#include "PageFile.h"
#include "PageNumberStamper.h"
#include "PageTestFiles.h"
#include "TaggedJpeg.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace PageTestFiles;

static QByteArray patched(QByteArray bytes, int at, const QByteArray& with)
{
    return bytes.replace(at, with.size(), with);
}

class TstExifOrientation : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString taggedPage(const QString& name, int orientation)
    {
        return writeBytes(m_dir.filePath(name),
                          TaggedJpeg::jpeg(TaggedJpeg::stored(TaggedJpeg::shown(), orientation),
                                           TaggedJpeg::payload(orientation)));
    }

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }

    // One row per check the parser makes; every damaged segment reads as 1. The
    // readers' table in the batch tests covers the good values 1..8.
    void parsesSegments_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("orientation");
        const QByteArray good = TaggedJpeg::payload(6);
        // Offsets: 6 TIFF header, 10 IFD offset, 14 entry count, 28 orientation
        // entry (type at 30, value at 36).
        QTest::newRow("intact") << good << 6;
        QTest::newRow("empty") << QByteArray() << 1;
        QTest::newRow("shorter than a header") << good.left(13) << 1;
        QTest::newRow("cut in the entry") << good.left(37) << 1;
        QTest::newRow("not exif") << patched(good, 0, "Exix") << 1;
        QTest::newRow("byte order IM") << patched(good, 6, "IM") << 1;
        QTest::newRow("magic 43") << patched(good, 8, QByteArray("\x2B\x00", 2)) << 1;
        QTest::newRow("IFD past end") << patched(good, 10, QByteArray("\xF0\xFF\xFF\xFF", 4)) << 1;
        QTest::newRow("IFD inside header")
            << patched(good, 10, QByteArray("\x02\x00\x00\x00", 4)) << 1;
        QTest::newRow("type LONG") << patched(good, 30, QByteArray("\x04\x00", 2)) << 1;
        QTest::newRow("value 0") << patched(good, 36, QByteArray("\x00\x00", 2)) << 1;
        QTest::newRow("value 9") << patched(good, 36, QByteArray("\x09\x00", 2)) << 1;
        QTest::newRow("no orientation entry") << patched(good, 28, QByteArray("\x13\x01", 2)) << 1;
    }
    // Copied to a block of exactly its size, so an address checker sees any overrun.
    void parsesSegments()
    {
        QFETCH(QByteArray, payload);
        const std::vector<uchar> exact(payload.begin(), payload.end());
        QTEST(ExifOrientation::fromApp1(exact.empty() ? nullptr : exact.data(), exact.size()),
              "orientation");
    }

    void writersLeavePagesAsShown_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("orientation");
        QTest::newRow("convert to jpg") << QString("convert") << QString("jpg") << 6;
        QTest::newRow("convert to tif") << QString("convert") << QString("tif") << 8;
        QTest::newRow("density") << QString("density") << QString("jpg") << 6;
        QTest::newRow("save") << QString("save") << QString("jpg") << 8;
    }
    // Read the way an outside viewer does not (tag ignored), the written page
    // already holds the picture as shown.
    void writersLeavePagesAsShown()
    {
        QFETCH(QString, writer);
        QFETCH(QString, target);
        QFETCH(int, orientation);
        const QString source = taggedPage("w.jpg", orientation);
        const QString out = m_dir.filePath("out." + target);
        QFile::remove(out);
        if (writer == "convert") {
            QVERIFY(ImageMagickHelper::convertImage(source, out));
        } else if (writer == "density") {
            QVERIFY(QFile::copy(source, out));
            QVERIFY(PageFile::setFileDensity(out, 150, 150));
            QCOMPARE(PageFile::readInfo(out).dpiX, 150);
        } else {
            int x = 0, y = 0;
            cv::Mat page;
            QVERIFY(PageFile::loadWithDensity(source, page, x, y));
            QVERIFY(PageFile::saveWithDensity(page, out, 200, 200));
        }
        QVERIFY(TaggedJpeg::recorded(out) <= 1);
        QVERIFY(TaggedJpeg::near(TaggedJpeg::untagged(out), TaggedJpeg::shown(), 6));
        QVERIFY(TaggedJpeg::near(PageFile::loadForEdit(out), TaggedJpeg::shown(), 6));
    }

    // The number lands in the corner the operator sees, on a page stored as shown.
    void stampedPageIsShownUpright_data()
    {
        QTest::addColumn<int>("orientation");
        for (int o : {3, 6, 8})
            QTest::addRow("%d", o) << o;
    }
    void stampedPageIsShownUpright()
    {
        QFETCH(int, orientation);
        const cv::Mat picture(300, 400, CV_8UC3, cv::Scalar(255, 255, 255));
        const QString path = writeBytes(m_dir.filePath("stamp.jpg"),
                                        TaggedJpeg::jpeg(TaggedJpeg::stored(picture, orientation),
                                                         TaggedJpeg::payload(orientation)));
        PageNumberJob job;
        job.files = QStringList{path};
        job.fontFamily = QStringLiteral("Noto Sans CJK SC");
        job.fontPixelSize = 30;
        job.itemPos = QPointF(300, 10); // top right of the 400 x 300 picture
        job.itemHeight = 30;
        job.pageRect = QRectF(0, 0, 400, 300);
        job.pageNo.prefix = QStringLiteral("NO.");
        QCOMPARE(PageNumberStamper::run(job), 1);

        QVERIFY(TaggedJpeg::recorded(path) <= 1);
        cv::Mat grey;
        cv::cvtColor(TaggedJpeg::untagged(path), grey, cv::COLOR_BGR2GRAY);
        QCOMPARE(grey.size(), cv::Size(400, 300));
        QVERIFY(cv::countNonZero(grey(cv::Rect(300, 0, 100, 60)) < 128) > 20);
        QCOMPARE(cv::countNonZero(grey(cv::Rect(0, 60, 400, 240)) < 128), 0);
    }
};

QTEST_MAIN(TstExifOrientation)
#include "tst_ExifOrientation.moc"
