#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequence>
#include <QRegularExpression>
#include <QtTest>

class ResourcesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void imageLoads_data();
    void imageLoads();
    void styleSheetUrlsResolve();
    void defaultShortcuts();
};

void ResourcesTest::initTestCase()
{
    QFile sheet(":/qss/normalstyle.css");
    QVERIFY(sheet.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
}

void ResourcesTest::imageLoads_data()
{
    QTest::addColumn<QString>("path");
    QDirIterator it(":/images");
    int count = 0;
    for (; it.hasNext(); ++count) {
        const QString path = it.next();
        QTest::newRow(qPrintable(path)) << path;
    }
    QVERIFY(count > 0);
}

void ResourcesTest::imageLoads()
{
    QFETCH(QString, path);
    QImageReader reader(path);
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    // Drawn, not blank: visible pixels of more than one colour.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() >= 2, qPrintable(QString::number(colours.size())));
}

void ResourcesTest::styleSheetUrlsResolve()
{
    auto it = QRegularExpression(R"(url\((:/[^)]+)\))").globalMatch(qApp->styleSheet());
    int count = 0;
    for (; it.hasNext(); ++count) {
        const QString path = it.next().captured(1);
        QVERIFY2(!QImage(path).isNull(), qPrintable(path));
    }
    QVERIFY(count >= 8);
}

void ResourcesTest::defaultShortcuts()
{
    QFile file(":/config/shortcut.json");
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonArray rows =
        doc.object().value("shortcut").toObject().value("ImageProcess").toArray();
    QVERIFY(!rows.isEmpty());
    for (const QJsonValue& row : rows) {
        const QString key = row.toObject().value("key").toString();
        // Keys are in Qt's portable text form.
        QCOMPARE(QKeySequence::fromString(key, QKeySequence::PortableText)
                     .toString(QKeySequence::PortableText),
                 key);
    }
}

QTEST_MAIN(ResourcesTest)
#include "tst_resources.moc"
