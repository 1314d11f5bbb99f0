#include "ImageUnitView.h"
#include "ImageViewDlg.h"
#include "LargeImageView.h"
#include "MagickRuntime.h"
#include "PreviewPages.h"
#include "RubberBandWidget.h"
#include "ThumbnailLabel.h"
#include "ThumbnailLoader.h"

#include <Magick++.h>
#include <QCheckBox>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList names(const RubberBandWidget* sheet)
{
    QStringList result;
    for (const ImageUnitView* unit : sheet->units())
        result << QFileInfo(unit->path()).fileName();
    return result;
}

// A page whose top-left quarter is red (dark grey when saved grey), the rest
// white, in the format its name gives.
bool writeQuarterPage(const QString& path, const QSize& size, bool grey)
{
    QImage page(size, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter(&page).fillRect(QRect(QPoint(0, 0), size / 2), QColor(200, 0, 0));
    return (grey ? page.convertToFormat(QImage::Format_Grayscale8) : page).save(path, nullptr, 90);
}

// The JPEG with an EXIF block saying orientation, right after its start marker.
QByteArray withOrientation(const QByteArray& jpeg, int orientation)
{
    const QByteArray app1 =
        QByteArray("Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01", 24) + char(0) +
        char(orientation) + QByteArray(6, '\0');
    QByteArray segment("\xff\xe1");
    segment += char((app1.size() + 2) >> 8);
    segment += char((app1.size() + 2) & 0xff);
    return jpeg.left(2) + segment + app1 + jpeg.mid(2);
}

void sendMouse(QWidget* widget, QEvent::Type type, const QPoint& at)
{
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

// The preview on real pages in a temporary folder, through its widgets.
class tst_PreviewSheet : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ThumbnailLoader> m_loader;
    std::unique_ptr<ImageViewDlg> m_dlg;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QByteArray readFile(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    template <typename T> T* child(const char* name) const
    {
        return m_dlg->findChild<T*>(QString::fromLatin1(name));
    }
    // The preview shown at a size that holds three frames a row.
    void open(const QString& folder)
    {
        m_dlg = std::make_unique<ImageViewDlg>(nullptr, m_loader.get());
        m_dlg->resize(1100, 900);
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
        m_dlg->showFolder(folder);
    }
    // Small pages with these names, then the preview on their folder.
    void openOn(const QStringList& names)
    {
        for (const QString& name : names)
            QVERIFY(writePage(path(name), QSize(60, 80)));
        open(m_dir->path());
    }
    void waitForThumbnails() { QTRY_VERIFY_WITH_TIMEOUT(m_loader->isIdle(), 20000); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_loader = std::make_unique<ThumbnailLoader>();
    }
    void cleanup()
    {
        m_dlg.reset();
        m_loader.reset();
    }

    void framesComeBeforeThumbnails()
    {
        for (int i = 0; i < 60; ++i)
            QVERIFY(writePage(path(QStringLiteral("%1.jpg").arg(i, 4, 10, QLatin1Char('0'))),
                              QSize(1240, 1754)));
        writeFile("bad.jpg", "not a picture");
        open(m_dir->path());
        RubberBandWidget* sheet = m_dlg->sheet();
        QVERIFY(!sheet->units().isEmpty());
        for (const ImageUnitView* unit : sheet->units())
            QVERIFY(!unit->hasThumbnail());
        // The rest of the frames follow on the next turns, in order, all shown.
        QTRY_VERIFY(sheet->framesComplete());
        QCOMPARE(sheet->units().size(), 61);
        waitForThumbnails();
        for (const ImageUnitView* unit : sheet->units()) {
            QVERIFY(unit->isVisible());
            QCOMPARE(unit->hasThumbnail(), !unit->path().endsWith("bad.jpg"));
        }
        // Checking all reaches the frames still to be built too.
        m_dlg->loadFolder(m_dir->path(), 0);
        QTest::keyClick(m_dlg->sheet(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(m_dlg->sheet()->checkedPaths().size(), 61);
    }

    void sorting_data()
    {
        QTest::addColumn<int>("sortIndex");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("name, upper case first") << 0 << QStringList{"A.jpg", "a.jpg", "b.jpg"};
        QTest::newRow("size, smallest first") << 1 << QStringList{"b.jpg", "a.jpg", "A.jpg"};
    }
    void sorting()
    {
        QFETCH(int, sortIndex);
        QVERIFY(writePage(path("A.jpg"), QSize(600, 800), 95));
        QVERIFY(writePage(path("a.jpg"), QSize(300, 400), 95));
        QVERIFY(writePage(path("b.jpg"), QSize(30, 40), 50));
        QVERIFY(writePage(path(".hidden.jpg"), QSize(30, 40)));
        QVERIFY(QFile::link(path("A.jpg"), path("link.jpg")));
        writeFile("notes.txt", "x");
        open(m_dir->path());
        child<QComboBox>("comboBox")->setCurrentIndex(sortIndex);
        QTEST(names(m_dlg->sheet()), "expected");
    }

    void emptyFolderPathGivesEmptySheet()
    {
        // The working folder has pages; an empty path must not mean it.
        QVERIFY(writePage(path("1.jpg"), QSize(60, 80)));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        open(QString());
        QDir::setCurrent(before);
        QVERIFY(m_dlg->sheet()->units().isEmpty());
    }

    // Five steps each way, then the buttons do nothing more.
    // Absolute zoom: in and out by the same steps comes back to the start;
    // five steps each way, then the buttons do nothing more.
    void zoom_data()
    {
        QTest::addColumn<int>("in");
        QTest::addColumn<int>("out");
        QTest::addColumn<QSize>("frame");
        QTest::newRow("in 3, out 3") << 3 << 3 << QSize(307, 393);
        QTest::newRow("six in") << 6 << 0 << QSize(460, 589);
        QTest::newRow("ten out") << 0 << 10 << QSize(153, 196);
    }
    void zoom()
    {
        QFETCH(int, in);
        QFETCH(int, out);
        openOn({"1.jpg"});
        for (int i = 0; i < in; ++i)
            child<QPushButton>("btn_big")->click();
        for (int i = 0; i < out; ++i)
            child<QPushButton>("btn_small")->click();
        const ImageUnitView* unit = m_dlg->sheet()->units().first();
        QTEST(unit->size(), "frame");
        // A sort builds the sheet anew at the same zoom.
        child<QComboBox>("comboBox")->setCurrentIndex(1);
        QTEST(m_dlg->sheet()->units().first()->size(), "frame");
    }

    // The picture keeps the page's proportions: a landscape page looks landscape.
    void landscapeStaysLandscape()
    {
        QVERIFY(writePage(path("landscape.jpg"), QSize(1800, 900)));
        open(m_dir->path());
        waitForThumbnails();
        const QRect wide =
            m_dlg->sheet()->units().at(0)->findChild<ThumbnailLabel*>("label_image")->imageRect();
        QCOMPARE(wide.width(), 210);
        QVERIFY(qAbs(wide.height() - 105) <= 1);
    }

    void rubberBand_data()
    {
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<bool>("menu");
        QTest::addColumn<QList<bool>>("checked");
        // Frames: 307 x 393 at x 30, 357, 684, y 30.
        QTest::newRow("99 both ways") << QPoint(119, 119) << false << QList<bool>{0, 0, 0};
        QTest::newRow("100 across") << QPoint(120, 21) << true << QList<bool>{0, 0, 0};
        QTest::newRow("second partly") << QPoint(600, 430) << true << QList<bool>{1, 0, 0};
    }
    void rubberBand()
    {
        QFETCH(QPoint, to);
        QFETCH(bool, menu);
        openOn({"1.jpg", "2.jpg", "3.jpg"});
        RubberBandWidget* sheet = m_dlg->sheet();
        QCOMPARE(sheet->units().at(2)->geometry(), QRect(684, 30, 307, 393));
        auto band = [sheet, to] {
            sendMouse(sheet, QEvent::MouseButtonPress, QPoint(20, 20));
            sendMouse(sheet, QEvent::MouseMove, to);
            sendMouse(sheet, QEvent::MouseButtonRelease, to);
        };
        band();
        QCOMPARE(sheet->menu()->isVisible(), menu);
        if (!menu)
            return;
        sheet->menu()->actions().at(0)->trigger();
        QList<bool> checked;
        for (const ImageUnitView* unit : sheet->units())
            checked << unit->isChecked();
        QTEST(checked, "checked");
        band(); // the second entry over the same band takes the checks off again
        sheet->menu()->actions().at(1)->trigger();
        QVERIFY(sheet->checkedPaths().isEmpty());
    }

    void clicksAndKeys()
    {
        openOn({"1.jpg", "2.jpg", "3.jpg", "4.jpg"});
        m_dlg->setOpenFile(path("2.jpg"));
        RubberBandWidget* sheet = m_dlg->sheet();
        const QList<ImageUnitView*>& units = sheet->units();
        QVERIFY(units.at(1)->isOpen() && !units.at(0)->isOpen());
        QTest::mouseClick(units.at(0)->findChild<QLabel*>("label_image"), Qt::LeftButton);
        QVERIFY(units.at(0)->findChild<QCheckBox*>("checkBox")->isChecked());
        QSignalSpy opened(m_dlg.get(), &ImageViewDlg::openRequested);
        QTest::mouseDClick(units.at(3)->findChild<QLabel*>("label_image"), Qt::LeftButton);
        QCOMPARE(opened.value(0).value(0).toString(), path("4.jpg"));

        // Three frames a row: Down goes from the first to the fourth.
        sheet->setFocus();
        QTest::keyClick(sheet, Qt::Key_Home);
        QTest::keyClick(sheet, Qt::Key_Down);
        QCOMPARE(sheet->cursorUnit(), units.at(3));
        QTest::keyClick(sheet, Qt::Key_Space);
        QVERIFY(units.at(3)->isChecked());

        // Enter shows the page large; Esc closes and frees it.
        QTest::keyClick(sheet, Qt::Key_Return);
        QPointer<LargeImageView> large = m_dlg->largeView();
        QVERIFY(large && large->isVisible());
        QCOMPARE(large->image().size(), QSize(60, 80));
        QTest::keyClick(large, Qt::Key_Escape);
        QTRY_VERIFY(large.isNull());
    }

    void thumbnails_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("page");
        QTest::addColumn<bool>("grey");
        QTest::addColumn<QSize>("thumbnail");
        const QSize a4(2480, 3508);
        QTest::newRow("A4 colour: an eighth") << "a.jpg" << a4 << false << QSize(310, 439);
        QTest::newRow("A4 grey stays grey") << "a.jpg" << a4 << true << QSize(310, 439);
        QTest::newRow("small: not enlarged") << "a.jpg" << QSize(60, 80) << false << QSize(60, 80);
        QTest::newRow("PNG: the reader") << "a.png" << QSize(1800, 900) << false << QSize(310, 155);
        QTest::newRow("TIFF grey A4: shrunk by eight") << "a.tif" << a4 << true << QSize(310, 438);
        QTest::newRow("TIFF colour: by five, then smoothly")
            << "a.tif" << QSize(1800, 900) << false << QSize(310, 155);
    }
    void thumbnails()
    {
        QFETCH(QString, name);
        QFETCH(QSize, page);
        QFETCH(bool, grey);
        QVERIFY(writeQuarterPage(path(name), page, grey));
        const QImage image = ThumbnailLoader::decode(path(name), ThumbnailLoader::decodeBox());
        QTEST(image.size(), "thumbnail");
        QCOMPARE(image.format(), grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
        const QColor inked = image.pixelColor(image.width() / 4, image.height() / 4);
        const QColor paper = image.pixelColor(image.width() * 3 / 4, image.height() * 3 / 4);
        QVERIFY2(grey ? qAbs(inked.red() - 60) < 20 : inked.red() > 170 && inked.blue() < 40,
                 qPrintable(inked.name()));
        QCOMPARE(paper.alpha(), 255);
        QVERIFY(paper.red() > 245 && paper.blue() > 245);
    }

    void jpegOrientation_data()
    {
        QTest::addColumn<int>("orientation");
        for (int orientation = 1; orientation <= 8; ++orientation)
            QTest::addRow("%d", orientation) << orientation;
    }
    void jpegOrientation()
    {
        // Compared with the image reader's own turning of the page, in quarters.
        QFETCH(int, orientation);
        QVERIFY(writeQuarterPage(path("plain.jpg"), QSize(80, 60), false));
        writeFile("tagged.jpg", withOrientation(readFile("plain.jpg"), orientation));
        QImageReader reader(path("tagged.jpg"));
        reader.setAutoTransform(true);
        const QImage expected = reader.read();
        const QImage image = ThumbnailLoader::decode(path("tagged.jpg"), QSize(310, 438));
        QCOMPARE(image.size(), expected.size());
        for (const QPoint& at : {QPoint(1, 1), QPoint(3, 1), QPoint(1, 3), QPoint(3, 3)}) {
            const QPoint pixel(at.x() * image.width() / 4, at.y() * image.height() / 4);
            QCOMPARE(qRed(image.pixel(pixel)) > 150 && qGreen(image.pixel(pixel)) < 100,
                     qRed(expected.pixel(pixel)) > 150 && qGreen(expected.pixel(pixel)) < 100);
        }
    }

    void damagedAndCmykJpegs()
    {
        QVERIFY(writePage(path("whole.jpg"), QSize(600, 800)));
        const QByteArray whole = readFile("whole.jpg");
        writeFile("cut.jpg", whole.left(whole.size() / 2));
        // A page cut short shows no picture rather than a half-grey one.
        QVERIFY(ThumbnailLoader::decode(path("cut.jpg"), QSize(310, 438)).isNull());

        MagickRuntime::ensureInitialised();
        Magick::Image cmyk(Magick::Geometry(60, 80), Magick::Color("white"));
        cmyk.colorSpace(Magick::CMYKColorspace);
        cmyk.write(path("cmyk.jpg").toStdString());
        const QImage image = ThumbnailLoader::decode(path("cmyk.jpg"), QSize(310, 438));
        QCOMPARE(image.size(), QSize(60, 80));
        QVERIFY(qGray(image.pixel(30, 40)) > 245);
    }
};

QTEST_MAIN(tst_PreviewSheet)
#include "tst_PreviewSheet.moc"
