#include "ImageHeader.h"
#include "StatsTestPages.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace StatsTestPages;

// Header reading against files written by other encoders.
class TestImageHeader : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void readsHeaders_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("pages");
        // Resolutions stored per metre (PNG) must still come out whole.
        QTest::newRow("png 1-bit 300") << "a.png" << 0 << 300 << 1 << 1 << 1;
        QTest::newRow("png without resolution") << "c.png" << 0 << 0 << 1 << 1 << 1;
        QTest::newRow("jpeg grey 200") << "d.jpg" << 2 << 200 << 8 << 1 << 1;
        QTest::newRow("jpeg rgb 254") << "e.JPG" << 3 << 254 << 8 << 3 << 1;
        QTest::newRow("tiff three pages") << "g.tif" << 5 << 300 << 1 << 1 << 3;
        QTest::newRow("tiff rgb 200") << "h.tiff" << 6 << 200 << 8 << 3 << 1;
        QTest::newRow("bmp by ImageMagick") << "i.bmp" << 7 << 300 << 8 << 3 << 1;
    }
    void readsHeaders()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(int, dpi);
        QFETCH(int, depth);
        QFETCH(int, channels);
        QFETCH(int, pages);
        const QString path = m_dir.filePath(name);
        const QSize size(321, 123);
        bool written = false;
        switch (kind) {
        case 0:
            written = writePng(path, size, dpi);
            break;
        case 2:
            written = writeJpeg(path, size, dpi, false);
            break;
        case 3:
            written = writeJpeg(path, size, dpi, true);
            break;
        case 5:
            written = writeTiff(path, size, dpi, 3, true);
            break;
        case 6:
            written = writeTiff(path, size, dpi, 1, false);
            break;
        case 7: {
            QImage image(size, QImage::Format_RGB888);
            image.fill(Qt::white);
            image.setDotsPerMeterX(11811);
            image.setDotsPerMeterY(11811);
            written = image.save(path, "BMP");
            break;
        }
        }
        QVERIFY(written);
        const ImageHeader header = ImageHeader::read(path);
        QVERIFY(header.valid);
        QCOMPARE(header.width, size.width());
        QCOMPARE(header.height, size.height());
        QCOMPARE(int(header.xDpi), dpi);
        QCOMPARE(int(header.yDpi), dpi);
        QCOMPARE(header.depth, depth);
        QCOMPARE(header.channels, channels);
        QCOMPARE(header.pages, pages);
    }

    void refusesWhatIsNoImage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text named .jpg") << QByteArray("not a picture\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("jpeg cut before its frame")
            << QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 11);
        QTest::newRow("png signature only") << QByteArray("\x89PNG\r\n\x1A\n", 8);
        QTest::newRow("tiff pointing past its end") << QByteArray("II*\0\xFF\xFF\0\0", 8);
    }
    void refusesWhatIsNoImage()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_dir.filePath("bad.jpg");
        QVERIFY(writeText(path, bytes));
        QVERIFY(!ImageHeader::read(path).valid);
        QVERIFY(!ImageHeader::read(m_dir.filePath("missing.png")).valid);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestImageHeader)
#include "tst_ImageHeader.moc"
