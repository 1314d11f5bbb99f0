// Pages read by every path as the operator sees them (EXIF orientation
// applied), quarter turns end to end in the window's engine path and in the
// batch, and the batch's JPEG encoder on pages larger than its first buffer.
#include "../imaging/TaggedJpeg.h"
#include "BatchPageIO.h"
#include "BatchRunner.h"
#include "JpegPageCodec.h"
#include "MagickRuntime.h"
#include "OperationDispatcher.h"
#include "OperationId.h"
#include "PageFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

bool isRed(const cv::Mat& m, const QPoint& p)
{
    const cv::Vec3b c = m.at<cv::Vec3b>(p.y(), p.x());
    return c[2] > 200 && c[1] < 80 && c[0] < 80;
}

bool isGreen(const cv::Mat& m, const QPoint& p)
{
    const cv::Vec3b c = m.at<cv::Vec3b>(p.y(), p.x());
    return c[1] > 150 && c[2] < 80 && c[0] < 80;
}

bool same(const cv::Mat& a, const cv::Mat& b)
{
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

struct Read
{
    cv::Mat mat;
    int dpiX = 0;
    int dpiY = 0;
};

Read batchRead(const QString& path)
{
    Read r;
    BatchPageIO::read(path, r.mat, r.dpiX, r.dpiY);
    return r;
}

Read magickRead(const QString& path)
{
    Read r;
    PageFile::loadWithDensity(path, r.mat, r.dpiX, r.dpiY);
    return r;
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
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("bigEndian");
        QTest::addColumn<QPoint>("dpi"); // stored as 200 x 300; a quarter turn swaps it
        for (int o = 1; o <= 8; ++o)
            QTest::addRow("%d", o)
                << o << (o % 2 == 0) << (o >= 5 ? QPoint(300, 200) : QPoint(200, 300));
    }
    // OpenCV's own reader is the independent reference for what is shown.
    void readersShowTheTaggedPicture()
    {
        QFETCH(int, orientation);
        QFETCH(bool, bigEndian);
        QFETCH(QPoint, dpi);
        // Taller and wider than the direct decoder's strip of rows, in no whole number of strips.
        const cv::Mat shown = TaggedJpeg::shown(300, 290);
        const QByteArray bytes =
            TaggedJpeg::jpeg(TaggedJpeg::stored(shown, orientation),
                             TaggedJpeg::payload(orientation, bigEndian), 200, 300);
        const QString path = writeBytes(m_dir.filePath("tagged.jpg"), bytes);

        QVERIFY(TaggedJpeg::near(cv::imread(path.toStdString(), cv::IMREAD_COLOR), shown));
        QVERIFY(TaggedJpeg::near(PageFile::loadForEdit(path), shown));
        const Read general = magickRead(path);
        QVERIFY(TaggedJpeg::near(general.mat, shown));
        cv::Mat direct;
        QVERIFY(JpegPageCodec::decode(bytes, direct));
        QVERIFY(same(direct, general.mat));
        const Read batch = batchRead(path);
        QVERIFY(same(batch.mat, general.mat));
        QCOMPARE(QPoint(general.dpiX, general.dpiY), dpi);
        QCOMPARE(QPoint(batch.dpiX, batch.dpiY), dpi);
        const PageInfo info = PageFile::readInfo(path);
        QCOMPARE(QSize(info.width, info.height), QSize(shown.cols, shown.rows));
        QCOMPARE(QPoint(info.dpiX, info.dpiY), dpi);
    }

    void damagedTagsReadAsStored_data()
    {
        QTest::addColumn<QByteArray>("payload");
        const QByteArray good = TaggedJpeg::payload(6);
        QTest::newRow("cut in the entry") << good.left(34);
        QTest::newRow("IFD past end") << QByteArray(good).replace(10, 4, "\xF0\xFF\xFF\x7F");
        QTest::newRow("byte order XX") << QByteArray(good).replace(6, 2, "XX");
        QTest::newRow("value 9") << QByteArray(good).replace(36, 1, "\x09");
    }
    // A damaged tag turns nothing in any reader, and never stops the page being read.
    void damagedTagsReadAsStored()
    {
        QFETCH(QByteArray, payload);
        const cv::Mat stored = TaggedJpeg::stored(TaggedJpeg::shown(), 6);
        const QByteArray bytes = TaggedJpeg::jpeg(stored, payload);
        const QString path = writeBytes(m_dir.filePath("damaged.jpg"), bytes);
        cv::Mat direct;
        QVERIFY(JpegPageCodec::decode(bytes, direct));
        QVERIFY(TaggedJpeg::near(direct, stored));
        QVERIFY(same(batchRead(path).mat, direct));
        QVERIFY(same(magickRead(path).mat, direct));
        QVERIFY(TaggedJpeg::near(PageFile::loadForEdit(path), stored));
        QCOMPARE(PageFile::readInfo(path).width, stored.cols);
    }

    void turnsEndToEnd_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("orientation"); // 0: no EXIF segment
        QTest::addColumn<int>("action");
        QTest::addColumn<QPoint>("red");
        QTest::addColumn<QPoint>("green");
        // The 96 x 64 picture has red at its top left, green at its top right.
        const QPoint right[] = {{52, 12}, {52, 84}};
        const QPoint left[] = {{12, 84}, {12, 12}};
        for (const char* name : {"page.png", "page.jpg"}) {
            QTest::addRow("%s right", name)
                << name << 0 << int(IMG_OPT_ROTATE_RIGHT) << right[0] << right[1];
            QTest::addRow("%s left", name)
                << name << 0 << int(IMG_OPT_ROTATE_LEFT) << left[0] << left[1];
        }
        for (int o : {3, 6, 8, 5}) {
            QTest::addRow("tag %d right", o)
                << "photo.jpg" << o << int(IMG_OPT_ROTATE_RIGHT) << right[0] << right[1];
            QTest::addRow("tag %d left", o)
                << "photo.jpg" << o << int(IMG_OPT_ROTATE_LEFT) << left[0] << left[1];
        }
    }
    // "向右旋转" and "向左旋转" on what the operator sees, in the window's engine
    // path and in the batch: the same picture, written without a tag, so that
    // every reader (also one that ignores tags) shows it turned.
    void turnsEndToEnd()
    {
        QFETCH(QString, name);
        QFETCH(int, orientation);
        QFETCH(int, action);
        QFETCH(QPoint, red);
        QFETCH(QPoint, green);
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
        QVERIFY(isRed(window, red) && isGreen(window, green));

        BatchJob job;
        job.files = QStringList{path};
        job.actions = {action};
        QCOMPARE(BatchRunner::run(job).processed, 1);

        QVERIFY(TaggedJpeg::recorded(path) <= 1);
        const PageInfo info = PageFile::readInfo(path);
        QCOMPARE(QSize(info.width, info.height), QSize(64, 96));
        for (const cv::Mat& read : {PageFile::loadForEdit(path), batchRead(path).mat,
                                    magickRead(path).mat, TaggedJpeg::untagged(path)}) {
            QVERIFY(TaggedJpeg::near(read, window));
            QVERIFY(isRed(read, red) && isGreen(read, green));
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
        const size_t firstBuffer = noise.total() * noise.elemSize() / 8 + 65536;
        QVERIFY(encoded.size() > 2 * firstBuffer);

        const QString path = m_dir.filePath("noise.jpg");
        QVERIFY(BatchPageIO::write(noise, path, 200, 200));
        const QByteArray written = bytesOf(path);
        QCOMPARE(static_cast<size_t>(written.size()), encoded.size());
        QVERIFY(std::equal(encoded.begin(), encoded.end(), written.constData(),
                           [](uchar a, char b) { return a == static_cast<uchar>(b); }));

        cv::Mat fromBytes, fromFile;
        const QByteArray encodedBytes(reinterpret_cast<const char*>(encoded.data()),
                                      static_cast<int>(encoded.size()));
        QVERIFY(JpegPageCodec::decode(encodedBytes, fromBytes));
        const Read read = batchRead(path);
        QVERIFY(same(read.mat, fromBytes));
        QCOMPARE(QPoint(read.dpiX, read.dpiY), QPoint(200, 200));
        // Within JPEG error of the original down to the last rows (a lost tail
        // would decode as grey filler or not at all).
        cv::Mat diff;
        cv::absdiff(read.mat, noise, diff);
        const cv::Mat tail = diff.rowRange(diff.rows - 16, diff.rows);
        QVERIFY(cv::mean(diff)[0] < 12);
        QVERIFY(cv::mean(tail)[0] < 12);
    }
};

QTEST_MAIN(TstPageOrientation)
#include "tst_PageOrientation.moc"
