#include "AppPaths.h"
#include "LogHandler.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

void setNow(const char* text)
{
    const QDateTime now = QDateTime::fromString(text, "yyyy-MM-dd hh:mm:ss");
    LogHandler::setClock([now] { return now; });
}

QByteArray logOf(const QString& day)
{
    QFile file(AppPaths::logDir() + "/log" + day + ".txt");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLog : public QObject
{
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        AppPaths::setBaseDirForTesting(m_dir->path());
        setNow("2024-03-17 10:20:30");
    }
    void cleanup()
    {
        LogHandler::setClock({});
        AppPaths::setBaseDirForTesting(QString());
        delete m_dir;
    }

    void midnightSplitsFilesAndDeletedDirComesBack()
    {
        setNow("2024-03-17 23:59:59");
        LogHandler::write("a\nb");
        QVERIFY(QDir(AppPaths::logDir()).removeRecursively());
        LogHandler::write("c");
        setNow("2024-03-18 00:00:00");
        LogHandler::write(QStringLiteral("中文 消息"));
        QCOMPARE(logOf("20240317"), QByteArray("2024-03-17 23:59:59 c\r\n"));
        QCOMPARE(logOf("20240318"), QStringLiteral("2024-03-18 00:00:00 中文 消息\r\n").toUtf8());
    }

    void concurrentLinesNeverInterleave()
    {
        // Lines longer than the file buffer, so an unlocked writer would split them.
        QList<QThread*> workers;
        for (int t = 0; t < 8; ++t) {
            workers << QThread::create([t] {
                for (int i = 0; i < 40; ++i)
                    LogHandler::write(QString("T%1 ").arg(t) + QString(20000, QChar('a' + t)));
            });
            workers.last()->start();
        }
        for (QThread* w : workers) {
            w->wait();
            delete w;
        }
        QList<QByteArray> lines = logOf("20240317").split('\n');
        QCOMPARE(lines.takeLast(), QByteArray());
        QCOMPARE(lines.size(), 8 * 40);
        const QRegularExpression shape("^2024-03-17 10:20:30 T(\\d) ([a-h])\\2{19999}\\r$");
        for (const QByteArray& line : lines) {
            const auto m = shape.match(QString::fromLatin1(line));
            QVERIFY2(m.hasMatch(), line.left(60).constData());
            QCOMPARE(m.captured(2).at(0).unicode(), 'a' + m.captured(1).toInt());
        }
    }
};

QTEST_GUILESS_MAIN(TestLog)
#include "test_log.moc"
