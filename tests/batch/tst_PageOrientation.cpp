// Pages read by every path as the operator sees them (EXIF orientation
// applied), quarter turns end to end in the window's engine path and in the
// batch, and the batch's JPEG encoder on pages larger than its first buffer.
#include "../imaging/PageTestFiles.h"
#include "../imaging/TaggedJpeg.h"
#include "BatchPageIO.h"
#include "BatchRunner.h"
#include "JpegPageCodec.h"
#include "MagickRuntime.h"
#include "OperationDispatcher.h"
#include "OperationId.h"
#include "PageFile.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace PageTestFiles;

namespace {

using Reader = bool (*)(const QString&, cv::Mat&, int&, int&);

cv::Mat readWith(Reader read, const QString& path, QPoint* dpi = nullptr)
{
    cv::Mat mat;
    int x = 0, y = 0;
    read(path, mat, x, y);
    if (dpi)
        *dpi = QPoint(x, y);
    return mat;
}

// The picture's red top-left and green top-right blocks are where expected.
bool cornersAt(const cv::Mat& m, const QPoint& red, const QPoint& green)
{
    const cv::Vec3b r = m.at<cv::Vec3b>(red.y(), red.x());
    const cv::Vec3b g = m.at<cv::Vec3b>(green.y(), green.x());
    return r[2] > 200 && r[1] < 80 && r[0] < 80 && g[1] > 150 && g[2] < 80 && g[0] < 80;
}

} // namespace

