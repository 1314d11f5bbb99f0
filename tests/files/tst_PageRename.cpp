// Renaming one page: the same format keeps the bytes, another format converts,
// and whatever is refused or fails leaves the folder exactly as it was.
#include "PageFile.h"
#include "PageRename.h"
#include "TestFiles.h"

#include <QtTest>
#include <opencv2/core.hpp>

namespace {

const QSize kPage(120, 80);

void writePage(const QString& path)
{
    cv::Mat content(kPage.height(), kPage.width(), CV_8UC3, cv::Scalar(230, 230, 230));
    content(cv::Rect(10, 10, 40, 20)).setTo(cv::Scalar(10, 10, 10));
    QVERIFY(PageFile::saveWithDensity(content, path, 300, 300));
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_PageRename : public QObject
{
    Q_OBJECT
private slots:
    void renames_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<bool>("converted");
        QTest::newRow("jpg to tif") << "a.tif" << true;
        QTest::newRow("jpg to jpeg") << "a.jpeg" << false;
        QTest::newRow("case only") << "A.JPG" << false;
    }
    void renames()
    {
        QFETCH(QString, newName);
        QFETCH(bool, converted);
        QTemporaryDir dir;
        writePage(dir.filePath("a.jpg"));
        const QByteArray before = bytesOf(dir.filePath("a.jpg"));
        const auto result = PageRename::rename(dir.path(), "a.jpg", newName);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.converted, converted);
        // Only the page under its new name, and nothing hidden beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{newName});
        const PageInfo info = PageFile::readInfo(dir.filePath(newName));
        QCOMPARE(QSize(info.width, info.height), kPage);
        QCOMPARE(QPoint(info.dpiX, info.dpiY), QPoint(300, 300));
        if (converted)
            QVERIFY(bytesOf(dir.filePath(newName)) != before);
        else
            QCOMPARE(bytesOf(dir.filePath(newName)), before);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<bool>("truncate");
        QTest::addColumn<QString>("why");
        QTest::newRow("over an existing file") << "b.jpg" << false << "文件已存在：b.jpg";
        QTest::newRow("converting over an existing file, other case")
            << "B.TIF" << false << "文件已存在：b.tif";
        QTest::newRow("unsafe name") << "x?.jpg" << false << "含有Windows不允许的字符";
        QTest::newRow("truncated page to tiff") << "a.tif" << true << "转换失败";
    }
    void refusals()
    {
        QFETCH(QString, newName);
        QFETCH(bool, truncate);
        QFETCH(QString, why);
        QTemporaryDir dir;
        for (const char* name : {"a.jpg", "b.jpg", "b.tif"})
            writePage(dir.filePath(name));
        if (truncate) {
            QFile file(dir.filePath("a.jpg"));
            QVERIFY(file.resize(file.size() / 2));
        }
        const auto before = folderSnapshot(dir.path());
        const auto result = PageRename::rename(dir.path(), "a.jpg", newName);
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(why), qPrintable(result.error));
        QCOMPARE(folderSnapshot(dir.path()), before);
    }
};

QTEST_GUILESS_MAIN(tst_PageRename)
#include "tst_PageRename.moc"
