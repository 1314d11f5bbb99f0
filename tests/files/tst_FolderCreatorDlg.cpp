#include "FolderCreatorDlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

// The dialog that makes a run of numbered folders.
class tst_FolderCreatorDlg : public QObject
{
    Q_OBJECT

    QStringList m_boxes; // "title:text" of each message the dialog raised

    static QStringList folders(const QString& path)
    {
        return QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
    void fill(FolderCreatorDlg& dlg, const QString& prefix, int start, int end)
    {
        m_boxes.clear();
        dlg.setInform([this](const QString& t, const QString& x) { m_boxes << t + ":" + x; });
        dlg.findChild<QLineEdit*>("edit_prefix")->setText(prefix);
        dlg.findChild<QSpinBox*>("spinBox_code_end")->setValue(end);
        dlg.findChild<QSpinBox*>("spinBox_code_start")->setValue(start);
    }

private slots:
    // F, 8 to 10, three digits; F009 is there already, with a page in it.
    void confirmMakesTheFoldersAndReportsExistingOnes()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("F009"));
        QFile keep(dir.filePath("F009/page.jpg"));
        QVERIFY(keep.open(QIODevice::WriteOnly) && keep.write("x") == 1);
        keep.close();
        FolderCreatorDlg dlg(dir.path());
        fill(dlg, "F", 8, 10);
        QCOMPARE(dlg.names(), QStringList({"F008", "F009", "F010"}));
        dlg.findChild<QPushButton*>("btn_confirm")->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(folders(dir.path()), QStringList({"F008", "F009", "F010"}));
        QVERIFY(QFile::exists(dir.filePath("F009/page.jpg")));
        QCOMPARE(dlg.created(), QStringList({dir.filePath("F008"), dir.filePath("F010")}));
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY(m_boxes.first().contains("F009"));
    }

    // End below start, or names that would leave the folder: a message, nothing made.
    void badRowsMakeNothing_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("start");
        QTest::newRow("end below start") << "F" << 11;
        QTest::newRow("into the parent") << "../x" << 1;
    }
    void badRowsMakeNothing()
    {
        QFETCH(QString, prefix);
        QFETCH(int, start);
        QTemporaryDir base;
        const QString dir = base.filePath("in");
        QVERIFY(QDir().mkpath(dir));
        FolderCreatorDlg dlg(dir);
        fill(dlg, prefix, 1, 10);
        const QStringList rows = dlg.names();
        dlg.findChild<QSpinBox*>("spinBox_code_start")->setValue(start);
        if (start > 10) {
            QCOMPARE(m_boxes, QStringList{"错误:结束编码小于起始编码，请检查"});
            QCOMPARE(dlg.names(), rows); // the rows stay as they were
        }
        dlg.findChild<QPushButton*>("btn_confirm")->click();
        QCOMPARE(m_boxes.size(), start > 10 ? 2 : 1);
        QVERIFY(m_boxes.last().startsWith("错误:"));
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(folders(dir).isEmpty());
        QCOMPARE(folders(base.path()), QStringList({"in"}));
    }
};

QTEST_MAIN(tst_FolderCreatorDlg)
#include "tst_FolderCreatorDlg.moc"