class TstPageOrientation : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }

    void readersShowTheTaggedPicture_data()
    {
        QTest::addColumn<int>("orientation"); // of the stored pixels and of a sound tag
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("applied");
        for (int o = 1; o <= 8; ++o)
            QTest::addRow("%d", o) << o << TaggedJpeg::payload(o, o % 2 == 0) << true;
        // A damaged tag turns nothing in any reader (the image library parses
        // tags on its own), and never stops the page being read.
        const QByteArray good = TaggedJpeg::payload(6);
        QTest::newRow("byte order XX") << 6 << QByteArray(good).replace(6, 2, "XX") << false;
        QTest::newRow("value 9") << 6 << QByteArray(good).replace(36, 1, "\x09") << false;
    }
    // OpenCV's own reader is the independent reference for what a sound tag shows.
    void readersShowTheTaggedPicture()
    {
        QFETCH(int, orientation);
        QFETCH(QByteArray, payload);
        QFETCH(bool, applied);
        // Taller and wider than the direct decoder's strip of rows, in no whole number of strips.
        const cv::Mat shown = TaggedJpeg::shown(300, 290);
        const cv::Mat stored = TaggedJpeg::stored(shown, orientation);
        const cv::Mat expected = applied ? shown : stored;
        // Stored as 200 x 300 dpi; a quarter turn swaps it.
        const QPoint dpi = applied && orientation >= 5 ? QPoint(300, 200) : QPoint(200, 300);
        const QByteArray bytes = TaggedJpeg::jpeg(stored, payload, 200, 300);
        const QString path = writeBytes(m_dir.filePath("tagged.jpg"), bytes);

        if (applied)
            QVERIFY(TaggedJpeg::near(cv::imread(path.toStdString(), cv::IMREAD_COLOR), shown));
        QVERIFY(TaggedJpeg::near(PageFile::loadForEdit(path), expected));
        QPoint generalDpi, batchDpi;
        const cv::Mat general = readWith(PageFile::loadWithDensity, path, &generalDpi);
        QVERIFY(TaggedJpeg::near(general, expected));
        cv::Mat direct;
        QVERIFY(JpegPageCodec::decode(bytes, direct));
        QVERIFY(same(direct, general));
        QVERIFY(same(readWith(BatchPageIO::read, path, &batchDpi), general));
        QCOMPARE(generalDpi, dpi);
        QCOMPARE(batchDpi, dpi);
        const PageInfo info = PageFile::readInfo(path);
        QCOMPARE(QSize(info.width, info.height), QSize(expected.cols, expected.rows));
        QCOMPARE(QPoint(info.dpiX, info.dpiY), dpi);
    }

    void turnsEndToEnd_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("orientation"); // 0: no EXIF segment
        QTest::addColumn<bool>("right");
        QTest::newRow("png right") << "page.png" << 0 << true;
        QTest::newRow("tag 6 right") << "photo.jpg" << 6 << true;
        QTest::newRow("tag 8 left") << "photo.jpg" << 8 << false;
        QTest::newRow("tag 5 left") << "photo.jpg" << 5 << false;
    }
    // "向右旋转" and "向左旋转" on what the operator sees, in the window's engine
    // path and in the batch: the same picture, written without a tag, so that
    // every reader (also one that ignores tags) shows it turned.
    void turnsEndToEnd()
    {
        QFETCH(QString, name);
        QFETCH(int, orientation);
        QFETCH(bool, right);
        const int action = right ? IMG_OPT_ROTATE_RIGHT : IMG_OPT_ROTATE_LEFT;
        // The 96 x 64 picture's top left (red) and top right (green) after the turn.
        const QPoint red = right ? QPoint(52, 12) : QPoint(12, 84);
        const QPoint green = right ? QPoint(52, 84) : QPoint(12, 12);
        const cv::Mat shown = TaggedJpeg::shown();
        const QString path = m_dir.filePath(name);
        QFile::remove(path);
        if (orientation == 0)
            QVERIFY(PageFile::saveWithDensity(shown, path, 300, 300));
        else
            writeBytes(path, TaggedJpeg::jpeg(TaggedJpeg::stored(shown, orientation),
                                              TaggedJpeg::payload(orientation)));

        bool ok = false;
        const cv::Mat window = OperationDispatcher::apply(action, PageFile::loadForEdit(path),
                                                          QVariant(), OperationContext(), &ok);
        QVERIFY(ok);
        QCOMPARE(window.size(), cv::Size(64, 96));
        QVERIFY(cornersAt(window, red, green));

        BatchJob job;
        job.files = QStringList{path};
        job.actions = {action};
        QCOMPARE(BatchRunner::run(job).processed, 1);

        QVERIFY(TaggedJpeg::recorded(path) <= 1);
        const PageInfo info = PageFile::readInfo(path);
        QCOMPARE(QSize(info.width, info.height), QSize(64, 96));
        for (const cv::Mat& read :
             {PageFile::loadForEdit(path), readWith(BatchPageIO::read, path),
              readWith(PageFile::loadWithDensity, path), TaggedJpeg::untagged(path)}) {
            QVERIFY(TaggedJpeg::near(read, window));
            QVERIFY(cornersAt(read, red, green));
        }
    }

    // A noisy A4 page at 200 dpi compresses far past the encoder's first
    // buffer; every byte must reach the file and decode to the same pixels.
    void largeJpegSurvivesBufferGrowth()
    {
        cv::Mat noise(2339, 1654, CV_8UC3);
        cv::randu(noise, cv::Scalar::all(0), cv::Scalar::all(256));
        std::vector<uchar> encoded;
        QVERIFY(JpegPageCodec::encode(noise, 200, 200, encoded));
        // The first buffer holds an eighth of the raw pixels plus 64 KiB.
        QVERIFY(encoded.size() > 2 * (noise.total() * noise.elemSize() / 8 + 65536));

        const QString path = m_dir.filePath("noise.jpg");
        QVERIFY(BatchPageIO::write(noise, path, 200, 200));
        QVERIFY(bytesOf(path) == QByteArray(reinterpret_cast<const char*>(encoded.data()),
                                            static_cast<int>(encoded.size())));
        // Within JPEG error of the original down to the last rows (a lost tail
        // would decode as grey filler or not at all).
        const cv::Mat read = readWith(BatchPageIO::read, path);
        QCOMPARE(read.size(), noise.size());
        cv::Mat diff;
        cv::absdiff(read, noise, diff);
        QVERIFY(cv::mean(diff)[0] < 12);
        QVERIFY(cv::mean(diff.rowRange(diff.rows - 16, diff.rows))[0] < 12);
    }
};

QTEST_MAIN(TstPageOrientation)
#include "tst_PageOrientation.moc"
