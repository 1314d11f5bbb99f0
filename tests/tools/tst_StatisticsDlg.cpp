#include "AppPaths.h"
#include "StatisticsDlg.h"
#include "StatsTestPages.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace StatsTestPages;

// The dialog over a small job: tree, file table, export and the remembered tolerance.
class TestStatisticsDlg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        AppPaths::setBaseDirForTesting(m_dir.filePath("home"));
        m_root = m_dir.filePath("job");
        QVERIFY(QDir().mkpath(m_root + "/box"));
        QVERIFY(writePng(m_root + "/box/a.png", pagePixels(210, 297, 300), 300,
                         QImage::Format_Grayscale8));
        QVERIFY(writePng(m_root + "/box/b.png", pagePixels(210, 297, 200), 200));
    }
    void cleanupTestCase() { AppPaths::setBaseDirForTesting(QString()); }

    void toleranceIsRemembered()
    {
        {
            StatisticsDlg dialog;
            QCOMPARE(spin(dialog, "spinBox_threshold")->value(), 1);
            spin(dialog, "spinBox_threshold")->setValue(0);
        }
        StatisticsDlg dialog;
        QCOMPARE(spin(dialog, "spinBox_threshold")->value(), 0);
        spin(dialog, "spinBox_threshold")->setValue(1);
    }

    void exportBeforeCountingSaysSo()
    {
        StatisticsDlg dialog;
        const QString path = m_dir.filePath("early.xlsx");
        QVERIFY(!dialog.exportTo(path));
        QVERIFY(!QFile::exists(path));
        QVERIFY(!dialog.lastNotice().isEmpty());
    }

    void countsShowsAndExports()
    {
        StatisticsDlg dialog;
        dialog.findChild<QLineEdit*>("edit_path")->setText(m_root);
        dialog.runStatistics();
        QVERIFY(dialog.hasResult());

        auto* tree = dialog.findChild<QTreeView*>("treeView_folder");
        auto* folders = static_cast<QStandardItemModel*>(tree->model());
        QCOMPARE(folders->rowCount(), 2);
        QCOMPARE(folders->item(0, 0)->text(), QString("统计"));
        QCOMPARE(folders->item(0, 8)->text(), QString("2"));
        QStandardItem* job = folders->item(1, 0);
        QCOMPARE(job->child(0, 0)->text(), QString("box"));
        QCOMPARE(job->child(0, 2)->text(), QString("2"));
        QVERIFY(job->child(0, 9)->text().endsWith("MB"));

        QMetaObject::invokeMethod(&dialog, "on_treeView_folder_clicked",
                                  Q_ARG(QModelIndex, job->child(0, 3)->index()));
        auto* files = dialog.findChild<QTableView*>("tableView_file")->model();
        QCOMPARE(files->rowCount(), 2);
        QCOMPARE(files->index(0, 2).data().toString(), QString("A4"));
        QCOMPARE(files->index(0, 3).data().toString(), QString("2480x3508"));
        QCOMPARE(files->index(1, 7).data().toString(), m_root + "/box");
        // The total row has no files.
        QMetaObject::invokeMethod(&dialog, "on_treeView_folder_clicked",
                                  Q_ARG(QModelIndex, folders->index(0, 0)));
        QCOMPARE(files->rowCount(), 0);

        dialog.findChild<QRadioButton*>("radioButton_GB")->setChecked(true);
        QVERIFY(folders->item(1, 0)->child(0, 9)->text().endsWith("GB"));
        QVERIFY(dialog.findChild<QLabel*>("label_summary")->text().contains("200x200: 1"));

        const QString path = m_dir.filePath("bill.xlsx");
        QVERIFY(dialog.exportTo(path));
        QVERIFY(QFile::exists(path));
        QCOMPARE(dialog.lastNotice(), "导出完成：" + path);
        QVERIFY(!dialog.exportTo(m_dir.filePath("missing/bill.xlsx")));
        QVERIFY(dialog.lastNotice().startsWith("导出失败："));
    }

private:
    static QSpinBox* spin(QDialog& dialog, const char* name)
    {
        return dialog.findChild<QSpinBox*>(name);
    }

    QTemporaryDir m_dir;
    QString m_root;
};

QTEST_MAIN(TestStatisticsDlg)
#include "tst_StatisticsDlg.moc"
