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
    static QByteArray bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

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
        // A hidden sheet builds its frames in slices.
        QTRY_VERIFY(dlg.sheet()->framesComplete());
        QCOMPARE(dlg.sheet()->units().size(), 3);
        dlg.sheet()->units().at(0)->setChecked(true);
        dlg.sheet()->units().at(2)->setChecked(true);
        dlg.findChild<QPushButton*>("btn_del")->click();
        QCOMPARE(asked, 1);
        QCOMPARE(dlg.sheet()->units().size(), 1);
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(deleted.at(0).at(0).toStringList(), QStringList({page("1.jpg"), page("3.jpg")}));
        QVERIFY(QFile::exists(data + "/Trash/files/1.jpg") &&
                QFile::exists(data + "/Trash/files/3.jpg"));
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
        const QByteArray before = bytes(page("2.jpg"));
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
        if (!agree)
            QCOMPARE(bytes(page("2.jpg")), before);
        // Nothing went into the working folder on the way, nor was left there.
        QCOMPARE(QDir(m_work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    // A trashed page comes back byte for byte and its trash record goes; a
    // page that took its name meanwhile is never replaced. The same name
    // trashed twice keeps both, each with a record a file manager can read.
    void restoreBringsPagesBackUnderFreeNames()
    {
        const QString data = m_base.filePath("missing/share");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        const QByteArray one = bytes(page("1.jpg"));
        const QByteArray two = bytes(page("2.jpg"));
        QString trashedOne;
        QVERIFY(PageTrash::moveToTrash(page("1.jpg"), &trashedOne));
        QCOMPARE(trashedOne, data + "/Trash/files/1.jpg");
        const QString record = data + "/Trash/info/1.jpg.trashinfo";
        QCOMPARE(bytes(record).split('\n').at(1),
                 "Path=" + QUrl::toPercentEncoding(page("1.jpg"), "/"));
        QVERIFY(PageTrash::restore(trashedOne, page("1.jpg")));
        QCOMPARE(bytes(page("1.jpg")), one);
        QVERIFY(!QFile::exists(trashedOne) && !QFile::exists(record));
        QVERIFY(!PageTrash::restore(trashedOne, page("1.jpg"))); // no longer in the trash

        // A second 2.jpg is trashed beside the first; a newcomer takes the name.
        QString first, second;
        QVERIFY(PageTrash::moveToTrash(page("2.jpg"), &first));
        QVERIFY(QFile::copy(page("3.jpg"), page("2.jpg")));
        QVERIFY(PageTrash::moveToTrash(page("2.jpg"), &second));
        QVERIFY(first != second);
        QVERIFY(QFile::copy(page("1.jpg"), page("2.jpg")));
        QVERIFY(!PageTrash::restore(first, page("2.jpg")));
        QCOMPARE(bytes(page("2.jpg")), one);
        QCOMPARE(bytes(first), two);
        QVERIFY(QFile::remove(page("2.jpg")));
        QVERIFY(PageTrash::restore(first, page("2.jpg")));
        QCOMPARE(bytes(page("2.jpg")), two);
        QCOMPARE(bytes(second), bytes(page("3.jpg")));
    }
};

QTEST_MAIN(tst_PageTrash)
#include "tst_PageTrash.moc"
