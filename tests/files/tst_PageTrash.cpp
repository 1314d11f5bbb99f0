#include "ImageUnitView.h"
#include "ImageViewDlg.h"
#include "PageTrash.h"
#include "PreviewPages.h"
#include "RubberBandWidget.h"
#include "ThumbnailLoader.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// Deleting from the preview moves pages into the desktop trash, also when the
// user's data folder does not exist yet, and never anywhere else.
class tst_PageTrash : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    QString m_work; // the working folder, where a faulty trash would put files
    QString m_oldCurrent;

    QString pages() const { return m_base.filePath("pages"); }
    QString page(const char* name) const { return pages() + "/" + QString::fromLatin1(name); }

private slots:
    void init()
    {
        QVERIFY(m_base.isValid());
        QDir(m_base.path()).removeRecursively();
        QVERIFY(QDir().mkpath(pages()));
        m_work = m_base.filePath("work");
        QVERIFY(QDir().mkpath(m_work));
        m_oldCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_work));
        for (const char* name : {"1.jpg", "2.jpg", "3.jpg"})
            QVERIFY(writePage(page(name), QSize(60, 80)));
    }
    void cleanup() { QDir::setCurrent(m_oldCurrent); }

    void checkedPagesGoToTrashWithMissingDataFolder()
    {
        const QString data = m_base.filePath("missing/share");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        ThumbnailLoader loader;
        ImageViewDlg dlg(nullptr, &loader);
        int asked = 0;
        dlg.setConfirm([&asked](const QString& title, const QString& text) {
            ++asked;
            return title == QStringLiteral("提示") &&
                   text == QStringLiteral("是否确定删除勾选的文件？");
        });
        dlg.setAskPermanent([] { return true; });
        QSignalSpy deleted(&dlg, &ImageViewDlg::pagesDeleted);
        dlg.showFolder(pages());

        // Nothing checked: the sheet is built again, unchanged.
        dlg.findChild<QPushButton*>("btn_del")->click();
        QCOMPARE(dlg.sheet()->units().size(), 3);

        dlg.sheet()->units().at(0)->setChecked(true);
        dlg.sheet()->units().at(2)->setChecked(true);
        dlg.findChild<QPushButton*>("btn_del")->click();
        QCOMPARE(asked, 2);
        QCOMPARE(dlg.sheet()->units().size(), 1);
        QCOMPARE(dlg.sheet()->units().at(0)->path(), page("2.jpg"));
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(deleted.at(0).at(0).toStringList(), QStringList({page("1.jpg"), page("3.jpg")}));
        QVERIFY(QFile::exists(data + "/Trash/files/1.jpg"));
        QVERIFY(QFile::exists(data + "/Trash/files/3.jpg"));
        QVERIFY(!QFileInfo::exists(m_work + "/files"));
    }

    void noTrashAsksBeforeDeletingForGood_data()
    {
        QTest::addColumn<bool>("agree");
        QTest::newRow("declined") << false;
        QTest::newRow("agreed") << true;
    }
    void noTrashAsksBeforeDeletingForGood()
    {
        QFETCH(bool, agree);
        // A data folder that cannot be made: a file stands in its way.
        QFile blocker(m_base.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocker.fileName() + "/share"));
        const QByteArray before = [this] {
            QFile file(page("2.jpg"));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        int asked = 0;
        const PageTrash::Result result =
            PageTrash::remove({page("2.jpg"), page("3.jpg")}, [&asked, agree] {
                ++asked;
                return agree;
            });
        QCOMPARE(asked, 1);
        QCOMPARE(QFile::exists(page("2.jpg")), !agree);
        QCOMPARE(result.removed.size(), agree ? 2 : 0);
        QCOMPARE(result.failed.size(), agree ? 0 : 2);
        if (!agree) {
            QFile file(page("2.jpg"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), before);
        }
        // Nothing went into the working folder on the way, nor was left there.
        QVERIFY(!QFileInfo::exists(m_work + "/files/2.jpg"));
        QCOMPARE(QDir(m_work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    // A trashed page comes back byte for byte and its trash record goes; a
    // page that took its name meanwhile is never replaced.
    void restoreBringsPagesBackUnderFreeNames()
    {
        const QString data = m_base.filePath("missing/share");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        auto bytes = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray one = bytes(page("1.jpg"));
        const QByteArray two = bytes(page("2.jpg"));
        const PageTrash::Result result =
            PageTrash::remove({page("1.jpg"), page("2.jpg")}, [] { return false; });
        QCOMPARE(result.trashedAs.size(), 2);
        const QString trashedOne = result.trashedAs.value(page("1.jpg"));
        const QString trashedTwo = result.trashedAs.value(page("2.jpg"));
        QCOMPARE(trashedOne, data + "/Trash/files/1.jpg");
        QVERIFY(QFile::exists(data + "/Trash/info/1.jpg.trashinfo"));

        QVERIFY(PageTrash::restore(trashedOne, page("1.jpg")));
        QCOMPARE(bytes(page("1.jpg")), one);
        QVERIFY(!QFile::exists(trashedOne));
        QVERIFY(!QFile::exists(data + "/Trash/info/1.jpg.trashinfo"));
        // Once back it is no longer in the trash.
        QVERIFY(!PageTrash::restore(trashedOne, page("1.jpg")));

        // A new page took the name: it stays, the old one stays in the trash.
        QVERIFY(QFile::copy(page("3.jpg"), page("2.jpg")));
        const QByteArray newcomer = bytes(page("2.jpg"));
        QVERIFY(!PageTrash::restore(trashedTwo, page("2.jpg")));
        QCOMPARE(bytes(page("2.jpg")), newcomer);
        QCOMPARE(bytes(trashedTwo), two);
        QVERIFY(QFile::exists(data + "/Trash/info/2.jpg.trashinfo"));
    }

    // The same name deleted twice: both pages are kept, each with a record a
    // file manager can read, and each comes back as itself.
    void sameNameTwiceKeepsBoth()
    {
        const QString data = m_base.filePath("share");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        auto bytes = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QString name = pages() + "/第 1 页.jpg";
        QString first;
        QString second;
        QVERIFY(QFile::copy(page("1.jpg"), name));
        QVERIFY(PageTrash::moveToTrash(name, &first));
        QVERIFY(QFile::copy(page("2.jpg"), name));
        QVERIFY(QFile(name).resize(QFileInfo(name).size() + 1)); // told apart from page 1
        const QByteArray secondBytes = bytes(name);
        QVERIFY(PageTrash::moveToTrash(name, &second));
        QVERIFY(first != second);
        QCOMPARE(QFileInfo(first).absolutePath(), data + "/Trash/files");
        QCOMPARE(QFileInfo(second).absolutePath(), data + "/Trash/files");
        QFile record(data + "/Trash/info/" + QFileInfo(first).fileName() + ".trashinfo");
        QVERIFY(record.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = record.readAll().split('\n');
        QCOMPARE(lines.at(0), QByteArray("[Trash Info]"));
        QCOMPARE(lines.at(1), "Path=" + QUrl::toPercentEncoding(name, "/"));
        QVERIFY(lines.at(2).startsWith("DeletionDate=" +
                                       QDate::currentDate().toString(Qt::ISODate).toLatin1()));

        QVERIFY(PageTrash::restore(second, name));
        QCOMPARE(bytes(name), secondBytes);
        QVERIFY(!PageTrash::restore(first, name));
        QVERIFY(QFile::exists(first));
    }
};

QTEST_MAIN(tst_PageTrash)
#include "tst_PageTrash.moc"
