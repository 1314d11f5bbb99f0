// Blank page detection on generated A4 pages at 300 dpi.

#include "BlankPage.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kWidth = 2480;
constexpr int kHeight = 3508;

// Lines of "text": 4 px strokes 36 px tall every 16 px, one line per 60 px.
void drawLines(QPainter& painter, int lines, int length)
{
    for (int line = 0; line < lines; ++line) {
        const int y = 400 + line * 60;
        for (int x = 300; x < 300 + length; x += 16)
            painter.fillRect(x, y, 4, 36, Qt::black);
    }
}

} // namespace

class TestBlankPage : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void pages_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("blank");
        QTest::newRow("white") << "white" << true;
        QTest::newRow("edge shadows only") << "shadow" << true;
        QTest::newRow("scattered specks") << "specks" << true;
        QTest::newRow("five lines of text") << "fewLines" << false;
        QTest::newRow("five lines, black and white") << "monoText" << false;
        QTest::newRow("not an image") << "garbage" << false;
    }

    void pages()
    {
        QFETCH(QString, kind);
        QFETCH(bool, blank);
        const bool mono = kind == "monoText";
        const QString path = m_dir.filePath(kind + (mono ? ".bmp" : ".jpg"));
        if (kind == "garbage") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a page") > 0);
        } else {
            QImage page(kWidth, kHeight, QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter painter(&page);
            if (kind == "shadow") {
                // The scanner's lid shadow along two edges.
                painter.fillRect(0, 0, 60, kHeight, QColor(30, 30, 30));
                painter.fillRect(0, 0, kWidth, 40, QColor(90, 90, 90));
                painter.fillRect(kWidth - 25, 0, 25, kHeight, Qt::black);
            } else if (kind == "specks") {
                QRandomGenerator random(7);
                // Dust: more than the limit in all, none of it a stroke.
                for (int i = 0; i < 6000; ++i)
                    painter.fillRect(random.bounded(kWidth), random.bounded(kHeight), 3, 3,
                                     Qt::black);
            } else if (kind == "fewLines" || kind == "monoText") {
                drawLines(painter, 5, 1800);
            }
            painter.end();
            if (mono)
                page = page.convertToFormat(QImage::Format_Mono);
            QVERIFY(page.save(path, nullptr, 90));
        }
        double ratio = 0;
        QCOMPARE(isBlankPage(path, kDefaultBlankInkRatio, &ratio), blank);
        QCOMPARE(ratio < 0, kind == "garbage");
    }
};

QTEST_GUILESS_MAIN(TestBlankPage)
#include "tst_BlankPage.moc"
