// The folder panel's and the file list's commands without a window: what is
// asked, what reaches the trash, what comes back, and what is never touched.
#include "FileListCommands.h"
#include "FileTableModel.h"
#include "FolderBrowser.h"
#include "FolderCommands.h"

#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class tst_FileCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_base;
    QString m_root;  // the data directory
    QString m_trash; // the user's trash, under a data folder not made yet
    QString m_oldCurrent;
    std::unique_ptr<FolderBrowser> m_browser;
    QModelIndex m_current;
    QString m_sequence;   // the answer to every text question
    bool m_answer = true; // the answer to every yes-or-no question
    struct
    {
        QStringList questions; // "title|text"
        QStringList errors, notes, released, deleted, restored;
        QString selected = "<none>";
        QList<QUrl> opened;
    } m_seen;

    QString path(const QString& relative) const { return m_root + "/" + relative; }

    FolderCommands::Hooks folderHooks()
    {
        FolderCommands::Hooks hooks;
        hooks.browser = m_browser.get();
        hooks.currentIndex = [this] { return m_current; };
        hooks.rootPath = [this] { return m_root; };
        hooks.ask = [this](const QString& title, const QString& text) {
            m_seen.questions << title + "|" + text;
            return m_answer;
        };
        hooks.askText = [this](const QString& title, const QString& label, const QString& text) {
            m_seen.questions << title + "|" + label + "|" + text;
            return m_sequence;
        };
        hooks.askPermanent = [] { return false; };
        hooks.notifyError = [this](const QString& text) { m_seen.errors << text; };
        hooks.notify = [this](const QString& text) { m_seen.notes << text; };
        hooks.releasePagesUnder = [this](const QString& p) { m_seen.released << p; };
        hooks.selectFolder = [this](const QString& p) { m_seen.selected = p; };
        hooks.setRoot = [this](const QString& p) { m_seen.selected = p; };
        hooks.chooseDirectory = [this] { return m_sequence; };
        hooks.openUrl = [this](const QUrl& url) {
            m_seen.opened << url;
            return true;
        };
        return hooks;
    }

    FileListCommands::Hooks fileHooks(int currentRow)
    {
        FileListCommands::Hooks hooks;
        hooks.files = m_browser->fileModel();
        hooks.currentRow = [currentRow] { return currentRow; };
        hooks.currentText = [this, currentRow] {
            return m_browser->fileModel()->fileInfo(currentRow).fileName;
        };
        hooks.ask = folderHooks().ask;
        hooks.askSequence = [this](const QString& title, const QString& pattern) {
            m_seen.questions << title + "|" + pattern;
            return m_sequence;
        };
        hooks.notifyError = [this](const QString& text) { m_seen.errors << text; };
        hooks.notify = [this](const QString& text) { m_seen.notes << text; };
        hooks.openUrl = folderHooks().openUrl;
        hooks.aboutToDelete = [](const QStringList&) {};
        hooks.deleted = [this](const QStringList& paths, const QStringList&, bool reload) {
            m_seen.deleted = paths;
            if (reload)
                m_browser->fileModel()->loadDir(m_browser->currentFolder());
        };
        hooks.restored = [this](const QStringList& paths) {
            m_seen.restored = paths;
            m_browser->fileModel()->loadDir(m_browser->currentFolder());
        };
        return hooks;
    }

    void openFolder(const QString& relative)
    {
        m_current = m_browser->folderModel()->index(path(relative));
        QVERIFY(m_current.isValid());
        QVERIFY(m_browser->folderChanged(m_current).valid);
    }

