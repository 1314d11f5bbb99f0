#include "FolderCreatorDlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

// The dialog that makes a run of numbered folders.
class tst_FolderCreatorDlg : public QObject
{
    Q_OBJECT

    struct Box
    {
        QString title;
        QString text;
    };

    static QStringList folders(const QString& path)
    {
        return QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }

private slots:
    void previewFollowsTheFields()
    {
        QTemporaryDir dir;
        QList<Box> boxes;
        FolderCreatorDlg dlg(dir.path());
        dlg.setInform([&boxes](const QString& t, const QString& x) { boxes.append({t, x}); });
        QCOMPARE(dlg.windowTitle(), QStringLiteral("批量创建文件夹"));
        QCOMPARE(dlg.names().size(), 100); // 1 to 100 on opening
        QCOMPARE(dlg.names().first(), QStringLiteral("001"));
        QCOMPARE(dlg.findChild<QPushButton*>("btn_confirm")->property("state").toString(),
                 QStringLiteral("ok"));
        QCOMPARE(dlg.findChild<QPushButton*>("btn_cancel")->property("state").toString(),
                 QStringLiteral("cancel"));
        QCOMPARE(dlg.findChild<QTableView*>("tableView")->model()->headerData(0, Qt::Horizontal),
                 QVariant(QStringLiteral("文件夹名")));

        dlg.findChild<QLineEdit*>("edit_prefix")->setText("F");
        dlg.findChild<QSpinBox*>("spinBox_code_start")->setValue(8);
        dlg.findChild<QSpinBox*>("spinBox_code_end")->setValue(10);
        QCOMPARE(dlg.names(), QStringList({"F008", "F009", "F010"}));
        dlg.findChild<QCheckBox*>("checkBox_fix_zero")->setChecked(false);
        dlg.findChild<QLineEdit*>("edit_suffix")->setText("-x");
        QCOMPARE(dlg.names(), QStringList({"F8-x", "F9-x", "F10-x"}));
        QVERIFY(boxes.isEmpty());

        // End below start: the message, and the rows stay as they were.
        dlg.findChild<QSpinBox*>("spinBox_code_start")->setValue(11);
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().title, QStringLiteral("错误"));
        QCOMPARE(boxes.first().text, QStringLiteral("结束编码小于起始编码，请检查"));
        QCOMPARE(dlg.names(), QStringList({"F8-x", "F9-x", "F10-x"}));
        // Confirming such a range makes nothing.
        dlg.findChild<QPushButton*>("btn_confirm")->click();
        QCOMPARE(boxes.size(), 2);
        QVERIFY(folders(dir.path()).isEmpty());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    void confirmMakesTheFoldersAndReportsExistingOnes()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("F009"));
        QFile keep(dir.filePath("F009/page.jpg"));
        QVERIFY(keep.open(QIODevice::WriteOnly) && keep.write("x") == 1);
        keep.close();
        QList<Box> boxes;
        FolderCreatorDlg dlg(dir.path());
        dlg.setInform([&boxes](const QString& t, const QString& x) { boxes.append({t, x}); });
        dlg.findChild<QLineEdit*>("edit_prefix")->setText("F");
        dlg.findChild<QSpinBox*>("spinBox_code_start")->setValue(8);
        dlg.findChild<QSpinBox*>("spinBox_code_end")->setValue(10);
        dlg.findChild<QPushButton*>("btn_confirm")->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(folders(dir.path()), QStringList({"F008", "F009", "F010"}));
        QVERIFY(QFile::exists(dir.filePath("F009/page.jpg")));
        QCOMPARE(dlg.created(), QStringList({dir.filePath("F008"), dir.filePath("F010")}));
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.first().text.contains("F009"));
    }

    void unsafeRowsMakeNothing_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("into the parent") << "../x"
                                         << "";
        QTest::newRow("separator") << "a/"
                                   << "";
        QTest::newRow("trailing dot") << ""
                                      << ".";
        QTest::newRow("hidden") << "."
                                << "";
    }
    void unsafeRowsMakeNothing()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, suffix);
        QTemporaryDir base;
        const QString dir = base.filePath("in");
        QVERIFY(QDir().mkpath(dir));
        QList<Box> boxes;
        FolderCreatorDlg dlg(dir);
        dlg.setInform([&boxes](const QString& t, const QString& x) { boxes.append({t, x}); });
        dlg.findChild<QSpinBox*>("spinBox_code_end")->setValue(3);
        dlg.findChild<QLineEdit*>("edit_prefix")->setText(prefix);
        dlg.findChild<QLineEdit*>("edit_suffix")->setText(suffix);
        dlg.findChild<QPushButton*>("btn_confirm")->click();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().title, QStringLiteral("错误"));
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(folders(dir).isEmpty());
        QCOMPARE(folders(base.path()), QStringList({"in"}));
    }

    void cancelMakesNothing()
    {
        QTemporaryDir dir;
        FolderCreatorDlg dlg(dir.path());
        dlg.findChild<QPushButton*>("btn_cancel")->click();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(folders(dir.path()).isEmpty());
    }
};

QTEST_MAIN(tst_FolderCreatorDlg)
#include "tst_FolderCreatorDlg.moc"
