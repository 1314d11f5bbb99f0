#include "AppPaths.h"
#include "LogHandler.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

QDateTime at(const QString& text)
{
    return QDateTime::fromString(text, "yyyy-MM-dd hh:mm:ss");
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
        LogHandler::setClock([] { return at("2024-03-17 10:20:30"); });
    }
    void cleanup()
    {
        LogHandler::setClock({});
        AppPaths::setBaseDirForTesting(QString());
        delete m_dir;
    }

    void oneFilePerDayAndMessagesWrittenAsIs()
    {
        LogHandler::setClock([] { return at("2024-03-17 23:59:59"); });
        LogHandler::write("a\nb\r\nc");
        LogHandler::setClock([] { return at("2024-03-18 00:00:00"); });
        LogHandler::write(QStringLiteral("中文 消息"));
        QCOMPARE(logOf("20240317"), QByteArray("2024-03-17 23:59:59 a\nb\r\nc\r\n"));
        QCOMPARE(logOf("20240318"), QStringLiteral("2024-03-18 00:00:00 中文 消息\r\n").toUtf8());
    }

    void deletedLogDirIsRecreated()
    {
        LogHandler::write("one");
        QVERIFY(QDir(AppPaths::logDir()).removeRecursively());
        LogHandler::write("two");
        QCOMPARE(logOf("20240317"), QByteArray("2024-03-17 10:20:30 two\r\n"));
    }

    void concurrentLinesNeverInterleave()
    {
        // Lines longer than the file buffer, so an unlocked writer would split them.
        QList<QThread*> workers;
        for (int t = 0; t < 8; ++t) {
            workers.append(QThread::create([t] {
                for (int i = 0; i < 40; ++i)
                    LogHandler::write(QString("T%1 ").arg(t) + QString(20000, QChar('a' + t)));
            }));
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

    void installedHandlerWritesEveryType()
    {
        LogHandler::install();
        qDebug() << "debug line";
        qWarning("warning line");
        qInstallMessageHandler(nullptr);
        QCOMPARE(logOf("20240317"), QByteArray("2024-03-17 10:20:30 debug line\r\n"
                                               "2024-03-17 10:20:30 warning line\r\n"));
    }

    void unwritableLogDirLosesMessageSilently()
    {
        // A regular file where the folder should be stops even root.
        QFile blocker(m_dir->path() + "/blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        AppPaths::setBaseDirForTesting(blocker.fileName());
        LogHandler::write("lost");
        QVERIFY(!QFileInfo::exists(AppPaths::logDir()));
    }
};

QTEST_GUILESS_MAIN(TestLog)
#include "test_log.moc"
