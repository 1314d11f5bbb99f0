#include "AppPaths.h"
#include "LogHandler.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

QDateTime at(const QString& text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir* m_dir = nullptr;
    QString logFile(const QString& day) const { return AppPaths::logDir() + "/log" + day + ".txt"; }

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

    void pathsFollowTestBase()
    {
        QCOMPARE(AppPaths::settingsFile(), m_dir->path() + "/settings.ini");
        QCOMPARE(AppPaths::shortcutFile(), m_dir->path() + "/shortcut.json");
        QCOMPARE(AppPaths::logDir(), m_dir->path() + "/log");
        // Without the override a writable executable folder is the portable home,
        // else the per-user locations.
        AppPaths::setBaseDirForTesting(QString());
        const QString exeDir = QCoreApplication::applicationDirPath();
        const bool portable = QFileInfo(exeDir).isWritable();
        QCOMPARE(AppPaths::configDir(),
                 portable ? exeDir
                          : QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
        QCOMPARE(AppPaths::dataDir(),
                 portable ? exeDir
                          : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    }

    void messagesEitherSideOfMidnightGoToTwoFiles()
    {
        LogHandler::setClock([] { return at("2024-03-17 23:59:59"); });
        LogHandler::write("before");
        LogHandler::setClock([] { return at("2024-03-18 00:00:00"); });
        LogHandler::write("after");
        QCOMPARE(readAll(logFile("20240317")), QByteArray("2024-03-17 23:59:59 before\r\n"));
        QCOMPARE(readAll(logFile("20240318")), QByteArray("2024-03-18 00:00:00 after\r\n"));
    }

    void deletedLogDirIsRecreated()
    {
        LogHandler::write("one");
        QVERIFY(QDir(AppPaths::logDir()).removeRecursively());
        LogHandler::write("two");
        QCOMPARE(readAll(logFile("20240317")), QByteArray("2024-03-17 10:20:30 two\r\n"));
    }

    void lineBreaksKeptAndOneCrLfAppended()
    {
        LogHandler::write("a\nb\r\nc");
        LogHandler::write(QStringLiteral("中文 消息"));
        QCOMPARE(readAll(logFile("20240317")),
                 QByteArray("2024-03-17 10:20:30 a\nb\r\nc\r\n") +
                     QStringLiteral("2024-03-17 10:20:30 中文 消息\r\n").toUtf8());
    }

    void concurrentLinesNeverInterleave()
    {
        const int threads = 8;
        const int perThread = 40;
        QList<QThread*> workers;
        for (int t = 0; t < threads; ++t) {
            workers.append(QThread::create([t] {
                const QString text = QString("T%1 ").arg(t) + QString(20000, QChar('a' + t));
                for (int i = 0; i < perThread; ++i)
                    LogHandler::write(text);
            }));
        }
        for (QThread* w : workers)
            w->start();
        for (QThread* w : workers) {
            w->wait();
            delete w;
        }
        QList<QByteArray> lines = readAll(logFile("20240317")).split('\n');
        QCOMPARE(lines.takeLast(), QByteArray());
        QCOMPARE(lines.size(), threads * perThread);
        const QRegularExpression shape("^2024-03-17 10:20:30 T(\\d) ([a-h])\\2{19999}\\r$");
        for (const QByteArray& line : lines) {
            const auto m = shape.match(QString::fromLatin1(line));
            QVERIFY2(m.hasMatch(), line.left(60).constData());
            QCOMPARE(m.captured(2).at(0).unicode(), 'a' + m.captured(1).toInt());
        }
    }

    void installedHandlerWritesQtMessages()
    {
        LogHandler::install();
        qDebug() << "debug line";
        qWarning("warning line");
        qInstallMessageHandler(nullptr);
        QCOMPARE(readAll(logFile("20240317")), QByteArray("2024-03-17 10:20:30 debug line\r\n"
                                                          "2024-03-17 10:20:30 warning line\r\n"));
    }

    void unwritableLogDirLosesMessageSilently()
    {
        // A regular file where the folder should be: neither root nor anyone can create it.
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