private slots:
    void init()
    {
        m_base = std::make_unique<QTemporaryDir>();
        QVERIFY(m_base->isValid());
        m_root = m_base->filePath("data");
        for (const char* name :
             {"A/1.jpg", "A/2.jpg", "A/3.jpg", "A/4.jpg", "A/5.jpg", "B/sub/9.jpg", "B/.note"})
            QVERIFY(writeFile(path(QString::fromUtf8(name)), QByteArray(name).repeated(50)));
        QVERIFY(QDir().mkpath(path("C")));
        QVERIFY(QDir().mkpath(path("D")));
        QVERIFY(QDir().mkpath(path("E/inner")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_base->filePath("home/share")));
        m_trash = m_base->filePath("home/share/Trash/files");
        // A faulty trash would put files into ./files/ of the working folder.
        m_oldCurrent = QDir::currentPath();
        QVERIFY(QDir().mkpath(m_base->filePath("work")));
        QDir::setCurrent(m_base->filePath("work"));
        m_browser = std::make_unique<FolderBrowser>();
        m_browser->rootIndex(m_root);
        m_seen = {};
        m_answer = true;
        m_current = QModelIndex();
    }
    void cleanup()
    {
        QVERIFY(!QFileInfo::exists(m_base->filePath("work/files")));
        QDir::setCurrent(m_oldCurrent);
        m_browser.reset();
    }

    void deleteFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("selected");
        QTest::newRow("with files, cancelled")
            << "B" << false << "是否确认删除文件夹：B（其中有2个文件）"
            << "<none>";
        QTest::newRow("with files") << "B" << true << "是否确认删除文件夹：B（其中有2个文件）"
                                    << "C";
        QTest::newRow("empty") << "D" << true << "是否确认删除文件夹：D"
                               << "E";
    }
    void deleteFolder()
    {
        QFETCH(QString, folder);
        QFETCH(bool, answer);
        QFETCH(QString, question);
        QFETCH(QString, selected);
        const QString target = path(folder);
        openFolder(folder);
        m_answer = answer;
        FolderCommands(folderHooks()).deleteFolder();
        QCOMPARE(m_seen.questions, QStringList({"删除目录|" + question}));
        QCOMPARE(QFileInfo::exists(target), !answer);
        QCOMPARE(m_seen.released, answer ? QStringList({target}) : QStringList());
        QCOMPARE(m_seen.selected, selected == "<none>" ? selected : path(selected));
        if (answer)
            QVERIFY(QFileInfo(m_trash + "/" + QFileInfo(target).fileName()).isDir());
        else
            QCOMPARE(bytesOf(path("B/sub/9.jpg")), QByteArray("B/sub/9.jpg").repeated(50));
        QVERIFY(m_seen.errors.isEmpty());
    }

    void rootAndNothingAreNeverDeleted()
    {
        FolderCommands commands(folderHooks());
        commands.deleteFolder(); // no current folder
        m_current = m_browser->folderModel()->index(m_root);
        commands.deleteFolder();
        QVERIFY(m_seen.questions.isEmpty());
        QCOMPARE(m_seen.errors.size(), 2);
        QVERIFY(m_seen.errors.last().contains(m_root));
        QVERIFY(QFile::exists(path("A/1.jpg")));
    }

    void newFolder_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("made");
        QTest::addColumn<int>("errors");
        QTest::newRow("plain") << "卷 2" << true << 0;
        QTest::newRow("cancelled") << "" << false << 0;
        QTest::newRow("exists") << "sub" << false << 1;
        QTest::newRow("parent") << "../x" << false << 1;
    }
    void newFolder()
    {
        QFETCH(QString, answer);
        QFETCH(bool, made);
        openFolder("B");
        const auto before = QDir(path("B")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        m_sequence = answer;
        FolderCommands(folderHooks()).newFolder();
        QCOMPARE(m_seen.questions, QStringList({"创建目录|目录名称|新建文件夹"}));
        QTEST(m_seen.errors.size(), "errors");
        const auto after = QDir(path("B")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QCOMPARE(after.size(), before.size() + (made ? 1 : 0));
        if (made)
            QVERIFY(QFileInfo(path("B/" + answer)).isDir());
        QVERIFY(!QFileInfo::exists(m_base->filePath("x")));
    }

    void rootChoiceAndOpening()
    {
        FolderCommands commands(folderHooks());
        m_sequence = m_base->filePath("missing");
        commands.setDataDirectory();
        QCOMPARE(m_seen.selected, QString("<none>"));
        QCOMPARE(m_seen.errors.size(), 1);
        m_sequence = path("A") + "/";
        commands.setDataDirectory();
        QCOMPARE(m_seen.selected, path("A"));
        openFolder("C");
        commands.openFolder();
        QCOMPARE(m_seen.opened, QList<QUrl>({QUrl::fromLocalFile(path("C"))}));
    }

    void deleteChecked()
    {
        openFolder("A");
        FileTableModel* files = m_browser->fileModel();
        FileListCommands commands(fileHooks(0));
        commands.deleteChecked(true); // nothing checked: said, not asked
        QCOMPARE(m_seen.errors.size(), 1);
        QVERIFY(m_seen.questions.isEmpty());

        files->setChecked({1, 3}, true);
        m_answer = false;
        commands.deleteChecked(true);
        QCOMPARE(files->rowCount(), 5);
        m_answer = true;
        commands.deleteChecked(false);
        QCOMPARE(m_seen.questions.last(), QStringLiteral("删除文件|是否确认删除已勾选的文件"));
        QCOMPARE(m_seen.deleted, QStringList({path("A/2.jpg"), path("A/4.jpg")}));
        QCOMPARE(files->rowCount(), 3);
        QVERIFY(QFile::exists(m_trash + "/2.jpg") && !QFile::exists(path("A/2.jpg")));

        // With no current row the single delete is said, not asked, too.
        FileListCommands(fileHooks(-1)).deleteCurrent();
        QCOMPARE(m_seen.errors.size(), 2);
        QCOMPARE(m_seen.questions.size(), 2);
    }

    void checkBySequence_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("checked");
        QTest::newRow("range") << "2-4" << QList<int>{1, 2, 3};
        QTest::newRow("beyond the list") << "1,5-9" << QList<int>{0, 4};
    }
    void checkBySequence()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, checked);
        openFolder("A");
        FileTableModel* files = m_browser->fileModel();
        m_sequence = text;
        FileListCommands(fileHooks(0)).checkBySequence();
        QCOMPARE(m_seen.questions, QStringList({"序号输入|(\\d+(-\\d+)?)(,\\d+(-\\d+)?)*"}));
        QList<int> rows;
        for (int row = 0; row < files->rowCount(); ++row) {
            if (files->data(files->index(row, 0), Qt::CheckStateRole).toInt() == Qt::Checked)
                rows << row;
        }
        QCOMPARE(rows, checked);
    }
};

QTEST_MAIN(tst_FileCommands)
#include "tst_FileCommands.moc"
